// The host's about command: the about box, modal to the host's main window.
#include "shell/shell.h"
#include "ui/about_box.h"

PF_Err About(PF_InData* in_data) {
  void* main_window = nullptr;
  if (in_data && in_data->utils && in_data->utils->get_platform_data)
    in_data->utils->get_platform_data(in_data->effect_ref, PF_PlatData_MAIN_WND, &main_window);
  ShowAboutBox(main_window);
  return PF_Err_NONE;  // whatever the dialog returned
}

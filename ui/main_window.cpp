// Asking the host for its main window.
#include "ui/main_window.h"

void* HostMainWindow(PF_InData* in_data) {
  void* main_window = nullptr;
  if (in_data && in_data->utils && in_data->utils->get_platform_data)
    in_data->utils->get_platform_data(in_data->effect_ref, PF_PlatData_MAIN_WND, &main_window);
  return main_window;
}

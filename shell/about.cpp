// The host's about command: the about box, modal to the host's main window.
#include "shell/shell.h"
#include "ui/about_box.h"
#include "ui/main_window.h"

PF_Err About(PF_InData* in_data) {
  ShowAboutBox(HostMainWindow(in_data));
  return PF_Err_NONE;  // whatever the dialog returned
}

// The host's about command: the about box, modal to the host's main window, through the
// same seam as the panel's about button (a recorder installed in a test build sees it).
#include "shell/shell.h"
#include "ui/main_window.h"
#include "ui/open_recorder.h"

PF_Err About(PF_InData* in_data) {
  RunAboutBox(HostMainWindow(in_data));
  return PF_Err_NONE;  // whatever the dialog returned
}

// A click on the panel: help opens the help page, about the about box, web the maker's
// web site, each owned by the host's main window. The event's out flags stay as they are.
#include "platform/os/shell_open.h"
#include "ui/help_link.h"
#include "ui/main_window.h"
#include "ui/open_recorder.h"
#include "ui/panel_events.h"
#include "ui/panel_layout.h"
#include "ui/panel_state.h"
#include "ui/web_address.h"

void ClickPanel(PF_InData* in_data, PF_EventExtra* extra) {
  if (!InEffectWindow(extra)) return;
  const PanelState& state = ThePanelState();
  const PF_Point at = extra->u.do_click.screen_point;
  // The rectangles do not overlap: at most one acts.
  if (PanelButtonHit(kPanelHelp, state.origin_x, state.origin_y, at))
    OpenHelpPage(HostMainWindow(in_data));
  if (PanelButtonHit(kPanelAbout, state.origin_x, state.origin_y, at))
    RunAboutBox(HostMainWindow(in_data));
  if (PanelButtonHit(kPanelWeb, state.origin_x, state.origin_y, at))
    ShellOpen(HostMainWindow(in_data), QUORVEL_WEB_ADDRESS);
}

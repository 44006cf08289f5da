// The host's event command: routes the custom-UI events of the information panel (the
// "Information" parameter) to the panel. Every event is answered with no error, except a
// draw the host's drawing routines failed.
#include "shell/shell.h"
#include "ui/panel_events.h"
#include "ui/panel_layout.h"

PF_Err HandleEvent(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_EventExtra* extra) {
  if (!extra) return PF_Err_NONE;
  switch (extra->e_type) {
    case PF_Event_DO_CLICK:
      ClickPanel(in_data, extra);
      break;
    case PF_Event_DRAW:
      if (extra->effect_win.index == kPanelParamIndex) return DrawPanel(in_data, out_data, extra);
      break;
    case PF_Event_ADJUST_CURSOR:
      if (extra->effect_win.index == kPanelParamIndex) HoverPanel(in_data, out_data, params, extra);
      break;
    default:  // idle and every other event: nothing to do
      break;
  }
  return PF_Err_NONE;
}

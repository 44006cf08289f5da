// The panel's draw event: the banner, then each button in its normal or lit picture, all
// placed at the control's frame, which also becomes the origin the pointer is tested
// against, so that the buttons' hit areas always lie on their pictures. The first error of
// the host's drawing ends the drawing and is the event's answer.
#include "ui/panel_events.h"
#include "ui/panel_layout.h"
#include "ui/panel_state.h"

PF_Err DrawPanel(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra) {
  // A draw for another window says nothing about this panel, not even "do not draw".
  if (!InEffectWindow(extra)) return PF_Err_NONE;
  PanelState& state = ThePanelState();
  if (extra->evt_in_flags & PF_EI_DONT_DRAW) {
    state.suppress = 1;
    return PF_Err_NONE;
  }
  state.suppress = 0;
  state.origin_x = extra->effect_win.current_frame.left;
  state.origin_y = extra->effect_win.current_frame.top;

  const PanelPicture& banner = PanelBanner();
  PF_Err err = DrawPanelBitmap(in_data, out_data, extra, banner.normal_id, banner.width,
                               banner.height, banner.dx, banner.dy);
  for (int b = 0; b < kPanelButtonCount && err == PF_Err_NONE; ++b) {
    const PanelPicture& p = PanelButtonPicture(b);
    err = DrawPanelBitmap(in_data, out_data, extra, state.hover[b] ? p.lit_id : p.normal_id,
                          p.width, p.height, p.dx, p.dy);
  }
  return err;
}

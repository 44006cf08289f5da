// The panel's draw event: the banner, then each button in its normal or lit picture, all
// placed at the control's frame, which also becomes the origin the pointer is tested
// against, so that the buttons' hit areas always lie on their pictures.
#include "ui/panel_events.h"
#include "ui/panel_layout.h"
#include "ui/panel_state.h"

void DrawPanel(PF_InData* in_data, PF_OutData* out_data, PF_EventExtra* extra) {
  // A draw for another window says nothing about this panel, not even "do not draw".
  if (!InEffectWindow(extra)) return;
  PanelState& state = ThePanelState();
  if (extra->evt_in_flags & PF_EI_DONT_DRAW) {
    state.suppress = 1;
    return;
  }
  state.suppress = 0;
  state.origin_x = extra->effect_win.current_frame.left;
  state.origin_y = extra->effect_win.current_frame.top;

  const PanelPicture& banner = PanelBanner();
  DrawPanelBitmap(in_data, out_data, extra, banner.normal_id, banner.width, banner.height,
                  banner.dx, banner.dy);
  for (int b = 0; b < kPanelButtonCount; ++b) {
    const PanelPicture& p = PanelButtonPicture(b);
    DrawPanelBitmap(in_data, out_data, extra, state.hover[b] ? p.lit_id : p.normal_id, p.width,
                    p.height, p.dx, p.dy);
  }
}

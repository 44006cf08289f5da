// The information panel's process-wide state, shared by every instance of the effect: the
// origin of the last drawing, which button is lit, and whether the host asked the panel
// not to draw.
#pragma once

#include "ui/panel_layout.h"

struct PanelState {
  // The top-left corner of the control's frame at the last draw in the effect window; the
  // pictures are drawn there and the pointer is tested against it.
  int origin_x;
  int origin_y;
  // 1 while the pointer is inside that button's hit rectangle.
  int hover[kPanelButtonCount];
  // 1 after a draw event that asked the effect not to draw, 0 after a normal draw.
  int suppress;
};

// The one panel state of the process, all zero at load.
PanelState& ThePanelState();

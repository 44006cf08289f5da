// The panel's table: bitmap ids, sizes, offsets and hit rectangles of the banner and the
// help, about and web buttons. The buttons' rectangles reach one pixel past their pictures
// to the right and below (help's ends at x 312, where about's begins at 313).
#include "ui/panel_layout.h"

namespace {

const PanelPicture kBanner = {779, 779, 391, 123, 0, 0};

const PanelPicture kButtons[kPanelButtonCount] = {
    {782, 783, 73, 44, 239, 15},  // help
    {780, 781, 62, 61, 313, 48},  // about
    {784, 785, 54, 56, 248, 61},  // web
};

const PanelHitRect kHitRects[kPanelButtonCount] = {
    {239, 15, 312, 59},   // help
    {313, 48, 375, 109},  // about
    {248, 61, 302, 117},  // web
};

}  // namespace

const PanelPicture& PanelBanner() { return kBanner; }

const PanelPicture& PanelButtonPicture(int button) { return kButtons[button]; }

const PanelHitRect& PanelButtonHitRect(int button) { return kHitRects[button]; }

bool PanelButtonHit(int button, int origin_x, int origin_y, PF_Point point) {
  if (button < 0 || button >= kPanelButtonCount) return false;
  const PanelHitRect& r = kHitRects[button];
  // In 64 bits: a point far outside the panel cannot wrap around into it.
  const long long x = static_cast<long long>(point.h) - origin_x;
  const long long y = static_cast<long long>(point.v) - origin_y;
  return x >= r.left && x <= r.right && y >= r.top && y <= r.bottom;
}

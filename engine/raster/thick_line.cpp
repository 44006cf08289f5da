// Clipping of thick lines to the image before their walk.
#include "engine/raster/thick_line.h"

bool ClipSegmentToImage(float& x0, float& y0, float& x1, float& y1, float margin) {
  if (!isfinite(x0) || !isfinite(y0) || !isfinite(x1) || !isfinite(y1)) return false;
  const float lo_x = -margin, lo_y = -margin;
  const float hi_x = static_cast<float>(Zwidth) + margin;
  const float hi_y = static_cast<float>(Zheight) + margin;
  auto inside = [&](float x, float y) { return x >= lo_x && x <= hi_x && y >= lo_y && y <= hi_y; };
  if (inside(x0, y0) && inside(x1, y1)) return true;
  // Work in double: the end points may be far too large for float differences.
  const double dx = static_cast<double>(x1) - x0, dy = static_cast<double>(y1) - y0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double bound[4] = {lo_x, hi_x, lo_y, hi_y};
  const double q[4] = {x0 - bound[0], bound[1] - x0, y0 - bound[2], bound[3] - y0};
  double t0 = 0.0, t1 = 1.0;
  int side0 = -1, side1 = -1;  // the border each end was cut at, if any
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return false;
      continue;
    }
    const double t = q[k] / p[k];
    if (p[k] < 0.0) {
      if (t > t1) return false;
      if (t > t0) { t0 = t; side0 = k; }
    } else {
      if (t < t0) return false;
      if (t < t1) { t1 = t; side1 = k; }
    }
  }
  // A cut end lies on its border exactly; the other coordinate follows along the segment.
  // (Far-away end points would otherwise lose the cut coordinate to rounding.)
  const double sx = x0, sy = y0;
  auto cut = [&](double t, int side, float& x, float& y) {
    x = static_cast<float>(sx + t * dx);
    y = static_cast<float>(sy + t * dy);
    if (side == 0 || side == 1) x = static_cast<float>(bound[side]);
    if (side == 2 || side == 3) y = static_cast<float>(bound[side]);
  };
  if (side0 >= 0) cut(t0, side0, x0, y0);
  if (side1 >= 0) cut(t1, side1, x1, y1);
  return true;
}

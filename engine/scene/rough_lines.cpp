// Mode 0: one-pixel outlines in the inverted colours of the background.
#include <math.h>
#include <stdint.h>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"
#include "engine/scene/line_modes.h"

void RoughPlot(unsigned char* dst, const unsigned char* src, int width, int height, float x,
               float y) {
  // Range checks in float first: truncating a huge or undefined value to int is not safe.
  if (!(x > -1.0f && y > -1.0f && x < static_cast<float>(width) &&
        y < static_cast<float>(height)))
    return;
  const int xi = static_cast<int>(x), yi = static_cast<int>(y);
  if (xi < 0 || yi < 0 || xi >= width || yi >= height) return;
  // The index is by the image width (packed rows). The image drawn into has height rows of
  // _RowStride channels (the rough mode sets up no z-buffer, so Zwidth and Zheight say
  // nothing about it): a width wider than its rows cannot reach past its end.
  if (static_cast<int64_t>(width) * 4 > _RowStride) return;
  const int64_t base = (static_cast<int64_t>(yi) * width + xi) * 4;
  const int i = static_cast<int>(base);
  for (int k = 0; k < 3; ++k) WriteChannel(dst, i + k, _MaxChannel - ReadChannel(src, i + k));
  WriteChannel(dst, i + 3, _MaxChannel);
}

namespace {

// Plots (start + i, along + i * slope) for the major coordinate from `start` while below
// `end`, exchanging the coordinates for a y-major line. Steps before -1 or past `limit`
// cannot reach the image and are skipped, which keeps the walk bounded for any end points.
void RoughRun(unsigned char* dst, const unsigned char* src, int width, int height, float start,
              float along, float end, float slope, float limit, bool x_major) {
  double first = 0.0;
  if (start < -1.0f) first = ceil(-1.0 - static_cast<double>(start));
  for (double i = first;; i += 1.0) {
    const float major = start + static_cast<float>(i);
    if (!(major < end) || major >= limit) break;
    const float minor = along + (major - start) * slope;
    if (x_major)
      RoughPlot(dst, src, width, height, major, minor);
    else
      RoughPlot(dst, src, width, height, minor, major);
    if (start + static_cast<float>(i + 1.0) == major) break;  // no longer advancing in float
  }
}

}  // namespace

void RoughLine(unsigned char* dst, const unsigned char* src, int width, int height, float x0,
               float y0, float x1, float y1) {
  if (x1 == x0 && y1 == y0) return;
  if (fabsf(x1 - x0) > fabsf(y1 - y0)) {
    const bool forward = x0 < x1;
    const float xs = forward ? x0 : x1, ys = forward ? y0 : y1;
    const float xe = forward ? x1 : x0, ye = forward ? y1 : y0;
    RoughRun(dst, src, width, height, xs, ys, xe, (ye - ys) / (xe - xs),
             static_cast<float>(width), true);
  } else {
    const bool forward = y0 < y1;
    const float ys = forward ? y0 : y1, xs = forward ? x0 : x1;
    const float ye = forward ? y1 : y0, xe = forward ? x1 : x0;
    RoughRun(dst, src, width, height, ys, xs, ye, (xe - xs) / (ye - ys),
             static_cast<float>(height), false);
  }
}

void DrawRoughTriangle(const Frame& f, const Draw& d, const __Triangle3ds* tri) {
  const __Point3ds* v[3] = {&d.points[tri->a], &d.points[tri->b], &d.points[tri->c]};
  float x[3], y[3];
  for (int k = 0; k < 3; ++k) {
    x[k] = v[k]->x + static_cast<float>(d.origin_x);
    y[k] = v[k]->y + static_cast<float>(d.origin_y);
  }
  for (int k = 0; k < 3; ++k) {
    const int j = (k + 1) % 3;
    RoughLine(f.out.pixels, f.src.pixels, f.width, f.height, x[k], y[k], x[j], y[j]);
  }
}

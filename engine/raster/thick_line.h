// The thick line walk shared by the shaded lines of the line and wire modes and by the
// coloured scene outline: a start cap, runs across the walk and an end cap, each pixel
// coloured by the caller's pen and written with coverage from its distance to the segment.
#pragma once

#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"

// Half-size of the square caps and of the runs across the walk for half-width w.
inline int ThickLineReach(float w) { return static_cast<int>(w + 2.5f); }

// The widest half-width a line is drawn with: the image's larger side (Zwidth, Zheight).
// The caps cost (2R)^2 pixels and every step 2R, so an unbounded width (the exported
// _WireSize, the outline's own width) could keep one line busy for minutes; a line that
// reaches across the whole image from either side cannot be told from a wider one.
inline float MaxLineHalfWidth() {
  return static_cast<float>(Zwidth > Zheight ? Zwidth : Zheight);
}
inline float BoundedLineHalfWidth(float w) {
  const float most = MaxLineHalfWidth();
  return w > most ? most : w;
}

// Clips the segment to the image widened by `margin` pixels on every side (Liang-Barsky).
// False when nothing of it is left or an end point is not a number. Segments already inside
// are left exactly as they are.
bool ClipSegmentToImage(float& x0, float& y0, float& x1, float& y1, float margin);

// How a pixel of a line is written once coloured: with _Quality (`covered`) by its distance
// to the segment, else at coverage = opacity.
struct LineWriter {
  const FrameImage& image;
  EdgeSegment seg;
  float w;

  void Write(int x, int y, bool covered, const float c[3], float opacity) const {
    if (covered)
      PlotBySegmentDistance(image, c[0], c[1], c[2], seg, static_cast<float>(x),
                            static_cast<float>(y), w, opacity, nullptr);
    else
      PlotPixel(image, c[0], c[1], c[2], x, y, opacity);
  }
};

// Walks the line from (x0, y0) to (x1, y1) (image pixels) with half-width w. `pen(x, y, c)`
// colours pixel (x, y) into c[3] (starting from the previous pixel's colour) and returns its
// opacity. With _Quality the caps and runs are written with PlotBySegmentDistance, else one
// pixel per step with PlotPixel at coverage = opacity. A pen with kBatched set colours
// pixels some at a time instead: it takes a run of `count` covered pixels from (x, y) on,
// step (sx, sy), with pen.AddRun(writer, x, y, sx, sy, count) and a pixel without quality
// with pen.Add(writer, x, y), writes those it holds in their order with the writer when it
// likes, and the rest at pen.Finish(writer), at the end of the line; its pixels must not
// depend on the image.
template <typename Pen>
void WalkThickLine(const FrameImage& image, float x0, float y0, float x1, float y1, float w,
                   Pen& pen) {
  w = BoundedLineHalfWidth(w);
  const int r = ThickLineReach(w);
  if (!(r >= 0)) return;
  // Lines reaching far beyond the image are cut to it (and its caps) first, so that the
  // walk stays bounded and the integer steps cannot overflow.
  if (!ClipSegmentToImage(x0, y0, x1, y1, static_cast<float>(r) + 2.0f)) return;
  // 1. Integer start and extents.
  int xi = static_cast<int>(x0), yi = static_cast<int>(y0);
  const int dx = static_cast<int>(x1 - x0), dy = static_cast<int>(y1 - y0);
  if (dx == 0 && dy == 0) return;
  // 2. The segment as the coverage writer sees it.
  const LineWriter writer{image, MakeEdgeSegment(x0, y0, x1, y1), w};
  float c[3] = {static_cast<float>(_MaxChannel), 0.0f, 0.0f};
  // One pixel coloured by a pen that colours pixel by pixel, and written.
  auto plot = [&](int x, int y, bool covered) {
    if constexpr (!Pen::kBatched) {
      const float opacity = pen(x, y, c);
      writer.Write(x, y, covered, c, opacity);
    }
  };
  // The 2R covered pixels from (x, y) on, stepping by (step_x, step_y).
  auto run = [&](int x, int y, int step_x, int step_y) {
    if constexpr (Pen::kBatched) {
      pen.AddRun(writer, x, y, step_x, step_y, 2 * r);
    } else {
      for (int k = 0; k < 2 * r; ++k) plot(x + k * step_x, y + k * step_y, true);
    }
  };
  // A 2R x 2R square from (fx, fy) stepping by (sx, sy), up to the opposite corner.
  auto square = [&](int cx, int cy, int sx, int sy) {
    for (int y = cy - sy * r; y != cy + sy * r; y += sy) run(cx - sx * r, y, sx, 0);
  };
  // 3. Directions, major and minor counts, error term.
  const int sx = dx < 0 ? -1 : 1, sy = dy < 0 ? -1 : 1;
  const int adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  const bool x_major = adx >= ady;
  const int n = x_major ? adx : ady, m = x_major ? ady : adx;
  int err = 2 * m - n;
  // 4. Start cap.
  if (_Quality) square(xi, yi, sx, sy);
  // 5. The walk.
  for (int i = 0; i <= n; ++i) {
    if (_Quality) {
      if (x_major)
        run(xi, yi - sy * r, 0, sy);
      else
        run(xi - sx * r, yi, sx, 0);
    } else if constexpr (Pen::kBatched) {
      pen.Add(writer, xi, yi);
    } else {
      plot(xi, yi, false);
    }
    while (err >= 0) {
      if (x_major)
        yi += sy;
      else
        xi += sx;
      err -= 2 * n;
    }
    if (x_major)
      xi += sx;
    else
      yi += sy;
    err += 2 * m;
  }
  // 6. End cap, walked backwards.
  if (_Quality) square(xi, yi, -sx, -sy);
  if constexpr (Pen::kBatched) pen.Finish(writer);
}

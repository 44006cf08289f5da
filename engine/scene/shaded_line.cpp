// Thick lines of the line and wire modes, coloured pixel by pixel by the installed shader.
#include "engine/engine_state.h"
#include "engine/raster/thick_line.h"
#include "engine/scene/line_modes.h"

namespace {

// The shader at one pixel of the line; the colour carries over from the previous pixel.
struct ShadedPen {
  const LineShading& s;
  __Point normal;
  const float* plane;

  float operator()(int x, int y, float c[3]) {
    return RenderOnePixel(static_cast<float>(s.origin_x), static_cast<float>(s.origin_y),
                          s.dst, s.src, static_cast<float>(x - s.origin_x),
                          static_cast<float>(y - s.origin_y), 0.0f, s.tri, s.mats,
                          s.mat_count, c[0], c[1], c[2], &normal, 0, 0.0f, 0.0f, s.textures,
                          s.light_count, s.lights, nullptr, s.glass, plane[0], plane[1],
                          plane[2], plane[3]);
  }
};

}  // namespace

void DrawShadedLine(const LineShading& s, float x0, float y0, float x1, float y1, float w,
                    const float plane[4]) {
  ShadedPen pen{s, __Point{-plane[0], -plane[1], -plane[2]}, plane};
  WalkThickLine(s.dst, x0, y0, x1, y1, w, pen);
}

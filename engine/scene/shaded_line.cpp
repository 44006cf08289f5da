// Thick lines of the line and wire modes, coloured pixel by pixel by the installed shader,
// or eight pixels at a time where the default shader would light a plain material.
#include "engine/engine_state.h"
#include "engine/raster/plain_pixels.h"
#include "engine/raster/segment_lanes.h"
#include "engine/raster/thick_line.h"
#include "engine/scene/line_modes.h"
#include "engine/shading/plain_shading.h"

namespace {

// The shader at one pixel of the line; the colour carries over from the previous pixel.
struct ShadedPen {
  static constexpr bool kBatched = false;
  const LineShading& s;
  __Point normal;
  const Plane& plane;

  float operator()(int x, int y, float c[3]) {
    const Draw& d = s.draw;
    return RenderOnePixel(static_cast<float>(d.origin_x), static_cast<float>(d.origin_y),
                          s.image.pixels, s.frame.src.pixels, static_cast<float>(x - d.origin_x),
                          static_cast<float>(y - d.origin_y), 0.0f, s.tri, d.mats, d.mat_count,
                          c[0], c[1], c[2], &normal, 0, 0.0f, 0.0f, d.textures, d.light_count,
                          d.lights, nullptr, d.glass, plane.nx, plane.ny, plane.nz, plane.d);
  }
};

// The same colours for a plain material, eight pixels at a time: the default shader then
// reads neither the image nor the previous colour, and sees each pixel at its position with
// the line's normal, depth 0 and no texture coordinates. The pixels are written in the
// order they came. The covered pixels' coverages are found first, at the row lanes' width,
// and a pixel at coverage 0, which the write would leave as it is, is not lit at all: most
// of a cap's square lies beyond the line's reach.
struct PlainPen {
  static constexpr bool kBatched = true;
  const LineShading& s;
  __Point normal;
  PlainPixels plain;
  SegmentLanes lanes;  // the line's terms for its coverages, once made
  bool lanes_made = false;

  PlainPen(const LineShading& shading_of, const __Point& line_normal)
      : s(shading_of), normal(line_normal) {}

  // The run's coverages RowLanes::kWidth pixels at a time (lane j bit for bit the pixel's own
  // coverage); the pixels with coverage go on to be lit, in the run's order.
  void AddRun(const LineWriter& writer, int x, int y, int sx, int sy, int count) {
    using L = simd_lanes::RowLanes;
    if (!lanes_made) lanes = MakeSegmentLanes(writer.seg, _DrawMode), lanes_made = true;
    // Steps of -1, 0 or 1 times the lanes' counts: whole numbers below 2^24, so exact.
    const L::V step_x = L::Mul(L::Counting(0), L::Set(static_cast<float>(sx)));
    const L::V step_y = L::Mul(L::Counting(0), L::Set(static_cast<float>(sy)));
    for (int k = 0; k < count; k += L::kWidth) {
      const L::V xs = L::Add(L::Set(static_cast<float>(x + k * sx)), step_x);
      const L::V ys = L::Add(L::Set(static_cast<float>(y + k * sy)), step_y);
      float cover_of[L::kWidth];
      int lit = segment_lanes::Coverage<L>(lanes, xs, ys, writer.w, cover_of);
      if (count - k < L::kWidth) lit &= (1 << (count - k)) - 1;
      for (; lit != 0; lit &= lit - 1) {
        const int j = __builtin_ctz(static_cast<unsigned>(lit));
        Light(writer, x + (k + j) * sx, y + (k + j) * sy, cover_of[j]);
      }
    }
  }

  // A pixel without quality: written at the opacity itself (coverage 1).
  void Add(const LineWriter& writer, int x, int y) { Light(writer, x, y, 1.0f); }

  // Pixel (x, y) into the lighting batch at coverage k (a covered pixel's is not 0), the
  // writes LineWriter makes, a batch at once.
  void Light(const LineWriter& writer, int x, int y, float k) {
    plain.Add(static_cast<float>(x - s.draw.origin_x), static_cast<float>(y - s.draw.origin_y),
              0.0f, normal, x, y, k);
    if (plain.Full()) plain.Flush(writer.image);
  }

  void Finish(const LineWriter& writer) { plain.Flush(writer.image); }
};

}  // namespace

void DrawShadedLine(const LineShading& s, float x0, float y0, float x1, float y1, float w,
                    const Plane& plane) {
  const __Point normal{-plane.nx, -plane.ny, -plane.nz};
  const Draw& d = s.draw;
  PlainPen plain_pen(s, normal);
  if (s.tri && PlainShadingApplies(*s.tri, d.mats, d.mat_count, d.textures, false,
                                   d.light_count, d.lights, d.glass, plain_pen.plain.shading)) {
    WalkThickLine(s.image, x0, y0, x1, y1, w, plain_pen);
    return;
  }
  ShadedPen pen{s, normal, plane};
  WalkThickLine(s.image, x0, y0, x1, y1, w, pen);
}

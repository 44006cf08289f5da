// Outline of a scene in one colour: the edges of the front faces (both sides with
// _DubleSide) as thick anti-aliased lines, drawn with the image settings of the last
// __RasterScene or __RasterSolid.
#include "engine/engine_state.h"
#include "engine/raster/face_culling.h"
#include "engine/raster/thick_line.h"

namespace {

// The given colour at full opacity for every pixel of the line.
struct ColorPen {
  float colour[3];
  float operator()(int, int, float c[3]) const {
    for (int k = 0; k < 3; ++k) c[k] = colour[k];
    return 1.0f;
  }
};

}  // namespace

QV_API void __DrawScenesLineColor(float width, int red, int green, int blue, unsigned char* dst,
                                  unsigned char* /*src*/, int /*image_width*/,
                                  int /*image_height*/, int /*unused*/, int count,
                                  __Triangle3ds* tris, __Point3ds* points, int origin_x,
                                  int origin_y) {
  if (!dst || !tris || !points) return;
  ColorPen pen{{static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue)}};
  const float ox = static_cast<float>(origin_x), oy = static_cast<float>(origin_y);
  for (int i = 0; i < count; ++i) {
    const __Triangle3ds& t = tris[i];
    const __Point3ds* v[3] = {&points[t.a], &points[t.b], &points[t.c]};
    if (OrientationNz(*v[0], *v[1], *v[2]) < 0.0f && !_DubleSide) continue;
    for (int k = 0; k < 3; ++k) {
      const __Point3ds& a = *v[k];
      const __Point3ds& b = *v[(k + 1) % 3];
      WalkThickLine(dst, a.x + ox, a.y + oy, b.x + ox, b.y + oy, width, pen);
    }
  }
}

// Outline of a scene in one colour: the edges of the front faces (both sides with
// _DubleSide) as thick anti-aliased lines, drawn with the image settings of the last
// __RasterScene or __RasterSolid, bounded by the image the caller gives.
#include <stdint.h>

#include "engine/engine_state.h"
#include "engine/raster/face_culling.h"
#include "engine/raster/thick_line.h"

namespace {

// The given colour at full opacity for every pixel of the line.
struct ColorPen {
  static constexpr bool kBatched = false;
  float colour[3];
  float operator()(int, int, float c[3]) const {
    for (int k = 0; k < 3; ++k) c[k] = colour[k];
    return 1.0f;
  }
};

// The image the outline is drawn into, for the length of one call: the size left by the
// last render, limited to the image's own size when the caller gives it. A caller's image
// smaller than the last render's is then written as the packed image it is, never past it.
struct OutlineImage {
  int32_t width, height, stride;
};

OutlineImage BoundOutlineImage(int image_width, int image_height) {
  OutlineImage saved{Zwidth, Zheight, _RowStride};
  // An image as wide as the last render's keeps its row stride (which may be padded), also
  // when it has fewer rows; a narrower one is taken as packed.
  if (image_width > 0 && image_height > 0) {
    if (image_width < Zwidth) {
      Zwidth = image_width;
      _RowStride = image_width * 4;
    }
    if (image_height < Zheight) Zheight = image_height;
  }
  return saved;
}

void RestoreImage(const OutlineImage& saved) {
  Zwidth = saved.width;
  Zheight = saved.height;
  _RowStride = saved.stride;
}

void OutlineTriangles(float width, ColorPen pen, unsigned char* dst, int count,
                      const __Triangle3ds* tris, const __Point3ds* points, float ox, float oy) {
  const FrameImage image = OutputImage(dst);
  for (int i = 0; i < count; ++i) {
    const __Triangle3ds& t = tris[i];
    const __Point3ds* v[3] = {&points[t.a], &points[t.b], &points[t.c]};
    if (OrientationNz(*v[0], *v[1], *v[2]) < 0.0f && !_DubleSide) continue;
    for (int k = 0; k < 3; ++k) {
      const __Point3ds& a = *v[k];
      const __Point3ds& b = *v[(k + 1) % 3];
      WalkThickLine(image, a.x + ox, a.y + oy, b.x + ox, b.y + oy, width, pen);
    }
  }
}

}  // namespace

QV_API void __DrawScenesLineColor(float width, int red, int green, int blue, unsigned char* dst,
                                  unsigned char* /*src*/, int image_width, int image_height,
                                  int /*unused*/, int count, __Triangle3ds* tris,
                                  __Point3ds* points, int origin_x, int origin_y) {
  if (!dst || !tris || !points) return;
  ColorPen pen{{static_cast<float>(red), static_cast<float>(green), static_cast<float>(blue)}};
  const OutlineImage saved = BoundOutlineImage(image_width, image_height);
  OutlineTriangles(width, pen, dst, count, tris, points, static_cast<float>(origin_x),
                   static_cast<float>(origin_y));
  RestoreImage(saved);
}

// __RasterSolid: every triangle filled in one colour and opacity, without shading, depth or
// culling, and without allocating anything.
#include <stdint.h>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"
#include "engine/raster/shaded_triangle.h"

QV_API void __RasterSolid(unsigned char* dst, int width, int height, int stride, int /*unused*/,
                          int count, __Triangle3ds* tris, __Point3ds* points, int origin_x,
                          int origin_y, float c0, float c1, float c2, float opacity) {
  // The writes index rows by stride and columns up to width: a stride shorter than a row of
  // pixels would run past the image, and one whose height rows span more channels than an
  // int counts describes no image that can be held. Such a call (like a missing image or an
  // empty size) draws nothing and leaves the engine's image settings as they were.
  if (!dst || width <= 0 || height <= 0 ||
      static_cast<int64_t>(stride) < static_cast<int64_t>(width) * 4 ||
      static_cast<int64_t>(stride) * height > INT32_MAX)
    return;
  _RowStride = stride;
  Zwidth = width;
  Zheight = height;
  _MaxChannel = _Deep ? 32768 : 255;
  if (!tris || !points) return;
  const FrameImage image = OutputImage(dst);
  const float colour[3] = {c0, c1, c2};
  for (int i = 0; i < count; ++i)
    DrawSolidTriangle(image, tris[i], points, origin_x, origin_y, colour, opacity);
}

// The per-pixel depth test: the z-buffer's grid read once, and the test against it.
#include "engine/raster/depth_test.h"

#include "engine/zbuffer.h"

DepthGrid CurrentDepthGrid() {
  DepthGrid g{ZBuff, Zwidth, 0, 0, 0};
  if (!ZBuff) return g;
  int32_t real_width, real_height;
  ZBuffExtent(real_width, real_height);
  g.cols = Zwidth < real_width ? Zwidth : real_width;
  g.rows = Zheight < real_height ? Zheight : real_height;
  g.limit = static_cast<long long>(real_width) * real_height;
  return g;
}

bool DepthTest(float x, float y, float nx, float ny, float nz, float d,
               const __Point3ds* vertices, int ox, int oy, float& z, int& cell,
               float& old_depth) {
  return DepthTestIn(CurrentDepthGrid(), x, y, nx, ny, nz, d, vertices, ox, oy, z, cell,
                     old_depth);
}

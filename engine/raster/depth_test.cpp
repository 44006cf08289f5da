// The per-pixel depth test: the face plane's depth at a pixel against the z-buffer.
#include "engine/raster/depth_test.h"

#include <math.h>

#include "engine/raster/truncate.h"
#include "engine/zbuffer.h"

bool DepthTest(float x, float y, float nx, float ny, float nz, float d,
               const __Point3ds* vertices, int ox, int oy, float& z, int& cell,
               float& old_depth) {
  // |nz| below 0.01: the plane is seen almost edge-on and its depth formula blows up, so
  // the whole face takes vertex 0's depth.
  bool flat_depth = fabsf(nz) < 0.01f;
  cell = -1;
  if (!ZBuff) {
    z = flat_depth ? vertices[0].z : -((ny * y + nx * x) + d) / nz;
    return true;
  }
  int cx = TruncToInt(static_cast<double>(x) + ox);
  int cy = TruncToInt(static_cast<double>(y) + oy);
  if (flat_depth) {
    z = vertices[0].z;
  } else {
    double plane = static_cast<double>(ny) * y + static_cast<double>(nx) * x;
    z = static_cast<float>(-(plane + d) / nz);
  }
  int index = ZBuffCellIndex(cx, cy);
  if (index < 0) return false;
  float stored = ZBuff[index];
  if (!(z > stored)) return false;  // equal depth fails: the first triangle keeps the pixel
  old_depth = stored;
  ZBuff[index] = z;
  cell = index;
  return true;
}

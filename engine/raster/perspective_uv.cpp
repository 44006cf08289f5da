// Texture coordinates under perspective: pixels are mapped back through the projection
// that __AddPersp applied, and weighted against the unprojected corners.
#include "engine/raster/interpolation.h"

#include "engine/engine_state.h"

void UnprojectPoint(float x, float y, float z, float& out_x, float& out_y) {
  // A distance of 0 means __AddPersp projected nothing; its scale is then 1.
  float s = _Persp_Far != 0 ? 1 - z / _Persp_Far : 1.0f;
  out_x = x * s + _Persp_x;
  out_y = y * s + _Persp_y;
}

void TexCoordsAtPixel(float& u, float& v, float x, float y, float z, int ox, int oy,
                      const AreaMatrix& projected, const __Point3ds* vertices) {
  const AreaMatrix& p = projected;
  if (p.det == 0) return;  // the corners collapse: the rasterizers skip such triangles
  float qx, qy;
  UnprojectPoint(x - static_cast<float>(ox), y - static_cast<float>(oy), z, qx, qy);
  float w[3];
  w[2] = AreaDet(p.x[0], p.y[0], p.x[1], p.y[1], qx, qy) / p.det;
  w[0] = AreaDet(p.x[1], p.y[1], p.x[2], p.y[2], qx, qy) / p.det;
  w[1] = AreaDet(p.x[2], p.y[2], p.x[0], p.y[0], qx, qy) / p.det;
  for (int i = 0; i < 3; ++i) {
    if (w[i] < 0) w[i] = 0;
  }
  float sum = w[0] + w[1] + w[2];  // all non-negative by now: the sum of magnitudes
  if (sum != 0) {
    for (int i = 0; i < 3; ++i) w[i] /= sum;
  }
  u = w[0] * vertices[0].u + w[1] * vertices[1].u + w[2] * vertices[2].u;
  v = w[0] * vertices[0].v + w[1] * vertices[1].v + w[2] * vertices[2].v;
}

// Perspective projection of the vertices: x and y spread from the projection centre by
// 1 / (1 - z / far); the values are recorded so that the rasterizers can undo it for
// texture coordinates.
#include <math.h>

#include "engine/engine_state.h"

QV_API void __AddPersp(int count, __Point3ds* points, float val, float x, float y, float far_) {
  _Persp_Val = val;
  _Persp_x = x;
  _Persp_y = y;
  _Persp_Far = far_;
  if (far_ == 0.0f || val == 0.0f || !points) return;
  for (int i = 0; i < count; ++i) {
    __Point3ds& p = points[i];
    float s = 1.0f - p.z / far_;
    // A vertex at (or within 1e-8 of) the far distance would divide by zero: it is thrown
    // 1e8 times its offset away instead, on the side its s has.
    if (fabsf(s) < 1e-8f) s = s < 0.0f ? -1e-8f : 1e-8f;
    p.x = (p.x - _Persp_x) / s + _Persp_x;
    p.y = (p.y - _Persp_y) / s + _Persp_y;
  }
}

// Solid fill of a mesh without shading (placeholder).
#include "engine/engine_state.h"

QV_API void __RasterSolid(unsigned char* dst, int width, int height, int stride, int unused,
                          int count, __Triangle3ds* tris, __Point3ds* points, int origin_x,
                          int origin_y, float c0, float c1, float c2, float opacity) {}

// The scene entry (placeholder: draws nothing until the rasterizers land).
#include "engine/engine_state.h"

QV_API void __RasterScene(unsigned char* dst, unsigned char* src, int width, int height,
                          int stride, int point_count, int tri_count, __Triangle3ds* tris,
                          __Point3ds* points, int origin_x, int origin_y, int mat_count,
                          material3ds* mats, __Texture* textures, int light_count,
                          light3ds* lights, GlassProp* glass) {}

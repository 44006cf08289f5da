// The engine's default per-pixel shader (placeholder until the lighting model lands: a plain
// mid-grey, fully opaque).
#include "engine/engine_state.h"

float DefRenderOnePixel(float origin_x, float origin_y, unsigned char* dst, unsigned char* src,
                        float x, float y, float z, __Triangle3ds* tri, material3ds* mats,
                        int mat_count, float& c0, float& c1, float& c2, __Point* normal,
                        unsigned char textured, float u, float v, __Texture* textures,
                        int light_count, light3ds* lights, __PrevInfo* prev, GlassProp* glass,
                        float plane_nx, float plane_ny, float plane_nz, float plane_d) {
  c0 = c1 = c2 = static_cast<float>(_MaxChannel) * 0.5f;
  return 1.0f;
}

// The default shader's plain-material case over rows of pixels at once (see plain_shading.h).
#include "engine/shading/plain_shading.h"

#include "engine/cpu_paths.h"
#include "engine/engine_state.h"
#include "engine/shading/lighting_lanes.h"
#if QUORVEL_SIMD
#include "engine/shading/plain_eight_avx.h"
#endif
#include "engine/shading/shading_stages.h"
#include "engine/shading/texel_position.h"

namespace {

// True when the material's slots hold a map the shader would read for these pixels.
bool ReadsMaps(const __Texture* maps, bool textured) {
  if (!maps) return false;
  if (maps[3].present) return true;  // reflection
  if (!textured) return false;
  return TextureUsable(maps[0]) || maps[1].present || maps[2].present;
}

}  // namespace

void TakeMaterialValues(const material3ds& mat, MaterialValues& out) {
  // Transparency is stored negated; only a negative stored value makes the surface clear.
  const float t = -mat.transparency;
  out.alpha = 1.0f - (t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t));
  for (int k = 0; k < 3; ++k) {
    out.diffuse[k] = mat.diffuse[k];
    out.specular[k] = mat.specular[k];
  }
  out.exponent = 100.0f * mat.shininess;
  out.strength = mat.shininess_strength;
  out.self_illumination = mat.self_illumination;
}

bool GlassStageOn(const __Triangle3ds& tri, const material3ds* mats, int mat_count,
                  const GlassProp* glass) {
  const GlassProp* entry = GlassEntry(tri, mats, mat_count, glass);
  return entry && entry->glass != 0;
}

bool PreparePlainShading(const __Triangle3ds& tri, const material3ds* mats, int mat_count,
                         const __Texture* textures, bool textured, int light_count,
                         const light3ds* lights, PlainShading& out) {
  out = PlainShading{};
  const int m = tri.material;
  if (m < 0) return false;
  if (mats && mat_count >= 1 && m < mat_count) {
    if (ReadsMaps(textures ? textures + 4 * m : nullptr, textured)) return false;
    TakeMaterialValues(mats[m], out);
  }
  out.underflow = SpecularUnderflowBound(out.exponent);
  if (light_count > 0 && lights) {
    out.light_count = light_count;
    out.lights = lights;
  } else if (LightDef) {
    out.light_count = 1;
    out.lights = LightDef;
  }
  return true;
}

bool DefaultShaderWithoutGlass(const __Triangle3ds& tri, const material3ds* mats,
                               int mat_count, const GlassProp* glass) {
  return RenderOnePixel == DefRenderOnePixel && !GlassStageOn(tri, mats, mat_count, glass);
}

bool PlainShadingApplies(const __Triangle3ds& tri, const material3ds* mats, int mat_count,
                         const __Texture* textures, bool textured, int light_count,
                         const light3ds* lights, const GlassProp* glass, PlainShading& out) {
  return DefaultShaderWithoutGlass(tri, mats, mat_count, glass) &&
         PreparePlainShading(tri, mats, mat_count, textures, textured, light_count, lights, out);
}

void ShadePlainFour(const PlainShading& p, const FourPixels& in, float c0[4], float c1[4],
                    float c2[4]) {
  using L = simd_lanes::RowLanes;
  for (int j = 0; j < 4; j += L::kWidth)
    lighting::Shade<L>(p, in.x + j, in.y + j, in.z + j, in.nx + j, in.ny + j, in.nz + j, c0 + j,
                       c1 + j, c2 + j);
}

namespace {

// The first `count` pixels of a batch lit at the row lanes' width (no wider path).
template <class Pixels>
void ShadeRows(const PlainShading& p, const Pixels& in, int count, float* c0, float* c1,
               float* c2) {
  using L = simd_lanes::RowLanes;
  for (int j = 0; j < count; j += L::kWidth)
    lighting::Shade<L>(p, in.x + j, in.y + j, in.z + j, in.nx + j, in.ny + j, in.nz + j, c0 + j,
                       c1 + j, c2 + j);
}

}  // namespace

void ShadePlainEight(const PlainShading& p, const EightPixels& in, int count, float c0[8],
                     float c1[8], float c2[8]) {
#if QUORVEL_SIMD
  if (PlainLaneWidth() == 8) {
    ShadePlainEightAvx(p, in, c0, c1, c2);
    return;
  }
#endif
  ShadeRows(p, in, count, c0, c1, c2);
}

void ShadePlainSixteen(const PlainShading& p, const SixteenPixels& in, int count, float c0[16],
                       float c1[16], float c2[16]) {
#if QUORVEL_SIMD
  if (PlainLaneWidth() == 8) {
    ShadePlainSixteenAvx(p, in, count, c0, c1, c2);
    return;
  }
#endif
  ShadeRows(p, in, count, c0, c1, c2);
}

int PlainLaneWidth() { return g_cpu_paths.avx ? 8 : simd_lanes::RowLanes::kWidth; }

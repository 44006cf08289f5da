// The engine's default per-pixel shader: material, maps, glass and a list of point lights
// turned into one pixel's colour (channel units) and opacity.
#include <math.h>
#include <stdint.h>
#include <string.h>

#include "engine/engine_state.h"
#include "engine/shading/lighting_lanes.h"
#include "engine/shading/plain_shading.h"
#include "engine/shading/shading_stages.h"
#include "engine/shading/texel_position.h"
#include "platform/exact_math.h"

namespace {

using simd_lanes::Lanes1;

// What the shader works with for one pixel: the material's values (the defaults without a
// usable material) and its reflection.
struct Surface {
  MaterialValues m;
  bool has_reflection = false;
  float reflection[3] = {0.0f, 0.0f, 0.0f};
  float reflection_percent = 0.0f;
};

// p * sample + max(0, 1 - p) * colour, per channel.
void MixInto(float colour[3], const float sample[3], float p) {
  const float keep = 1.0f - p > 0.0f ? 1.0f - p : 0.0f;
  for (int k = 0; k < 3; ++k) colour[k] = p * sample[k] + keep * colour[k];
}

// Step 3: the material's values, its reflection lookup and, for a textured face, its colour
// texture, opacity map and bump map.
void ApplyMaterial(Surface& s, const material3ds& mat, const __Texture* maps, float x, float y,
                   float z, __Point& n, bool textured, float u, float v,
                   const __PrevInfo* prev) {
  TakeMaterialValues(mat, s.m);
  s.reflection_percent = mat.reflection_map.percent;
  if (!maps) return;  // no texture slots at all: nothing to look up

  const __Texture& reflection = maps[3];
  if (reflection.present) {
    s.has_reflection = true;
    SampleReflection(x, y, z, n, mat.reflection_map, reflection, s.reflection_percent,
                     s.has_reflection, s.reflection[0], s.reflection[1], s.reflection[2]);
  }
  if (!textured) return;

  float sample[3];
  float p = mat.texture_map.percent;
  // Without an image the sampler would only clear the flag: the call is skipped.
  bool enabled = TextureUsable(maps[0]);
  if (enabled)
    SampleTexture(sample[0], sample[1], sample[2], mat.texture_map, maps[0], p, enabled, u, v,
                  prev);
  if (enabled) MixInto(s.m.diffuse, sample, p);

  p = mat.opacity_map.percent;
  if (maps[1].present) {
    enabled = true;
    SampleTexture(sample[0], sample[1], sample[2], mat.opacity_map, maps[1], p, enabled, u, v,
                  prev);
    if (enabled) {
      float q = sample[0];
      if (sample[1] > q) q = sample[1];
      if (sample[2] > q) q = sample[2];
      const float keep = 1.0f - p > 0.0f ? 1.0f - p : 0.0f;
      s.m.alpha = q * p + keep * s.m.alpha;
    }
  }

  if (maps[2].present) {
    p = mat.bump_map.percent;
    enabled = true;
    ApplyBump(n.x, n.y, mat.bump_map, maps[2], p, enabled, u, v, prev);
  }
}

}  // namespace

float SpecularUnderflowBound(float exponent) {
  if (!(exponent > 0.0f)) return 0.0f;
  const double bound = exact_math::ExactExp2(-152.0 / static_cast<double>(exponent));
  float b = static_cast<float>(bound);
  if (static_cast<double>(b) > bound) b = nextafterf(b, 0.0f);
  return b;
}

bool SpecularUnderflows(float d, float exponent) {
  // log2 d from above: d = m 2^e with m in [1, 2), and log2 m at most its tangent at sqrt 2,
  // 1/2 + (m - sqrt 2) / (sqrt 2 ln 2), which lies within 0.1 above it (a millionth added for
  // the roundings). Zero and subnormal d count as 2^-126; not a number and infinity as above
  // 1, where nothing is skipped.
  uint32_t bits;
  memcpy(&bits, &d, sizeof bits);
  const int field = static_cast<int>((bits >> 23) & 0xff);
  double log2_d = -126.0;
  if (field != 0) {
    const uint32_t m_bits = (bits & 0x007fffffu) | 0x3f800000u;
    float m;
    memcpy(&m, &m_bits, sizeof m);
    log2_d = (field - 127) + 0.5 + (m - 1.4142135623730951) * 1.0201394465967895 + 1e-6;
  }
  // d^exponent under 2^-152 (with room for the product's rounding).
  return static_cast<double>(exponent) * log2_d < -152.0 - 1e-6;
}

float DefRenderOnePixel(float origin_x, float origin_y, unsigned char* /*dst*/, unsigned char* src,
                        float x, float y, float z, __Triangle3ds* tri, material3ds* mats,
                        int mat_count, float& c0, float& c1, float& c2, __Point* normal,
                        unsigned char textured, float u, float v, __Texture* textures,
                        int light_count, light3ds* lights, __PrevInfo* prev, GlassProp* glass,
                        float plane_nx, float plane_ny, float plane_nz, float plane_d) {
  // 1. Normal.
  __Point n = *normal;
  lighting::PrepareNormal<Lanes1>(n.x, n.y, n.z);

  // 2. Defaults; 3. material (only for an index below the material count).
  Surface s;
  const int m = tri->material;
  const bool has_material = mats && mat_count >= 1 && m < mat_count;
  if (has_material)
    ApplyMaterial(s, mats[m], textures ? textures + 4 * m : nullptr, x, y, z, n, textured != 0,
                  u, v, prev);

  // 4. Reflection mix, over the textured colour.
  if (s.has_reflection) MixInto(s.m.diffuse, s.reflection, s.reflection_percent);

  // 5. Lights: the default light stands in for an empty list; without it the pixel is black.
  if (light_count <= 0 || !lights) {
    if (!LightDef) {
      c0 = c1 = c2 = 0.0f;
      return s.m.alpha;
    }
    light_count = 1;
    lights = LightDef;
  }

  // 6. Outputs start at 0.
  float out[3] = {0.0f, 0.0f, 0.0f};

  // 7. Glass: the entry of the triangle's material, entry 0 when there are no materials. A
  // face whose material index is out of range is shaded with the defaults and no glass.
  const GlassProp* entry = GlassEntry(*tri, mats, mat_count, glass);
  if (entry && entry->glass) {
    GlassPixel pixel{origin_x, origin_y, x,    y,    z, {plane_nx, plane_ny, plane_nz, plane_d},
                     src,      prev,     n};
    ApplyGlass(pixel, *entry, s.m.diffuse, s.m.alpha);
  }

  // 8. Lighting; 9. scale and clamp.
  const float normal_lanes[3] = {n.x, n.y, n.z};
  const float exponent = s.m.exponent;
  lighting::AddLights<Lanes1>(
      s.m, [exponent](float d) { return SpecularUnderflows(d, exponent); }, light_count, lights,
      normal_lanes, x, y, z, out);
  lighting::ToChannels<Lanes1>(out[0], &c0);
  lighting::ToChannels<Lanes1>(out[1], &c1);
  lighting::ToChannels<Lanes1>(out[2], &c2);
  return s.m.alpha;
}

// The engine's default per-pixel shader: material, maps, glass and a list of point lights
// turned into one pixel's colour (channel units) and opacity.
#include <emmintrin.h>
#include <math.h>

#include "engine/engine_state.h"
#include "engine/shading/plain_shading.h"
#include "engine/shading/shading_stages.h"
#include "engine/shading/texel_position.h"
#include "platform/exact_math.h"

namespace {

// What the shader works with for one pixel; the defaults serve a triangle without a usable
// material.
struct Surface {
  float diffuse[3] = {0.5f, 0.5f, 0.5f};
  float specular[3] = {1.0f, 1.0f, 1.0f};
  float exponent = 150.0f;
  float strength = 10.0f;
  float self_illumination = 0.0f;
  float alpha = 1.0f;
  bool has_reflection = false;
  float reflection[3] = {0.0f, 0.0f, 0.0f};
  float reflection_percent = 0.0f;
};

// p * sample + max(0, 1 - p) * colour, per channel.
void MixInto(float colour[3], const float sample[3], float p) {
  const float keep = 1.0f - p > 0.0f ? 1.0f - p : 0.0f;
  for (int k = 0; k < 3; ++k) colour[k] = p * sample[k] + keep * colour[k];
}

// x, y and z each divided by d, the three divisions in the lanes of one SSE instruction
// (each lane rounds exactly as the scalar division does).
void DivideBy(float& x, float& y, float& z, float d) {
  alignas(16) float q[4];
  _mm_store_ps(q, _mm_div_ps(_mm_setr_ps(x, y, z, 0.0f), _mm_set1_ps(d)));
  x = q[0];
  y = q[1];
  z = q[2];
}

// Step 1: the normal faces the viewer's side of the current pass and is made unit length (a
// zero normal stays zero).
__Point PrepareNormal(const __Point& in) {
  __Point n = in;
  if (_DrawBackFaces1) {
    n.x = -n.x;
    n.y = -n.y;
    n.z = -n.z;
  }
  if (_DubleSide && n.z < 0.0f) n.z = -n.z;
  const float len = sqrtf(n.x * n.x + n.y * n.y + n.z * n.z);
  if (len != 0.0f) DivideBy(n.x, n.y, n.z, len);
  return n;
}

// Step 3: the material's values, its reflection lookup and, for a textured face, its colour
// texture, opacity map and bump map.
void ApplyMaterial(Surface& s, const material3ds& mat, const __Texture* maps, float x, float y,
                   float z, __Point& n, bool textured, float u, float v,
                   const __PrevInfo* prev) {
  TakeMaterialValues(mat, s.alpha, s.diffuse, s.specular, s.exponent, s.strength,
                     s.self_illumination);
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
  if (enabled) MixInto(s.diffuse, sample, p);

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
      s.alpha = q * p + keep * s.alpha;
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
  // The last exponent's bound: a render's pixels mostly share one or two materials.
  static float last_exponent = 0.0f;
  static float last_bound = 0.0f;
  if (!(exponent > 0.0f)) return 0.0f;
  if (exponent == last_exponent) return last_bound;
  const double bound = exact_math::ExactExp2(-152.0 / static_cast<double>(exponent));
  float b = static_cast<float>(bound);
  if (static_cast<double>(b) > bound) b = nextafterf(b, 0.0f);
  last_exponent = exponent;
  last_bound = b;
  return b;
}

namespace {

// Step 8: diffuse d = N.L x multiplier, specular d^E x K, self illumination lifting the
// diffuse factor, summed over the lights per channel.
void AddLights(float out[3], const Surface& s, const __Point& n, float x, float y, float z,
               int light_count, const light3ds* lights) {
  const float f0 = 1.0f - s.self_illumination;
  const float underflow = SpecularUnderflowBound(s.exponent);
  for (int i = 0; i < light_count; ++i) {
    const light3ds& light = lights[i];
    float lx = light.position[0] - x;
    float ly = light.position[1] - y;
    float lz = light.position[2] - z;
    const float len = sqrtf(lx * lx + ly * ly + lz * lz);
    if (len != 0.0f) DivideBy(lx, ly, lz, len);
    float d = (n.x * lx + n.y * ly + n.z * lz) * light.multiplier;
    if (d <= 0.0f) d = 0.0f;
    const float highlight =
        (d < underflow ? 0.0f : exact_math::ExactPowf(d, s.exponent)) * s.strength;
    const float dif = d * f0 + s.self_illumination;
    for (int k = 0; k < 3; ++k)
      out[k] += (s.diffuse[k] * dif + s.specular[k] * highlight) * light.colour[k];
  }
}

// Step 9: to channel units, clamped first below, then above. A value that is not a number
// (an infinite specular term times zero) counts as 0 rather than reaching the pixel write.
float ToChannel(float v) {
  v *= static_cast<float>(_MaxChannel);
  if (!(v >= 0.0f)) v = 0.0f;
  if (v > static_cast<float>(_MaxChannel)) v = static_cast<float>(_MaxChannel);
  return v;
}

}  // namespace

float DefRenderOnePixel(float origin_x, float origin_y, unsigned char* /*dst*/, unsigned char* src,
                        float x, float y, float z, __Triangle3ds* tri, material3ds* mats,
                        int mat_count, float& c0, float& c1, float& c2, __Point* normal,
                        unsigned char textured, float u, float v, __Texture* textures,
                        int light_count, light3ds* lights, __PrevInfo* prev, GlassProp* glass,
                        float plane_nx, float plane_ny, float plane_nz, float plane_d) {
  // 1. Normal.
  __Point n = PrepareNormal(*normal);

  // 2. Defaults; 3. material (only for an index below the material count).
  Surface s;
  const int m = tri->material;
  const bool has_material = mats && mat_count >= 1 && m < mat_count;
  if (has_material)
    ApplyMaterial(s, mats[m], textures ? textures + 4 * m : nullptr, x, y, z, n, textured != 0,
                  u, v, prev);

  // 4. Reflection mix, over the textured colour.
  if (s.has_reflection) MixInto(s.diffuse, s.reflection, s.reflection_percent);

  // 5. Lights: the default light stands in for an empty list; without it the pixel is black.
  if (light_count <= 0 || !lights) {
    if (!LightDef) {
      c0 = c1 = c2 = 0.0f;
      return s.alpha;
    }
    light_count = 1;
    lights = LightDef;
  }

  // 6. Outputs start at 0.
  float out[3] = {0.0f, 0.0f, 0.0f};

  // 7. Glass: the entry of the triangle's material, entry 0 when there are no materials. A
  // face whose material index is out of range is shaded with the defaults and no glass.
  const GlassProp* entry = nullptr;
  if (glass) {
    if (mat_count < 1)
      entry = &glass[0];
    else if (has_material)
      entry = &glass[m];
  }
  if (entry && entry->glass) {
    GlassPixel pixel{origin_x, origin_y, x,    y,    z, {plane_nx, plane_ny, plane_nz, plane_d},
                     src,      prev,     n};
    ApplyGlass(pixel, *entry, s.diffuse, s.alpha);
  }

  // 8. Lighting; 9. scale and clamp.
  AddLights(out, s, n, x, y, z, light_count, lights);
  c0 = ToChannel(out[0]);
  c1 = ToChannel(out[1]);
  c2 = ToChannel(out[2]);
  return s.alpha;
}

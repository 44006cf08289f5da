// The default shader's plain-material case over four pixels at once (see plain_shading.h).
#include "engine/shading/plain_shading.h"

#include <emmintrin.h>
#include <math.h>

#include "engine/engine_state.h"
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

// a / b where b is not zero, a where it is (the shader's "divide unless zero length").
__m128 DivideUnlessZero(__m128 a, __m128 b) {
  const __m128 zero = _mm_cmpeq_ps(b, _mm_setzero_ps());
  return _mm_or_ps(_mm_and_ps(zero, a), _mm_andnot_ps(zero, _mm_div_ps(a, b)));
}

__m128 Length(__m128 x, __m128 y, __m128 z) {
  return _mm_sqrt_ps(_mm_add_ps(_mm_add_ps(_mm_mul_ps(x, x), _mm_mul_ps(y, y)), _mm_mul_ps(z, z)));
}

// Scaled to channel units and clamped: not a number or below 0 gives 0, above full gives full.
void ToChannels(__m128 v, float out[4]) {
  const __m128 full = _mm_set1_ps(static_cast<float>(_MaxChannel));
  v = _mm_mul_ps(v, full);
  v = _mm_and_ps(_mm_cmpge_ps(v, _mm_setzero_ps()), v);
  _mm_storeu_ps(out, _mm_min_ps(v, full));
}

}  // namespace

void TakeMaterialValues(const material3ds& mat, float& alpha, float diffuse[3],
                        float specular[3], float& exponent, float& strength,
                        float& self_illumination) {
  // Transparency is stored negated; only a negative stored value makes the surface clear.
  const float t = -mat.transparency;
  alpha = 1.0f - (t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t));
  for (int k = 0; k < 3; ++k) {
    diffuse[k] = mat.diffuse[k];
    specular[k] = mat.specular[k];
  }
  exponent = 100.0f * mat.shininess;
  strength = mat.shininess_strength;
  self_illumination = mat.self_illumination;
}

bool PreparePlainShading(const __Triangle3ds& tri, const material3ds* mats, int mat_count,
                         const __Texture* textures, bool textured, int light_count,
                         const light3ds* lights, PlainShading& out) {
  out = PlainShading{1.0f,  {0.5f, 0.5f, 0.5f}, {1.0f, 1.0f, 1.0f}, 150.0f, 10.0f, 0.0f,
                     1.0f,  0.0f,               0,                  nullptr};
  const int m = tri.material;
  if (m < 0) return false;
  if (mats && mat_count >= 1 && m < mat_count) {
    if (ReadsMaps(textures ? textures + 4 * m : nullptr, textured)) return false;
    TakeMaterialValues(mats[m], out.alpha, out.diffuse, out.specular, out.exponent,
                       out.strength, out.self_illumination);
  }
  out.f0 = 1.0f - out.self_illumination;
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

void ShadePlainFour(const PlainShading& p, const FourPixels& in, float c0[4], float c1[4],
                    float c2[4]) {
  if (p.light_count == 0) {
    for (int j = 0; j < 4; ++j) c0[j] = c1[j] = c2[j] = 0.0f;
    return;
  }
  // The normal faces the current pass's viewer and is made unit length.
  __m128 nx = _mm_loadu_ps(in.nx), ny = _mm_loadu_ps(in.ny), nz = _mm_loadu_ps(in.nz);
  if (_DrawBackFaces1) {
    const __m128 sign = _mm_set1_ps(-0.0f);
    nx = _mm_xor_ps(nx, sign);
    ny = _mm_xor_ps(ny, sign);
    nz = _mm_xor_ps(nz, sign);
  }
  if (_DubleSide) {
    const __m128 negative = _mm_cmplt_ps(nz, _mm_setzero_ps());
    nz = _mm_xor_ps(nz, _mm_and_ps(negative, _mm_set1_ps(-0.0f)));
  }
  const __m128 len = Length(nx, ny, nz);
  nx = DivideUnlessZero(nx, len);
  ny = DivideUnlessZero(ny, len);
  nz = DivideUnlessZero(nz, len);

  const __m128 x = _mm_loadu_ps(in.x), y = _mm_loadu_ps(in.y), z = _mm_loadu_ps(in.z);
  __m128 out[3] = {_mm_setzero_ps(), _mm_setzero_ps(), _mm_setzero_ps()};
  for (int i = 0; i < p.light_count; ++i) {
    const light3ds& light = p.lights[i];
    __m128 lx = _mm_sub_ps(_mm_set1_ps(light.position[0]), x);
    __m128 ly = _mm_sub_ps(_mm_set1_ps(light.position[1]), y);
    __m128 lz = _mm_sub_ps(_mm_set1_ps(light.position[2]), z);
    const __m128 l = Length(lx, ly, lz);
    lx = DivideUnlessZero(lx, l);
    ly = DivideUnlessZero(ly, l);
    lz = DivideUnlessZero(lz, l);
    __m128 d = _mm_add_ps(_mm_add_ps(_mm_mul_ps(nx, lx), _mm_mul_ps(ny, ly)), _mm_mul_ps(nz, lz));
    d = _mm_mul_ps(d, _mm_set1_ps(light.multiplier));
    d = _mm_andnot_ps(_mm_cmple_ps(d, _mm_setzero_ps()), d);  // at or below 0: 0
    // The specular power only where it does not underflow to 0 (and for not a number).
    __m128 power = _mm_setzero_ps();
    const int below = _mm_movemask_ps(_mm_cmplt_ps(d, _mm_set1_ps(p.underflow)));
    if (below != 0xF) {
      alignas(16) float lanes[4];
      _mm_store_ps(lanes, d);
      for (int j = 0; j < 4; ++j) lanes[j] = (below >> j) & 1 ? 0.0f : powf(lanes[j], p.exponent);
      power = _mm_load_ps(lanes);
    }
    const __m128 highlight = _mm_mul_ps(power, _mm_set1_ps(p.strength));
    const __m128 dif = _mm_add_ps(_mm_mul_ps(d, _mm_set1_ps(p.f0)), _mm_set1_ps(p.self_illumination));
    for (int k = 0; k < 3; ++k) {
      const __m128 term = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(p.diffuse[k]), dif),
                                     _mm_mul_ps(_mm_set1_ps(p.specular[k]), highlight));
      out[k] = _mm_add_ps(out[k], _mm_mul_ps(term, _mm_set1_ps(light.colour[k])));
    }
  }
  ToChannels(out[0], c0);
  ToChannels(out[1], c1);
  ToChannels(out[2], c2);
}

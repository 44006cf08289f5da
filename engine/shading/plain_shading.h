// The default shader for a material without maps or glass, prepared once per triangle and
// run on four pixels side by side: the same operations in the same order as the per-pixel
// shader, each lane of an SSE register rounding exactly as the scalar instruction does, so
// the pixels come out bit for bit the same.
#pragma once

#include "engine/engine.h"

// A material's values as the default shader lights them. The initial values are the
// defaults, which serve a triangle without a usable material.
struct MaterialValues {
  float alpha = 1.0f;
  float diffuse[3] = {0.5f, 0.5f, 0.5f};
  float specular[3] = {1.0f, 1.0f, 1.0f};
  float exponent = 150.0f;
  float strength = 10.0f;
  float self_illumination = 0.0f;
};

// What such a material makes of every pixel of a triangle.
struct PlainShading : MaterialValues {
  float underflow = 0.0f;  // below it the specular term is 0 (SpecularUnderflowBound)
  int light_count = 0;  // 0: no light at all, the pixel is black
  const light3ds* lights = nullptr;
};

// A material's own values as the default shader takes them: the opacity from the negated
// transparency, the colours, the exponent 100 x shininess, the strength and the self
// illumination.
void TakeMaterialValues(const material3ds& mat, MaterialValues& out);

// The triangle's glass entry: entry 0 without materials, else its material's own entry;
// none without glass settings or for a material index out of range.
inline const GlassProp* GlassEntry(const __Triangle3ds& tri, const material3ds* mats,
                                   int mat_count, const GlassProp* glass) {
  if (!glass) return nullptr;
  if (mat_count < 1) return &glass[0];
  return mats && tri.material < mat_count ? &glass[tri.material] : nullptr;
}

// Whether the default shader's glass stage is on for the triangle (its entry's flag).
bool GlassStageOn(const __Triangle3ds& tri, const material3ds* mats, int mat_count,
                  const GlassProp* glass);

// Fills `out` for the triangle's pixels as the default shader would shade them, when its
// material (or the defaults) reads no map for them; false when a map would be read. Glass
// and another installed shader are the caller's to rule out.
bool PreparePlainShading(const __Triangle3ds& tri, const material3ds* mats, int mat_count,
                         const __Texture* textures, bool textured, int light_count,
                         const light3ds* lights, PlainShading& out);

// Whether the installed shader is the default one with its glass stage off for the
// triangle: the shading then depends on the material alone.
bool DefaultShaderWithoutGlass(const __Triangle3ds& tri, const material3ds* mats,
                               int mat_count, const GlassProp* glass);

// Whether the plain path applies to the triangle (DefaultShaderWithoutGlass and a material
// that reads no map), `out` prepared when it does.
bool PlainShadingApplies(const __Triangle3ds& tri, const material3ds* mats, int mat_count,
                         const __Texture* textures, bool textured, int light_count,
                         const light3ds* lights, const GlassProp* glass, PlainShading& out);

// Four pixels at (x, y) relative to the origin with depth z and the interpolated (not yet
// unit) normal n: their colour in channel units. Every lane is a pixel of its own.
struct FourPixels {
  float x[4], y[4], z[4];
  float nx[4], ny[4], nz[4];
};
void ShadePlainFour(const PlainShading& p, const FourPixels& in, float c0[4], float c1[4],
                    float c2[4]);

// The same for eight pixels, lanes count and up (count 1 to 8) computed or not as is
// quickest: eight at once where the CPU has AVX, else four at a time (one at a time in a
// build without SIMD).
template <int N>
struct LitBatch {
  float x[N], y[N], z[N];
  float nx[N], ny[N], nz[N];
};
using EightPixels = LitBatch<8>;
void ShadePlainEight(const PlainShading& p, const EightPixels& in, int count, float c0[8],
                     float c1[8], float c2[8]);

// The same for sixteen pixels (count 1 to 16): where the CPU has AVX and more than eight are
// filled, two groups of eight side by side, their long operations overlapping.
using SixteenPixels = LitBatch<16>;
void ShadePlainSixteen(const PlainShading& p, const SixteenPixels& in, int count, float c0[16],
                       float c1[16], float c2[16]);
// Lanes count .. 7 (count up to 8) or count .. N - 1 of a part-filled batch made copies of
// lane 0, so that every lane the shading computes holds a real pixel's values.
template <int N>
void RepeatFirstLane(LitBatch<N>& in, int count) {
  for (int j = count; j < (count <= 8 ? 8 : N); ++j) {
    in.x[j] = in.x[0], in.y[j] = in.y[0], in.z[j] = in.z[0];
    in.nx[j] = in.nx[0], in.ny[j] = in.ny[0], in.nz[j] = in.nz[0];
  }
}

// The lanes the eight-pixel paths run: 8 where the table of processor paths chose AVX,
// else 4 (1 in a build without SIMD).
int PlainLaneWidth();

// The map and glass stages the default shader calls: the reflection lookup, the colour and
// opacity texture sampler, the bump tilt and the glass refraction. Each lives in a file of
// its own; a stage with nothing to contribute clears the caller's enabled flag (or leaves
// the colour as it is), and the shader then skips it.
#pragma once

#include "engine/engine.h"

// Reflection map lookup along the mirrored view ray at pixel (x, y, z) relative to the
// origin, for the unit normal n. On a sample, r, g, b hold the colour (0..1) and percent is
// clamped to [0, 1]; clears `enabled` when there is no image.
void SampleReflection(float x, float y, float z, const __Point& n, const map3ds& map,
                      const __Texture& image, float& percent, bool& enabled, float& r, float& g,
                      float& b);

// Colour or opacity texture at (u, v). On a sample (flag still set), r, g, b hold the colour
// (0..1) and percent holds clamp(percent, 0, 1) times the sampled alpha; clears `enabled`
// when the record holds no image.
void SampleTexture(float& r, float& g, float& b, const map3ds& map, const __Texture& image,
                   float& percent, bool& enabled, float u, float v, const __PrevInfo* prev);

// Tilts nx and ny by the slope of the bump image at (u, v); clears `enabled` when the
// record holds no image.
void ApplyBump(float& nx, float& ny, const map3ds& map, const __Texture& image, float& percent,
               bool& enabled, float u, float v, const __PrevInfo* prev);

// What the glass stage reads of one pixel.
struct GlassPixel {
  float origin_x, origin_y;  // shader arguments 1, 2
  float x, y, z;  // pixel position relative to the origin and its depth
  float plane[4];  // surface plane A, B, C, D in image pixel coordinates
  const unsigned char* background;
  const __PrevInfo* prev;  // may be null
  __Point normal;  // the unit normal after bump
};

// Replaces the diffuse colour by the refracted background tinted by (diffuse - 0.5) and may
// lower the opacity.
void ApplyGlass(const GlassPixel& pixel, const GlassProp& glass, float diffuse[3],
                float& alpha);

// A bound b for the specular term d^exponent: every d below b gives powf(d, exponent) == 0,
// since d^exponent then lies under 2^-152, a quarter of the smallest subnormal, which powf
// rounds to 0. The shader skips powf (and its slow underflow path) there with the very same
// result; with the default exponent 150 that is every d below 0.49. 0 (never skip) for an
// exponent that is not positive; 1 for an infinite one (powf(d < 1, inf) is 0).
float SpecularUnderflowBound(float exponent);

// Whether d^exponent is known to lie under 2^-152, so that powf gives 0: the per-pixel
// shader's test, one value at a time without the bound's power. Never true where the bound
// would not skip; true for every d below about 0.93 of the bound.
bool SpecularUnderflows(float d, float exponent);

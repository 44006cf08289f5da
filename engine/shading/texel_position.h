// Where a texture coordinate pair lands in a map image: the wrapped texel position, the
// footprint between the previous pixel's position and the current one, and texel reads.
// Shared by the colour/opacity sampler, the bump tilt and the reflection lookup.
#pragma once

#include "engine/engine.h"

// A record that may be read: marked present, with a positive size and pixels attached. A
// record marked present without them counts as absent.
bool TextureUsable(const __Texture& image);

// Fractional texel position; fu lies in [0, W) and fv in [0, H).
struct TexelPosition {
  float fu, fv;
};

// f wrapped into [0, n): the image tiles. Values that are not numbers or too large to wrap
// land on 0 or n - 1, never outside the image.
float WrapTexel(float f, int n);

// (u, v) through the map's scale and offset, spread over the image and wrapped: u = 0 is the
// first column, u = 1 the last.
TexelPosition TexelPositionOf(const map3ds& map, const __Texture& image, float u, float v);

// The texels between the previous pixel's position and the current one, when they are more
// than two texels apart: rows from start_v by step_v, columns from start_u by step_u.
struct Footprint {
  bool used;
  int count_u, count_v;
  float start_u, start_v;
  float step_u, step_v;
  float du, dv;  // current minus previous position
};

// Used only with _Quality set and a valid previous sample; caps at 10 samples per axis.
Footprint FootprintOf(const map3ds& map, const __Texture& image, const TexelPosition& at,
                      const __PrevInfo* prev);

// Channel k (blue, green, red, alpha) of texel (i, j) at the current channel depth; i and j
// are kept inside the image.
int ReadTexel(const __Texture& image, int i, int j, int k);

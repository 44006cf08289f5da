// Texel positions, footprints and texel reads of the map samplers.
#include "engine/shading/texel_position.h"

#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"

bool TextureUsable(const __Texture& image) {
  return image.present && image.width > 0 && image.height > 0 && image.pixels;
}

float WrapTexel(float f, int n) {
  // f - n * (trunc(f) / n) with the division rounding toward zero; done in double so that
  // no value needs an integer conversion.
  const double quotient = trunc(trunc(static_cast<double>(f)) / n);
  f = static_cast<float>(f - n * quotient);
  if (f < 0.0f) f += static_cast<float>(n);
  if (f >= static_cast<float>(n)) f = static_cast<float>(n - 1);
  // A coordinate that is not a number (or too large to wrap exactly) must still address
  // the image.
  if (!(f >= 0.0f)) f = 0.0f;
  return f;
}

TexelPosition TexelPositionOf(const map3ds& map, const __Texture& image, float u, float v) {
  const float fu = (u * map.u_scale + map.u_offset) * static_cast<float>(image.width - 1);
  const float fv = (v * map.v_scale + map.v_offset) * static_cast<float>(image.height - 1);
  return TexelPosition{WrapTexel(fu, image.width), WrapTexel(fv, image.height)};
}

Footprint FootprintOf(const map3ds& map, const __Texture& image, const TexelPosition& at,
                      const __PrevInfo* prev) {
  Footprint f{};
  if (!prev || !_Quality || !prev->valid) return f;
  const TexelPosition from = TexelPositionOf(map, image, prev->u, prev->v);
  f.du = at.fu - from.fu;
  f.dv = at.fv - from.fv;
  if (fabsf(f.du) + fabsf(f.dv) <= 2.0f) return f;
  f.used = true;
  f.count_u = static_cast<int>(fminf(fabsf(f.du) + 1.0f, 10.0f));
  f.count_v = static_cast<int>(fminf(fabsf(f.dv) + 1.0f, 10.0f));
  f.start_u = from.fu;
  f.start_v = from.fv;
  f.step_u = f.du / static_cast<float>(f.count_u);
  f.step_v = f.dv / static_cast<float>(f.count_v);
  return f;
}

int ReadTexel(const __Texture& image, int i, int j, int k) {
  if (i < 0) i = 0;
  if (i >= image.width) i = image.width - 1;
  if (j < 0) j = 0;
  if (j >= image.height) j = image.height - 1;
  return ReadChannel(image.pixels, 4 * (i + j * image.width) + k);
}

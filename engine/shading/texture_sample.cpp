// Colour and opacity texture sampling of the default shader: the footprint average, the
// nearest texel, or a bilinear filter whose neighbours wrap round the tiled image.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/shading/shading_stages.h"
#include "engine/shading/texel_position.h"

namespace {

// Texel channels blue, green, red, alpha, summed or filtered in channel units.
struct Texel {
  float c[4] = {0.0f, 0.0f, 0.0f, 0.0f};
  void Add(const __Texture& image, int i, int j, float weight) {
    for (int k = 0; k < 4; ++k) c[k] += weight * static_cast<float>(ReadTexel(image, i, j, k));
  }
};

// The mean of the footprint samples (the previous pixel's position included, the current
// one not).
Texel FootprintMean(const __Texture& image, const Footprint& f) {
  Texel t;
  float row = f.start_v;
  for (int j = 0; j < f.count_v; ++j, row += f.step_v) {
    float column = f.start_u;
    for (int i = 0; i < f.count_u; ++i, column += f.step_u)
      t.Add(image, static_cast<int>(column), static_cast<int>(row), 1.0f);
  }
  const float n = static_cast<float>(f.count_u * f.count_v);
  for (float& c : t.c) c /= n;
  return t;
}

// Bilinear between (iu, iv) and (iu + 1, iv + 1); a neighbour past the last column or row
// is column or row 0, as the image tiles.
Texel Bilinear(const __Texture& image, const TexelPosition& at) {
  const int iu = static_cast<int>(at.fu), iv = static_cast<int>(at.fv);
  const int iu1 = iu + 1 > image.width - 1 ? 0 : iu + 1;
  const int iv1 = iv + 1 > image.height - 1 ? 0 : iv + 1;
  const float wu1 = at.fu - static_cast<float>(iu), wu0 = static_cast<float>(iu + 1) - at.fu;
  const float wv1 = at.fv - static_cast<float>(iv), wv0 = static_cast<float>(iv + 1) - at.fv;
  Texel t;
  t.Add(image, iu, iv, wu0 * wv0);
  t.Add(image, iu1, iv, wu1 * wv0);
  t.Add(image, iu, iv1, wu0 * wv1);
  t.Add(image, iu1, iv1, wu1 * wv1);
  return t;
}

}  // namespace

void SampleTexture(float& r, float& g, float& b, const map3ds& map, const __Texture& image,
                   float& percent, bool& enabled, float u, float v, const __PrevInfo* prev) {
  // 1. No image: the shader skips the stage.
  if (!TextureUsable(image)) {
    enabled = false;
    return;
  }
  // 2. Percent clamped to [0, 1].
  if (percent < 0.0f) percent = 0.0f;
  if (percent > 1.0f) percent = 1.0f;
  // 3. Texel position.
  const TexelPosition at = TexelPositionOf(map, image, u, v);
  if (!enabled) return;
  // 4 to 6. Footprint average, nearest texel or bilinear filter.
  Texel t;
  const Footprint f = FootprintOf(map, image, at, prev);
  if (f.used)
    t = FootprintMean(image, f);
  else if (!_Quality)
    t.Add(image, static_cast<int>(at.fu), static_cast<int>(at.fv), 1.0f);
  else
    t = Bilinear(image, at);
  const float scale = static_cast<float>(_MaxChannel);
  r = t.c[2] / scale;
  g = t.c[1] / scale;
  b = t.c[0] / scale;
  // 7. The texel's alpha weakens the percent.
  percent *= t.c[3] / scale;
}

// Bump mapping of the default shader: the normal tilted by the slope of the bump image,
// from the heights (blue + green + red) at a texel and its neighbours along u and v.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/shading/shading_stages.h"
#include "engine/shading/texel_position.h"

namespace {

// Heights at the texel (p) and its neighbours along u and v.
struct Heights {
  double p = 0.0, u = 0.0, v = 0.0;
};

double HeightAt(const __Texture& image, int i, int j) {
  return ReadTexel(image, i, j, 0) + ReadTexel(image, i, j, 1) + ReadTexel(image, i, j, 2);
}

// Means over the footprint; each sample's neighbours lie max(|du|, 1) and max(|dv|, 1)
// texels on, back at column or row 0 once they reach the image's edge.
Heights FootprintHeights(const __Texture& image, const Footprint& f) {
  const float off_u = fmaxf(fabsf(f.du), 1.0f), off_v = fmaxf(fabsf(f.dv), 1.0f);
  Heights h;
  float row = f.start_v;
  for (int j = 0; j < f.count_v; ++j, row += f.step_v) {
    float column = f.start_u;
    for (int i = 0; i < f.count_u; ++i, column += f.step_u) {
      const int iu = static_cast<int>(column), iv = static_cast<int>(row);
      int nu = static_cast<int>(static_cast<float>(iu) + off_u);
      int nv = static_cast<int>(static_cast<float>(iv) + off_v);
      if (nu >= image.width) nu = 0;
      if (nv >= image.height) nv = 0;
      h.p += HeightAt(image, iu, iv);
      h.u += HeightAt(image, nu, iv);
      h.v += HeightAt(image, iu, nv);
    }
  }
  const double n = static_cast<double>(f.count_u) * f.count_v;
  h.p /= n;
  h.u /= n;
  h.v /= n;
  return h;
}

// The texel and its next neighbours; at the last column or row the texel itself.
Heights NearestHeights(const __Texture& image, const TexelPosition& at) {
  const int iu = static_cast<int>(at.fu), iv = static_cast<int>(at.fv);
  const int nu = iu + 1 >= image.width ? iu : iu + 1;
  const int nv = iv + 1 >= image.height ? iv : iv + 1;
  Heights h;
  h.p = HeightAt(image, iu, iv);
  h.u = HeightAt(image, nu, iv);
  h.v = HeightAt(image, iu, nv);
  return h;
}

}  // namespace

void ApplyBump(float& nx, float& ny, const map3ds& map, const __Texture& image, float& percent,
               bool& enabled, float u, float v, const __PrevInfo* prev) {
  // 1. No image: the shader skips the stage.
  if (!TextureUsable(image)) {
    enabled = false;
    return;
  }
  // 2. 16-bit heights are 32768 / 255 times larger: scale the strength back (not clamped).
  if (_Deep) percent *= 0.007781982421875f;
  // 3. Texel position.
  const TexelPosition at = TexelPositionOf(map, image, u, v);
  if (!enabled) return;
  // 4. Heights.
  const Footprint f = FootprintOf(map, image, at, prev);
  const Heights h = f.used ? FootprintHeights(image, f) : NearestHeights(image, at);
  // 5, 6. Tilt by the slope.
  percent /= 10.0f;
  nx = static_cast<float>(nx - (h.u - h.p) * percent);
  ny = static_cast<float>(ny - (h.v - h.p) * percent);
}

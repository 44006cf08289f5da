// Reflection map lookup of the default shader: the view ray mirrored about the normal meets
// a box of half-size Zwidth around the scene; where it meets the box gives the map position.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/shading/shading_stages.h"
#include "engine/shading/texel_position.h"

namespace {

// Map coordinate (0..1) where the line through (a, z) with direction (ra, rz) leaves the
// square [-h, h]^2 of one plane (x-z or y-z), g = 2h. Of the side hits the one nearest the
// centre counts; a later candidate replaces it only when strictly nearer.
float BoxCoordinate(float a, float ra, float z, float rz, float h, float g) {
  if (fabsf(rz) < 0.0001f && fabsf(ra) < 0.0001f) return (a + h) / g;
  bool found = false;
  float best = 0.0f, coordinate = 0.0f;
  auto consider = [&](float ha, float hz, float along) {
    const float d = ha * ha + hz * hz;
    if (!found || d < best) {
      found = true;
      best = d;
      coordinate = (along + h) / g;
    }
  };
  if (fabsf(rz) >= 0.00001f) {  // the z sides: Z = -h or h by the ray's direction
    const float hz = rz < 0.0f ? -h : h;
    const float ha = a + ra * (hz - z) / rz;
    consider(ha, hz, ha);
  }
  if (fabsf(ra) >= 0.00001f) {  // the x (or y) sides
    const float ha = ra < 0.0f ? -h : h;
    const float hz = z + rz * (ha - a) / ra;
    consider(ha, hz, hz);
  }
  return coordinate;
}

}  // namespace

void SampleReflection(float x, float y, float z, const __Point& n, const map3ds& map,
                      const __Texture& image, float& percent, bool& enabled, float& r, float& g,
                      float& b) {
  // 1. No image: no reflection.
  if (!TextureUsable(image)) {
    enabled = false;
    return;
  }
  // 2. The view direction (0, 0, 1) mirrored about N.
  const float rx = 2.0f * n.z * n.x, ry = 2.0f * n.z * n.y, rz = 2.0f * n.z * n.z - 1.0f;
  // 3 to 5. Where it leaves the box, in the x-z and the y-z plane.
  const float h = static_cast<float>(Zwidth), side = 2.0f * h;
  const float u = BoxCoordinate(x, rx, z, rz, h, side);
  const float v = BoxCoordinate(y, ry, z, rz, h, side);
  // 6. Percent clamped to [0, 1].
  if (percent < 0.0f) percent = 0.0f;
  if (percent > 1.0f) percent = 1.0f;
  // 7, 8. Nearest texel, or bilinear with the neighbours held at the last column and row.
  const TexelPosition at = TexelPositionOf(map, image, u, v);
  const int iu = static_cast<int>(at.fu), iv = static_cast<int>(at.fv);
  float c[3] = {0.0f, 0.0f, 0.0f};
  if (!_Quality) {
    for (int k = 0; k < 3; ++k) c[k] = static_cast<float>(ReadTexel(image, iu, iv, k));
  } else {
    const int iu1 = iu + 1 > image.width - 1 ? image.width - 1 : iu + 1;
    const int iv1 = iv + 1 > image.height - 1 ? image.height - 1 : iv + 1;
    const float wu1 = at.fu - static_cast<float>(iu), wu0 = static_cast<float>(iu + 1) - at.fu;
    const float wv1 = at.fv - static_cast<float>(iv), wv0 = static_cast<float>(iv + 1) - at.fv;
    for (int k = 0; k < 3; ++k)
      c[k] = wu0 * wv0 * ReadTexel(image, iu, iv, k) + wu1 * wv0 * ReadTexel(image, iu1, iv, k) +
             wu0 * wv1 * ReadTexel(image, iu, iv1, k) + wu1 * wv1 * ReadTexel(image, iu1, iv1, k);
  }
  const float scale = static_cast<float>(_MaxChannel);
  r = c[2] / scale;
  g = c[1] / scale;
  b = c[0] / scale;
}

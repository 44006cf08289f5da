// Support for the map sampler tests: map settings with unit scale, texture records over a
// test image (blue, green, red, alpha per texel) and a one-call shader run with maps.
#pragma once

#include <vector>

#include "engine/shading/shading_stages.h"
#include "engine/shading/texel_position.h"
#include "raster_test_support.h"

namespace shading_test {

using raster_test::Image;

inline map3ds UnitMap(float percent) {
  map3ds m{};
  m.percent = percent;
  m.u_scale = m.v_scale = 1.0f;
  return m;
}

// A present record over the image's pixels (the image keeps them).
inline __Texture RecordOf(Image& image) {
  __Texture t{};
  t.present = 1;
  t.width = image.w;
  t.height = image.h;
  t.pixels = image.data();
  t.deep = image.deep ? 1 : 0;
  return t;
}

// Texel (i, j) as blue, green, red, alpha.
inline void SetTexel(Image& image, int i, int j, int r, int g, int b, int a) {
  image.set(i, j, 0, b);
  image.set(i, j, 1, g);
  image.set(i, j, 2, r);
  image.set(i, j, 3, a);
}

}  // namespace shading_test

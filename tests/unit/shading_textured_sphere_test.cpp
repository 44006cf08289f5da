// A whole render of a textured sphere: the faces carry texture coordinates, and the picture
// shows the texture's colour instead of the material's.
#include <gtest/gtest.h>

#include "shading_test_support.h"

using namespace raster_test;
using namespace shading_test;

namespace {

constexpr int kSize = 128;

class TexturedSphere : public EngineTest {};

// A red material under a head-on light, with or without a green texture at percent 1.
Image RenderSphere(bool deep, bool textured, int quality) {
  ResetEngine(kSize, kSize, deep);
  _Quality = static_cast<unsigned char>(quality);
  Mesh mesh = LatLongSphere(40.0f, 12, 16);
  for (__Point3ds& p : mesh.v) {
    p.has_uv = 1;
    p.u = 0.5f + p.x / 80.0f;
    p.v = 0.5f + p.y / 80.0f;
  }
  std::vector<light3ds> lights = {MakeLight(0.0f, 0.0f, 1000.0f)};
  std::vector<material3ds> mats = {MakeMaterial(1.0f, 0.0f, 0.0f)};
  mats[0].shininess_strength = 0.0f;
  mats[0].texture_map = UnitMap(1.0f);
  Image texture(16, 16, deep);
  texture.fill(0, _MaxChannel, 0, _MaxChannel);  // blue, green, red, alpha: green
  std::vector<__Texture> slots(4, __Texture{});
  if (textured) slots[0] = RecordOf(texture);
  Image dst(kSize, kSize, deep), src(kSize, kSize, deep);
  __Sort(static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data());
  __RasterScene(dst.data(), src.data(), kSize, kSize, kSize * 4,
                static_cast<int>(mesh.v.size()), static_cast<int>(mesh.t.size()),
                mesh.t.data(), mesh.v.data(), kSize / 2, kSize / 2, 1, mats.data(),
                slots.data(), 1, lights.data(), nullptr);
  return dst;
}

TEST_F(TexturedSphere, ShowsTheTextureColour) {
  for (bool deep : {false, true})
    for (int quality : {0, 1}) {
      const int m = deep ? 32768 : 255;
      const Image plain = RenderSphere(deep, false, quality);
      const Image textured = RenderSphere(deep, true, quality);
      const int c = kSize / 2;
      // The centre faces the light: full red without the texture, full green with it.
      EXPECT_GT(plain.at(c, c, 0), m * 9 / 10);
      EXPECT_EQ(plain.at(c, c, 1), 0);
      EXPECT_EQ(textured.at(c, c, 0), 0) << deep << quality;
      EXPECT_GT(textured.at(c, c, 1), m * 9 / 10) << deep << quality;
      // Every covered pixel is green, none red; the corners stay empty.
      int covered = 0;
      for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) {
          if (textured.at(x, y, 3) == 0) continue;
          ++covered;
          ASSERT_EQ(textured.at(x, y, 0), 0) << x << "," << y;
          ASSERT_EQ(textured.at(x, y, 2), 0) << x << "," << y;
        }
      EXPECT_GT(covered, 4000);  // about pi x 40^2
      EXPECT_EQ(textured.at(0, 0, 3), 0);
    }
}

}  // namespace

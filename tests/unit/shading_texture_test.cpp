// The colour and opacity sampler: wrapped texel positions, channel order, nearest, bilinear
// and footprint reads, the percent, absent or broken records, and the shader's mixing.
#include <gtest/gtest.h>
#include <math.h>

#include "shading_test_support.h"

using namespace raster_test;
using namespace shading_test;

namespace {

class TextureSampler : public EngineTest {};

struct Sample {
  float r = -1.0f, g = -1.0f, b = -1.0f, p = 0.0f;
  bool enabled = true;
};

Sample Sampled(const __Texture& t, float u, float v, float percent = 1.0f,
           const __PrevInfo* prev = nullptr, const map3ds& map = UnitMap(1.0f)) {
  Sample s;
  s.p = percent;
  SampleTexture(s.r, s.g, s.b, map, t, s.p, s.enabled, u, v, prev);
  return s;
}

TEST(TexelWrap, TilesAndKeepsEveryValueInsideTheImage) {
  EXPECT_EQ(WrapTexel(1.5f * 100.0f, 101), 49.0f);
  EXPECT_EQ(WrapTexel(-0.25f * 100.0f, 101), 76.0f);
  EXPECT_EQ(WrapTexel(100.0f, 101), 100.0f);
  EXPECT_EQ(WrapTexel(-101.0f, 101), 0.0f);
  EXPECT_FLOAT_EQ(WrapTexel(-0.5f, 4), 3.5f);
  for (float f : {NAN, INFINITY, -INFINITY, 3e38f, -3e38f, 1e20f, -7e12f}) {
    const float w = WrapTexel(f, 101);
    EXPECT_GE(w, 0.0f) << f;
    EXPECT_LT(w, 101.0f) << f;
  }
  Image img(101, 1, false);
  const __Texture t = RecordOf(img);
  const TexelPosition at = TexelPositionOf(UnitMap(1.0f), t, 1.5f, 0.0f);
  EXPECT_EQ(at.fu, 49.0f);
  EXPECT_EQ(at.fv, 0.0f);
}

// u = v = 1 is the last column and row; channels come back as red = 2, green = 1, blue = 0.
TEST_F(TextureSampler, UnitCoordinatesReadTheLastTexelInBlueGreenRedAlphaOrder) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    const int m = _MaxChannel;
    Image img(5, 4, deep);
    img.fill(0, 0, 0, m);
    SetTexel(img, 4, 3, m / 5, m / 3, m / 2, m);
    SetTexel(img, 0, 0, m, m, m, m);
    const __Texture t = RecordOf(img);
    Sample s = Sampled(t, 1.0f, 1.0f);
    EXPECT_TRUE(s.enabled);
    EXPECT_FLOAT_EQ(s.r, static_cast<float>(m / 5) / m);
    EXPECT_FLOAT_EQ(s.g, static_cast<float>(m / 3) / m);
    EXPECT_FLOAT_EQ(s.b, static_cast<float>(m / 2) / m);
    EXPECT_FLOAT_EQ(s.p, 1.0f);
    s = Sampled(t, 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(s.r, 1.0f);
  }
}

// The percent is clamped to [0, 1] and then weakened by the texel's alpha.
TEST_F(TextureSampler, PercentIsClampedThenScaledByAlpha) {
  Image img(2, 2, false);
  img.fill(0, 0, 0, 255);
  const __Texture t = RecordOf(img);
  EXPECT_FLOAT_EQ(Sampled(t, 0, 0, 1.7f).p, 1.0f);
  EXPECT_FLOAT_EQ(Sampled(t, 0, 0, -0.2f).p, 0.0f);
  img.fill(0, 0, 0, 51);
  EXPECT_FLOAT_EQ(Sampled(t, 0, 0, 0.5f).p, 0.1f);
}

// Absent, empty or pixel-less records clear the flag and leave the outputs alone; a clear
// flag only clamps the percent.
TEST_F(TextureSampler, UnusableRecordsAreNeverRead) {
  Image img(2, 2, false);
  __Texture t = RecordOf(img);
  for (int k = 0; k < 4; ++k) {
    __Texture bad = t;
    if (k == 0) bad.present = 0;
    if (k == 1) bad.width = 0;
    if (k == 2) bad.height = -3;
    if (k == 3) bad.pixels = nullptr;
    const Sample s = Sampled(bad, 0.5f, 0.5f, 3.0f);
    EXPECT_FALSE(s.enabled) << k;
    EXPECT_EQ(s.r, -1.0f);
    EXPECT_EQ(s.p, 3.0f);
  }
  Sample s;
  s.enabled = false;
  s.p = 3.0f;
  SampleTexture(s.r, s.g, s.b, UnitMap(1.0f), t, s.p, s.enabled, 0.5f, 0.5f, nullptr);
  EXPECT_EQ(s.p, 1.0f);
  EXPECT_EQ(s.r, -1.0f);
}

// With _Quality the neighbour of the last column is column 0, and of the last row row 0
// (the image tiles).
TEST_F(TextureSampler, BilinearNeighbourOfTheLastColumnIsColumnZero) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    const int m = _MaxChannel;
    for (bool rows : {false, true}) {
      _Quality = 1;
      Image img(rows ? 1 : 4, rows ? 4 : 1, deep);
      img.fill(0, 0, 0, m);
      SetTexel(img, 0, 0, m, 0, 0, m);  // red in column (row) 0, black in column (row) 3
      const __Texture t = RecordOf(img);
      map3ds map = UnitMap(1.0f);
      (rows ? map.v_offset : map.u_offset) = 0.5f / 3.0f;  // fu (fv) = 3.5 at u (v) = 1
      const float u = rows ? 0.0f : 1.0f, v = rows ? 1.0f : 0.0f;
      const Sample s = Sampled(t, u, v, 1.0f, nullptr, map);
      EXPECT_NEAR(s.r, 0.5f, 1e-5f) << rows;
      _Quality = 0;  // nearest: column (row) 3 only
      EXPECT_EQ(Sampled(t, u, v, 1.0f, nullptr, map).r, 0.0f) << rows;
    }
  }
}

// Before the last column or row the bilinear neighbour is the next one, not the wrap: half
// way between the third and the last of four, red (third) and black (last) mix half and
// half, and the green of column or row 0 takes no share.
TEST_F(TextureSampler, BilinearNeighbourBeforeTheLastColumnOrRowIsTheNext) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    _Quality = 1;
    const int m = _MaxChannel;
    for (bool rows : {false, true}) {
      Image img(rows ? 1 : 4, rows ? 4 : 1, deep);
      img.fill(0, 0, 0, m);
      SetTexel(img, 0, 0, 0, m, 0, m);
      SetTexel(img, rows ? 0 : 2, rows ? 2 : 0, m, 0, 0, m);
      const __Texture t = RecordOf(img);
      const float at = 2.5f / 3.0f;  // fu or fv = 2.5
      const Sample s = Sampled(t, rows ? 0.0f : at, rows ? at : 0.0f, 1.0f);
      EXPECT_NEAR(s.r, 0.5f, 1e-5f) << rows;
      EXPECT_NEAR(s.g, 0.0f, 1e-5f) << rows;
    }
  }
}

// A previous pixel ten texels away: the mean of columns 0..9 (its own position included,
// the current one not). Close by, or without _Quality, the single lookup stays.
TEST_F(TextureSampler, FootprintAveragesFromThePreviousTexel) {
  _Quality = 1;
  Image img(11, 1, false);
  for (int i = 0; i < 11; ++i) SetTexel(img, i, 0, 10 * i, 0, 0, 255);
  const __Texture t = RecordOf(img);
  __PrevInfo prev{};
  prev.valid = 1;
  prev.u = 0.0f;
  EXPECT_NEAR(Sampled(t, 1.0f, 0.0f, 1.0f, &prev).r, 45.0f / 255.0f, 1e-6f);
  prev.u = 0.8f;  // two texels: no footprint
  EXPECT_NEAR(Sampled(t, 1.0f, 0.0f, 1.0f, &prev).r, 100.0f / 255.0f, 1e-6f);
  prev.u = 0.0f;
  prev.valid = 0;
  EXPECT_NEAR(Sampled(t, 1.0f, 0.0f, 1.0f, &prev).r, 100.0f / 255.0f, 1e-6f);
  prev.valid = 1;
  _Quality = 0;
  EXPECT_NEAR(Sampled(t, 1.0f, 0.0f, 1.0f, &prev).r, 100.0f / 255.0f, 1e-6f);
}

// The shader with one material, its four slots and a textured face.
struct MapShade {
  material3ds mat = MakeMaterial(0.2f, 0.4f, 0.6f);
  std::vector<__Texture> slots = std::vector<__Texture>(4, __Texture{});
  float c[3] = {0, 0, 0};
  float Run() {
    __Triangle3ds tri = Face(0, 1, 2, 0);
    __Point n{0.0f, 0.0f, 1.0f};
    light3ds light = MakeLight(0.0f, 0.0f, 1000.0f);
    mat.shininess_strength = 0.0f;  // diffuse only: the output is D x max
    __PrevInfo prev{};
    return DefRenderOnePixel(0, 0, nullptr, nullptr, 0, 0, 0, &tri, &mat, 1, c[0], c[1], c[2],
                             &n, 1, 0.5f, 0.5f, slots.data(), 1, &light, &prev, nullptr, 0, 0,
                             -1, 0);
  }
};

TEST_F(TextureSampler, ShaderMixesTheTextureByItsAlpha) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    const float m = static_cast<float>(_MaxChannel);
    Image img(3, 3, deep);
    img.fill(0, 0, _MaxChannel, 0);  // red in blue-green-red order, alpha 0
    MapShade shade;
    shade.mat.texture_map = UnitMap(1.0f);
    shade.slots[0] = RecordOf(img);
    shade.Run();
    EXPECT_NEAR(shade.c[0], 0.2f * m, 1e-3f * m);
    EXPECT_NEAR(shade.c[1], 0.4f * m, 1e-3f * m);
    EXPECT_NEAR(shade.c[2], 0.6f * m, 1e-3f * m);
    img.fill(0, 0, _MaxChannel, _MaxChannel);  // full alpha: the texture replaces D
    shade.Run();
    EXPECT_NEAR(shade.c[0], m, 1e-3f * m);
    EXPECT_NEAR(shade.c[1], 0.0f, 1e-3f * m);
    EXPECT_NEAR(shade.c[2], 0.0f, 1e-3f * m);
  }
}

TEST_F(TextureSampler, OpacityMapWhiteIsOpaqueBlackIsClear) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    const int m = _MaxChannel;
    Image img(3, 3, deep);
    MapShade shade;
    shade.mat.transparency = -0.3f;
    shade.mat.opacity_map = UnitMap(1.0f);
    shade.slots[1] = RecordOf(img);
    img.fill(m, m, m, m);  // percent 1: the map's white (1) stands for the opacity
    EXPECT_FLOAT_EQ(shade.Run(), 1.0f);
    shade.mat.transparency = 0.0f;
    EXPECT_FLOAT_EQ(shade.Run(), 1.0f);
    img.fill(0, 0, 0, m);
    EXPECT_EQ(shade.Run(), 0.0f);
    shade.mat.transparency = -0.3f;
    EXPECT_EQ(shade.Run(), 0.0f);
    shade.slots[1].pixels = nullptr;  // marked present without pixels: no map
    EXPECT_NEAR(shade.Run(), 0.7f, 1e-6f);
  }
}

}  // namespace

// The reflection lookup: where the mirrored view ray leaves the box of half-size Zwidth,
// the percent clamp, the last-column filter and absent images.
#include <gtest/gtest.h>

#include <math.h>

#include "shading_test_support.h"

using namespace raster_test;
using namespace shading_test;

namespace {

class ReflectionSampler : public EngineTest {};

struct Reflected {
  float r = -1.0f, g = -1.0f, b = -1.0f, p;
  bool enabled = true;
};

Reflected Reflect(const __Texture& t, float x, float y, float z, __Point n,
                  float percent = 1.0f, const map3ds& map = UnitMap(1.0f)) {
  Reflected s;
  s.p = percent;
  SampleReflection(x, y, z, n, map, t, s.p, s.enabled, s.r, s.g, s.b);
  return s;
}

// With Zwidth 64 the box is [-64, 64]; a 129 x 129 map puts (X + 64) on column X + 64.
// Each texel holds its column in red and its row in green.
Image CoordinateMap(bool deep) {
  Image img(129, 129, deep);
  for (int j = 0; j < 129; ++j)
    for (int i = 0; i < 129; ++i) SetTexel(img, i, j, i, j, 7, 0);
  return img;
}

TEST_F(ReflectionSampler, BoxHitsGiveTheMapPosition) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    const float m = static_cast<float>(_MaxChannel);
    Image img = CoordinateMap(deep);
    const __Texture t = RecordOf(img);
    // Facing the viewer, R = (0, 0, 1), and sideways, R = (0, 0, -1): U = (x + h) / g.
    for (__Point n : {__Point{0, 0, 1}, __Point{1, 0, 0}}) {
      const Reflected s = Reflect(t, 10.0f, -20.0f, 5.0f, n);
      EXPECT_TRUE(s.enabled);
      EXPECT_FLOAT_EQ(s.r, 74.0f / m);
      EXPECT_FLOAT_EQ(s.g, 44.0f / m);
      EXPECT_FLOAT_EQ(s.b, 7.0f / m);
    }
    // At 45 degrees in x-z, R = (1, 0, 0): the x = h side at Z = z, so U = (z + h) / g;
    // V falls back to (y + h) / g.
    const float c = sqrtf(0.5f);
    const Reflected s = Reflect(t, 10.0f, -20.0f, 6.0f, __Point{c, 0, c});
    EXPECT_FLOAT_EQ(s.r, 70.0f / m);
    EXPECT_FLOAT_EQ(s.g, 44.0f / m);
  }
}

// A ray leaning mostly sideways (normal at 40 degrees in x-z: R = (0.985, 0, 0.174)) leaves
// the box through its x = h side, also when its x component is below 1: U = (Z + h) / g at
// Z = z + rz (h - x) / rx, about 14.5 here (through x = -h it would be about -8).
TEST_F(ReflectionSampler, SidewaysRayLeavesThroughTheSideItPointsTo) {
  ResetEngine(64, 64, false);
  Image img = CoordinateMap(false);
  const float angle = 0.69813170f;  // 40 degrees
  const __Point n{sinf(angle), 0.0f, cosf(angle)};
  const float rx = 2.0f * n.z * n.x, rz = 2.0f * n.z * n.z - 1.0f;
  ASSERT_LT(rx, 1.0f);
  const float hit_z = 5.0f + rz * (64.0f - 10.0f) / rx;
  const Reflected s = Reflect(RecordOf(img), 10.0f, -20.0f, 5.0f, n);
  EXPECT_NEAR(s.r * 255.0f, hit_z + 64.0f, 1.0f);
  EXPECT_FLOAT_EQ(s.g, 44.0f / 255.0f);
}

TEST_F(ReflectionSampler, PercentIsClampedToUnitRange) {
  Image img = CoordinateMap(false);
  const __Texture t = RecordOf(img);
  EXPECT_EQ(Reflect(t, 0, 0, 0, __Point{0, 0, 1}, 1.7f).p, 1.0f);
  EXPECT_EQ(Reflect(t, 0, 0, 0, __Point{0, 0, 1}, -0.2f).p, 0.0f);
  EXPECT_EQ(Reflect(t, 0, 0, 0, __Point{0, 0, 1}, 0.4f).p, 0.4f);
}

// With _Quality the four texels around the position are weighed by its fractions: at
// (74.5, 44.25) on the coordinate map red reads 74.5 and green 44.25, between the columns
// and between the rows.
TEST_F(ReflectionSampler, BilinearWeighsTheColumnsAndRowsAround) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    _Quality = 1;
    const float m = static_cast<float>(_MaxChannel);
    Image img = CoordinateMap(deep);
    const Reflected s = Reflect(RecordOf(img), 10.5f, -19.75f, 5.0f, __Point{0, 0, 1});
    EXPECT_FLOAT_EQ(s.r, 74.5f / m);
    EXPECT_FLOAT_EQ(s.g, 44.25f / m);
    EXPECT_FLOAT_EQ(s.b, 7.0f / m);
  }
}

// With _Quality the neighbour past the last column is the last column itself, and the
// neighbour past the last row the last row: a map two texels long either way, sampled
// halfway past its second texel.
TEST_F(ReflectionSampler, BilinearHoldsTheLastColumnAndRow) {
  _Quality = 1;
  for (bool rows : {false, true}) {
    Image img(rows ? 1 : 2, rows ? 2 : 1, false);
    SetTexel(img, 0, 0, 255, 0, 0, 0);
    SetTexel(img, rows ? 0 : 1, rows ? 1 : 0, 51, 0, 0, 0);
    map3ds map = UnitMap(1.0f);
    // x = -h gives U = 0 and y = -h gives V = 0, so the offset of 1.5 is the position.
    (rows ? map.v_offset : map.u_offset) = 1.5f;
    const Reflected s = Reflect(RecordOf(img), -64.0f, -64.0f, 0, __Point{0, 0, 1}, 1.0f, map);
    EXPECT_FLOAT_EQ(s.r, 51.0f / 255.0f) << rows;
  }
}

TEST_F(ReflectionSampler, UnusableImageGivesNoReflection) {
  Image img = CoordinateMap(false);
  __Texture t = RecordOf(img);
  t.width = 0;
  Reflected s = Reflect(t, 0, 0, 0, __Point{0, 0, 1});
  EXPECT_FALSE(s.enabled);
  EXPECT_EQ(s.r, -1.0f);
  t = RecordOf(img);
  t.present = 0;
  EXPECT_FALSE(Reflect(t, 0, 0, 0, __Point{0, 0, 1}).enabled);
}

}  // namespace

// The bump tilt: flat images change nothing, a slope along u lowers nx by the height step
// times percent / 10 at either depth, the edge texel is its own neighbour, and the
// footprint averages slopes when the previous pixel is far.
#include <gtest/gtest.h>

#include "shading_test_support.h"

using namespace raster_test;
using namespace shading_test;

namespace {

class BumpSampler : public EngineTest {};

struct Tilt {
  float nx = 0.25f, ny = -0.5f, p;
  bool enabled = true;
};

Tilt Bumped(const __Texture& t, float u, float v, float percent,
            const __PrevInfo* prev = nullptr) {
  Tilt n;
  n.p = percent;
  ApplyBump(n.nx, n.ny, UnitMap(percent), t, n.p, n.enabled, u, v, prev);
  return n;
}

// Column i holds `step` x i in each of blue, green and red; rows are equal.
Image RampAlongU(int w, int h, bool deep, int step) {
  Image img(w, h, deep);
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) SetTexel(img, i, j, step * i, step * i, step * i, 0);
  return img;
}

TEST_F(BumpSampler, FlatImageChangesNothing) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    Image img(8, 8, deep);
    img.fill(_MaxChannel / 3, _MaxChannel / 2, 7, _MaxChannel);
    const Tilt n = Bumped(RecordOf(img), 0.3f, 0.6f, 0.002f);
    EXPECT_TRUE(n.enabled);
    EXPECT_EQ(n.nx, 0.25f);
    EXPECT_EQ(n.ny, -0.5f);
  }
}

// +30 per channel and column, percent 0.002: nx drops by 90 x 0.0002 = 0.018. In 16 bits the
// step is 30 x 128.5 and the strength is scaled by 255 / 32768: again about 0.018.
TEST_F(BumpSampler, SlopeAlongULowersNxAtEitherDepth) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    Image img = deep ? RampAlongU(8, 8, true, 3855) : RampAlongU(8, 8, false, 30);
    const Tilt n = Bumped(RecordOf(img), 3.0f / 7.0f, 0.5f, 0.002f);
    EXPECT_NEAR(n.nx, 0.25f - 0.018f, deep ? 2e-5f : 1e-6f);
    EXPECT_EQ(n.ny, -0.5f);
  }
}

// Without the footprint the last column is its own u-neighbour: no slope there, even though
// column 0 differs.
TEST_F(BumpSampler, LastColumnIsItsOwnNeighbour) {
  Image img = RampAlongU(8, 8, false, 30);
  EXPECT_EQ(Bumped(RecordOf(img), 1.0f, 0.5f, 0.002f).nx, 0.25f);
}

// Likewise the last row is its own v-neighbour: rows rising by 30 per channel, and at the
// last row no slope along v, though row 0 differs. A row inside has the slope.
TEST_F(BumpSampler, LastRowIsItsOwnNeighbour) {
  Image img(8, 8, false);
  for (int j = 0; j < 8; ++j)
    for (int i = 0; i < 8; ++i) SetTexel(img, i, j, 30 * j, 30 * j, 30 * j, 0);
  EXPECT_EQ(Bumped(RecordOf(img), 0.5f, 1.0f, 0.002f).ny, -0.5f);
  EXPECT_NE(Bumped(RecordOf(img), 0.5f, 3.0f / 7.0f, 0.002f).ny, -0.5f);
}

// Previous pixel at column 0, current at 10 (11 x 1 ramp of 30 per channel): samples at
// columns 0..9, each u-neighbour ten columns on (column 10 for the first, back to 0 for the
// rest): mean slope (900 - 90 x 45) / 10 = -315, so nx rises by 315 x 0.0002.
TEST_F(BumpSampler, FootprintAveragesTheSlopes) {
  _Quality = 1;
  Image img = RampAlongU(11, 1, false, 30);
  __PrevInfo prev{};
  prev.valid = 1;
  prev.u = 0.0f;
  EXPECT_NEAR(Bumped(RecordOf(img), 1.0f, 0.0f, 0.002f, &prev).nx, 0.25f + 0.063f, 1e-6f);
  prev.valid = 0;  // the single lookup: the last column, no slope
  EXPECT_EQ(Bumped(RecordOf(img), 1.0f, 0.0f, 0.002f, &prev).nx, 0.25f);
}

// The same along v, in a ramp one column wide and 11 rows high: the v-neighbours wrap to
// row 0 at the last row, and ny rises by 315 x 0.0002 while nx stays.
TEST_F(BumpSampler, FootprintAlongVWrapsToRowZero) {
  _Quality = 1;
  Image img(1, 11, false);
  for (int j = 0; j < 11; ++j) SetTexel(img, 0, j, 30 * j, 30 * j, 30 * j, 0);
  __PrevInfo prev{};
  prev.valid = 1;
  prev.v = 0.0f;
  const Tilt n = Bumped(RecordOf(img), 0.0f, 1.0f, 0.002f, &prev);
  EXPECT_NEAR(n.ny, -0.5f + 0.063f, 1e-6f);
  EXPECT_EQ(n.nx, 0.25f);
}

TEST_F(BumpSampler, UnusableRecordClearsTheFlagAndKeepsTheNormal) {
  Image img = RampAlongU(8, 8, false, 30);
  __Texture t = RecordOf(img);
  t.pixels = nullptr;
  Tilt n = Bumped(t, 0.5f, 0.5f, 0.002f);
  EXPECT_FALSE(n.enabled);
  EXPECT_EQ(n.nx, 0.25f);
  t = RecordOf(img);
  t.present = 0;
  n = Bumped(t, 0.5f, 0.5f, 0.002f);
  EXPECT_FALSE(n.enabled);
  EXPECT_EQ(n.nx, 0.25f);
}

}  // namespace

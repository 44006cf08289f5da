// The per-pixel depth test: strictly nearer wins, fails outside the buffer, and always
// passes without a z-buffer.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "engine/raster/depth_test.h"
#include "engine_test_support.h"

namespace {

// The plane z = 2x + 3: 2x - z + 3 = 0.
const float kNx = 2, kNy = 0, kNz = -1, kD = 3;

class DepthTestFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    for (float& c : cells_) c = -1e30f;
    __SetZBuff(cells_, 4, 3);
  }
  void TearDown() override { __SetZBuff(nullptr, 0, 0); }
  bool Test(float x, float y, int ox = 0, int oy = 0) {
    return DepthTest(x, y, kNx, kNy, kNz, kD, v_, ox, oy, z_, cell_, old_);
  }
  EngineGlobalsGuard guard_;
  float cells_[12];
  __Point3ds v_[3] = {};
  float z_ = 0, old_ = 0;
  int cell_ = 0;
};

}  // namespace

TEST_F(DepthTestFixture, NearerPixelPassesAndReplacesTheDepth) {
  cells_[1 * 4 + 2] = 6.5f;
  ASSERT_TRUE(Test(2, 1));
  EXPECT_EQ(z_, 7);
  EXPECT_EQ(cell_, 6);
  EXPECT_EQ(old_, 6.5f);
  EXPECT_EQ(cells_[6], 7);
}

// Equal depth fails: the triangle drawn first keeps the pixel.
TEST_F(DepthTestFixture, EqualOrFartherDepthFails) {
  cells_[6] = 7;
  EXPECT_FALSE(Test(2, 1));
  EXPECT_EQ(z_, 7);  // the depth is still delivered
  EXPECT_EQ(cells_[6], 7);
  cells_[6] = 8;
  EXPECT_FALSE(Test(2, 1));
  EXPECT_EQ(cells_[6], 8);
}

TEST_F(DepthTestFixture, OutsideTheBufferFails) {
  EXPECT_FALSE(Test(-1, 0));
  EXPECT_FALSE(Test(4, 0));
  EXPECT_FALSE(Test(0, 3));
  EXPECT_FALSE(Test(0, -0.5f - 1));
  for (float c : cells_) EXPECT_EQ(c, -1e30f);
  // A recorded size smaller than the buffer is the edge: its first row and column beyond
  // have real cells, which stay as they are.
  Zwidth = 3;
  Zheight = 2;
  EXPECT_FALSE(Test(0, 2));
  EXPECT_FALSE(Test(3, 0));
  EXPECT_TRUE(Test(2, 1));
  for (int i = 0; i < 12; ++i) EXPECT_EQ(cells_[i], i == 1 * 3 + 2 ? 7.0f : -1e30f) << i;
}

// The cell is found at (trunc(x + ox), trunc(y + oy)); the depth uses x, y alone.
TEST_F(DepthTestFixture, OffsetsMoveTheCellNotTheDepth) {
  ASSERT_TRUE(Test(1.7f, 0.2f, 2, 1));
  EXPECT_EQ(cell_, 1 * 4 + 3);
  EXPECT_FLOAT_EQ(z_, 2 * 1.7f + 3);
}

// A plane seen edge-on (|nz| < 0.01) gives every pixel vertex 0's depth; at |nz| = 0.01
// the plane's own depth holds: x + 0.01 z + d = 0 at x = 1 with d = -1.5 is z = 50.
TEST_F(DepthTestFixture, NearlyEdgeOnPlaneUsesVertexZeroDepth) {
  v_[0].z = 11;
  ASSERT_TRUE(DepthTest(1, 1, 1, 0, 0.005f, 100, v_, 0, 0, z_, cell_, old_));
  EXPECT_EQ(z_, 11);
  EXPECT_EQ(cells_[5], 11);
  ASSERT_TRUE(DepthTest(1, 0, 1, 0, 0.01f, -1.5f, v_, 0, 0, z_, cell_, old_));
  EXPECT_FLOAT_EQ(z_, 50);
}

TEST(DepthTestWithoutBuffer, EveryPixelPasses) {
  EngineGlobalsGuard guard;
  __SetZBuff(nullptr, 0, 0);
  Zwidth = 2;
  Zheight = 2;
  __Point3ds v[3] = {};
  float z = 0, old = 0;
  int cell = 5;
  EXPECT_TRUE(DepthTest(1, 0, kNx, kNy, kNz, kD, v, 0, 0, z, cell, old));
  EXPECT_EQ(z, 5);
  EXPECT_EQ(cell, -1);
  EXPECT_TRUE(DepthTest(1000, -50, kNx, kNy, kNz, kD, v, 0, 0, z, cell, old));
  EXPECT_TRUE(DepthTest(1, 0, kNx, kNy, kNz, kD, v, 0, 0, z, cell, old));  // again
}

// The read-only test of edge pixels gives the very answer and depth of the writing one at
// every place (inside, on the borders, outside, equal, nearer and farther depths, a stored
// value that is not a number, a nearly edge-on plane), and never writes a cell.
TEST_F(DepthTestFixture, WouldPassAnswersAsTheTestWithoutWriting) {
  const float stored[12] = {6.5f, 7.0f, 100.0f, -1e30f, nanf(""), 3.0f,
                            7.0f, 8.9f, 2.0f,   9.0f,   11.0f,    -5.0f};
  int passes = 0, fails = 0;
  for (float nz : {kNz, 0.005f}) {
    v_[0].z = 5.5f;
    for (float y = -1.5f; y < 4.0f; y += 0.5f)
      for (float x = -1.5f; x < 5.0f; x += 0.25f) {
        for (int i = 0; i < 12; ++i) cells_[i] = stored[i];
        const DepthGrid g = CurrentDepthGrid();
        float z_read = 0;
        const bool would = DepthWouldPass(g, x, y, kNx, kNy, nz, kD, v_, z_read);
        for (int i = 0; i < 12; ++i)
          ASSERT_TRUE(memcmp(&cells_[i], &stored[i], sizeof(float)) == 0)
              << "cell " << i << " written";
        float z = 0, old = 0;
        int cell = -1;
        const bool pass = DepthTestIn(g, x, y, kNx, kNy, nz, kD, v_, 0, 0, z, cell, old);
        EXPECT_EQ(would, pass) << x << "," << y << " nz " << nz;
        EXPECT_EQ(z_read, z) << x << "," << y;
        (pass ? passes : fails)++;
      }
  }
  EXPECT_GT(passes, 20);
  EXPECT_GT(fails, 100);
  __SetZBuff(nullptr, 0, 0);
  float z = 0;
  EXPECT_TRUE(DepthWouldPass(CurrentDepthGrid(), 1.0f, 1.0f, kNx, kNy, kNz, kD, v_, z));
  EXPECT_EQ(z, 5.0f);  // without a z-buffer every pixel passes, at the plane's depth
}

// Four pixels of a row tested side by side answer as the one-pixel test does, lane by lane
// and with the very depths: rows and columns inside and outside the buffer, tilted planes
// whose depths round differently, a plane seen almost edge-on, stored depths nearer, equal,
// farther and not numbers.
TEST_F(DepthTestFixture, FourPixelsAnswerAsOneAtATime) {
  const float stored[12] = {6.5f, 7.0f, 100.0f, -1e30f, nanf(""), 3.0f,
                            7.0f, 8.9f, 2.0f,   9.0f,   11.0f,    -5.0f};
  const float planes[][4] = {{kNx, kNy, kNz, kD}, {0.37f, -1.3f, -0.71f, 2.9f},
                             {-0.2f, 0.45f, -0.013f, -0.6f}, {1.0f, 1.0f, 0.005f, 0.0f}};
  int passes = 0, fails = 0;
  v_[0].z = 5.5f;
  for (int i = 0; i < 12; ++i) cells_[i] = stored[i];
  const DepthGrid g = CurrentDepthGrid();
  for (const auto& p : planes)
    for (int y = -2; y <= 4; ++y)
      for (int x = -5; x <= 5; ++x) {
        float four[4];
        const int mask = DepthWouldPassFour(g, x, y, p[0], p[1], p[2], p[3], v_, four);
        for (int j = 0; j < 4; ++j) {
          float z = 0;
          const float px = static_cast<float>(x + j), py = static_cast<float>(y);
          const bool one = DepthWouldPass(g, px, py, p[0], p[1], p[2], p[3], v_, z);
          ASSERT_EQ(((mask >> j) & 1) != 0, one) << "pixel " << x + j << "," << y;
          ASSERT_EQ(memcmp(&z, &four[j], sizeof(float)), 0) << "depth of " << x + j << "," << y;
          (one ? passes : fails)++;
        }
      }
  for (int i = 0; i < 12; ++i)
    ASSERT_EQ(memcmp(&cells_[i], &stored[i], sizeof(float)), 0) << "cell " << i << " written";
  EXPECT_GT(passes, 40);
  EXPECT_GT(fails, 400);
}

// A z-buffer smaller than the recorded size (Zwidth 10 over a buffer 8 cells wide): rows lie
// Zwidth cells apart as the rasterizers index them, and no cell at or past the buffer's real
// end, nor at or past its width, passes, though the cells there would. Four pixels at once
// answer as one at a time.
TEST(DepthTestFourCells, NoCellPastTheBufferPasses) {
  EngineGlobalsGuard guard;
  float cells[24];
  for (float& c : cells) c = -1e30f;  // 16 real cells, then a guard the test may read
  __SetZBuff(cells, 8, 2);
  Zwidth = 10;
  Zheight = 2;
  const DepthGrid g = CurrentDepthGrid();
  const __Point3ds v[3] = {};
  const float depths[4] = {5.0f, 5.0f, 5.0f, 5.0f};
  int passes = 0, refused_inside_rows = 0;
  for (int y = -1; y <= 2; ++y)
    for (int x = -5; x <= 9; ++x) {
      const int mask = DepthWouldPassFour(g, x, y, depths);
      for (int j = 0; j < 4; ++j) {
        float z = 0;
        // The plane z = 5: 0 x + 0 y - z + 5 = 0.
        const bool one =
            DepthWouldPass(g, static_cast<float>(x + j), static_cast<float>(y), 0, 0, -1, 5, v, z);
        ASSERT_EQ(((mask >> j) & 1) != 0, one) << "pixel " << x + j << "," << y;
        passes += one;
        refused_inside_rows += !one && y >= 0 && y < 2;
      }
    }
  EXPECT_GT(passes, 30);
  EXPECT_GT(refused_inside_rows, 10) << "columns past the width and cells past the end";
  __SetZBuff(nullptr, 0, 0);
}

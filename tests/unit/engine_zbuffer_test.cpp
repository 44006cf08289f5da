// The z-buffer's real extent: a buffer whose recorded size went stale is never indexed
// beyond its cells, and a render reuses a buffer only when it really has the render's size.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "engine/raster/depth_test.h"
#include "engine/raster/pixel_write.h"
#include "engine_test_support.h"

namespace {

// A plane z = 5 everywhere: nx = ny = 0, nz = -1, d = 5.
bool TestAt(float x, float y, float& z, int& cell, float& old_depth) {
  __Point3ds v[3] = {};
  return DepthTest(x, y, 0, 0, -1, 5, v, 0, 0, z, cell, old_depth);
}

float* NewCleared(int cells) {
  float* buffer = static_cast<float*>(EngineAlloc(sizeof(float) * cells));
  for (int i = 0; i < cells; ++i) buffer[i] = -1e30f;
  return buffer;
}

}  // namespace

// __RasterSolid records its image size in Zwidth x Zheight without touching the buffer:
// the depth test must still stay inside the 4 x 4 cells the buffer really has.
TEST(EngineZBuffer, StaleRecordedSizeNeverIndexesPastTheBuffer) {
  EngineGlobalsGuard guard;
  float* cells = NewCleared(16);
  __SetZBuff(cells, 4, 4);
  Zwidth = 100;  // as __RasterSolid of a 100 x 100 image leaves it
  Zheight = 100;
  float z, old_depth;
  int cell;
  EXPECT_FALSE(TestAt(50, 50, z, cell, old_depth));
  EXPECT_FALSE(TestAt(5, 0, z, cell, old_depth));  // inside the row length of 100, not of 4
  EXPECT_FALSE(TestAt(0, 3, z, cell, old_depth));  // row 3 over a stride of 100: cell 300
  EXPECT_EQ(ZBuffCellIndex(3, 0), 3);
  EXPECT_EQ(ZBuffCellIndex(0, 1), -1);  // cell 100 lies beyond the 16 real ones
  // A depth restore aimed past the buffer is refused as well.
  DepthRestore restore = {1.0f, 200};
  EdgeSegment edge = MakeEdgeSegment(0, 0, 0, 0);
  PlotBySegmentDistance(OutputImage(nullptr), 0, 0, 0, edge, 0, 0, 1, 1, &restore);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(cells[i], -1e30f);
  // A recorded size narrower than the buffer but taller: a row below the buffer's own is
  // refused, though over the narrower rows its index would still fall among the real cells.
  Zwidth = 2;
  EXPECT_EQ(ZBuffCellIndex(1, 5), -1);
  EXPECT_EQ(ZBuffCellIndex(1, 3), 7);
  EXPECT_EQ(ZBuffCellIndex(0, 3), 6);
  Zwidth = 100;
  // A cell inside both extents still works.
  EXPECT_TRUE(TestAt(2, 0, z, cell, old_depth));
  EXPECT_EQ(cell, 2);
  EXPECT_EQ(cells[2], 5.0f);

  // The next render of 100 x 100 must not take the 4 x 4 buffer for its own.
  EXPECT_FALSE(ZBuffFits(100, 100));
  EXPECT_TRUE(ZBuffFits(4, 4));
  EXPECT_TRUE(ZBuffPrepare(100, 100));  // releases the small buffer, allocates its own
  EXPECT_NE(ZBuff, nullptr);
  EXPECT_EQ(Zwidth, 100);
  EXPECT_TRUE(ZBuffFits(100, 100));
  EXPECT_EQ(ZBuffCellIndex(99, 99), 9999);
  EXPECT_TRUE(TestAt(99, 99, z, cell, old_depth));
  EXPECT_LT(old_depth, -1.6e38f);  // the fresh buffer holds bytes 0xFE
  ZBuffRelease();
  EXPECT_EQ(ZBuff, nullptr);
  EXPECT_EQ(Zwidth, 100);  // the size of the render stays recorded
}

// A buffer of the render's size is reused as it is, its depths kept, even when the
// recorded size went stale in between.
TEST(EngineZBuffer, PrepareReusesABufferOfTheRightSize) {
  EngineGlobalsGuard guard;
  float* cells = NewCleared(6);
  cells[4] = 42;
  __SetZBuff(cells, 3, 2);
  Zwidth = 7;
  EXPECT_FALSE(ZBuffPrepare(3, 2));  // not owned by the render
  EXPECT_EQ(ZBuff, cells);
  EXPECT_EQ(Zwidth, 3);
  EXPECT_EQ(cells[4], 42);
  ZBuffClear();
  uint32_t bits;
  memcpy(&bits, &cells[5], 4);
  EXPECT_EQ(bits, 0xFEFEFEFEu);
  ZBuffRelease();
}

TEST(EngineZBuffer, PrepareWithoutASizeLeavesNoBuffer) {
  EngineGlobalsGuard guard;
  __SetZBuff(nullptr, 0, 0);
  EXPECT_FALSE(ZBuffPrepare(0, 10));
  EXPECT_EQ(ZBuff, nullptr);
  EXPECT_EQ(ZBuffCellIndex(0, 0), -1);
  EXPECT_FALSE(ZBuffCellValid(0));
}

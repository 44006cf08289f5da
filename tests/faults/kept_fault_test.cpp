// A kept render whose edge bits cannot be had: the block of a smaller frame is too small,
// the scratch images of a deeper frame before it are large enough and still hold that
// frame's edge records. Every page allocation of the render refused in turn, each run ends
// either out of memory or with exactly the frame that fresh buffers draw.
#include <gtest/gtest.h>

#include <string>

#include "counting_page_alloc.h"
#include "engine/engine.h"
#include "engine/engine_store.h"
#include "tests/unit/raster_test_support.h"

using namespace raster_test;

namespace {

// The ball in Phong mode with quality over a grey background, w x h, buffers kept or not.
Image RenderBall(int w, int h, bool deep, bool keep) {
  ResetEngine(w, h, deep);
  _DrawMode = 6;
  _Quality = 1;
  const int grey = deep ? 9000 : 70, full = deep ? 32768 : 255;
  Image src(w, h, deep), dst(w, h, deep);
  src.fill(grey, grey, grey, full);
  dst = src;
  material3ds mat = MakeMaterial(0.2f, 0.7f, 0.9f);
  light3ds light = MakeLight(300, -200, 1000);
  Mesh ball = LatLongSphere(0.4f * static_cast<float>(h), 12, 18);
  EngineKeepBuffers(keep);
  __RasterScene(dst.data(), src.data(), w, h, w * 4, static_cast<int>(ball.v.size()),
                static_cast<int>(ball.t.size()), ball.t.data(), ball.v.data(), w / 2, h / 2, 1,
                &mat, nullptr, 1, &light, nullptr);
  EngineKeepBuffers(false);
  return dst;
}

TEST(KeptBufferFaults, EdgeRecordsLeftByADeeperFrameNeverShowWithoutEdgeBits) {
  FailPageAllocAt(0);
  const Image expected = RenderBall(120, 120, false, false);
  int right = 0, out_of_memory = 0;
  for (long n = 1; n <= 12; ++n) {
    SCOPED_TRACE("allocation " + std::to_string(n));
    FailPageAllocAt(0);
    RenderBall(100, 100, true, true);  // 16-bit: 80 000 bytes of each scratch image
    FailPageAllocAt(n);
    const Image drawn = RenderBall(120, 120, false, true);  // 8-bit: 57 600 bytes
    if (EngineOutOfMemory()) {
      ++out_of_memory;
    } else {
      ++right;
      EXPECT_TRUE(drawn == expected) << "a frame drawn over stale edge records";
    }
    FailPageAllocAt(0);
    EngineReleaseBuffers();
    EXPECT_EQ(LivePageBlocks(), 0);
  }
  // The z-buffer and span table grow and are needed; the edge bits grow and are not.
  EXPECT_GT(out_of_memory, 0);
  EXPECT_GT(right, 0) << "a run without edge bits drew its frame";
  ResetEngine(0, 0, false);
}

}  // namespace

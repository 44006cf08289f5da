// Working buffers kept between renders: a render with kept buffers draws exactly what a
// render with fresh ones draws, whatever sizes, depths and modes came before it; keeping
// allocates nothing once the store is large enough; setdown releases the store.
#include <gtest/gtest.h>

#include "engine/kept_buffers.h"
#include "engine/engine_store.h"
#include "raster_test_support.h"
#include "shell/shell.h"

using namespace raster_test;

namespace {

int g_allocations = 0;
bool g_refuse = false;
void* CountingAlloc(size_t bytes) {
  ++g_allocations;
  return g_refuse ? nullptr : EngineAlloc(bytes);
}

struct Frame {
  int w, h;
  bool deep;
  int mode, quality;
  bool glass;
};

class KeptBuffers : public EngineTest {
 protected:
  std::vector<light3ds> lights{MakeLight(300, -200, 1000), MakeLight(-300, 100, -400)};
  std::vector<material3ds> mats{MakeMaterial(0.8f, 0.2f, 0.2f)};
  std::vector<GlassProp> glass{GlassProp{}};

  void SetUp() override {
    EngineTest::SetUp();
    g_allocations = 0;
    glass[0].optical = 0.75f;
    glass[0].refraction = -5.0f;
    glass[0].aberration = 20.0f;
  }
  void TearDown() override {
    EngineKeepBuffers(false);
    EngineReleaseBuffers();
    g_engine_store.scratch_alloc = EngineAlloc;
    EngineTest::TearDown();
  }

  // The frame over a background with a gradient (so that glass shows), keeping or not.
  Image Render(const Frame& f, bool keep) {
    Image src(f.w, f.h, f.deep), dst(f.w, f.h, f.deep);
    const int full = f.deep ? 32768 : 255;
    for (int y = 0; y < f.h; ++y)
      for (int x = 0; x < f.w; ++x)
        for (int k = 0; k < 4; ++k)
          src.set(x, y, k, k == 3 ? full : (x * (k + 1) * 7 + y * 3) % (full + 1));
    dst = src;
    _Deep = f.deep ? 1 : 0;
    _DrawMode = static_cast<unsigned char>(f.mode);
    _Quality = static_cast<unsigned char>(f.quality);
    glass[0].glass = f.glass ? 1 : 0;
    Mesh ball = LatLongSphere(static_cast<float>(f.h) * 0.4f, 8, 12);
    EngineKeepBuffers(keep);
    __RasterScene(dst.data(), src.data(), f.w, f.h, f.w * 4, static_cast<int>(ball.v.size()),
                  static_cast<int>(ball.t.size()), ball.t.data(), ball.v.data(), f.w / 2,
                  f.h / 2, 1, mats.data(), nullptr, static_cast<int>(lights.size()),
                  lights.data(), glass.data());
    EngineKeepBuffers(false);
    return dst;
  }
};

// Larger, smaller, deeper and shallower frames in turn, with and without glass and the
// anti-aliased composite: each equals the same frame drawn with fresh buffers, and nothing
// is left in the engine's globals.
TEST_F(KeptBuffers, FramesOfEverySizeAndDepthMatchFreshBuffers) {
  const Frame frames[] = {
      {96, 64, false, 6, 1, false}, {160, 120, true, 6, 1, true},  {48, 40, false, 3, 1, true},
      {160, 120, false, 6, 1, false}, {120, 160, true, 8, 1, false}, {64, 64, false, 6, 0, true},
      {200, 90, true, 3, 0, false},  {96, 64, false, 6, 1, false},
  };
  for (const Frame& f : frames) {
    const Image fresh = Render(f, false);
    const Image kept = Render(f, true);
    EXPECT_TRUE(kept == fresh) << f.w << "x" << f.h << (f.deep ? " 16-bit" : " 8-bit")
                               << " mode " << f.mode << " quality " << f.quality
                               << (f.glass ? " glass" : "");
    EXPECT_EQ(_TriLayer, nullptr);
    EXPECT_EQ(_EdgeColor, nullptr);
    EXPECT_EQ(ZBuff, nullptr);
  }
}

// Once the store holds the largest frame, further renders of that size or smaller allocate
// nothing; without glass the background copy and glass depths are never taken.
TEST_F(KeptBuffers, RendersReuseTheStoreAndSkipGlassBuffers) {
  g_engine_store.scratch_alloc = CountingAlloc;
  Render({160, 120, false, 6, 1, false}, true);
  EXPECT_EQ(g_allocations, 3);  // the layer and the two edge images; no glass buffers
  g_allocations = 0;
  Render({160, 120, false, 6, 1, false}, true);
  Render({100, 60, false, 6, 1, false}, true);
  EXPECT_EQ(g_allocations, 0);
  Render({100, 60, false, 6, 1, true}, true);
  EXPECT_EQ(g_allocations, 2);  // the background copy and the glass depths
  g_allocations = 0;
  Render({160, 120, true, 6, 1, true}, true);  // twice the bytes a pixel: all grow
  EXPECT_EQ(g_allocations, 5);
}

// A scene whose only glass triangle is its first one needs the background copy and the
// glass depths as much as one whose every triangle is glass.
TEST_F(KeptBuffers, FirstTriangleAloneMakesTheSceneGlass) {
  g_engine_store.scratch_alloc = CountingAlloc;
  Mesh ball = LatLongSphere(20.0f, 8, 12);
  for (__Triangle3ds& t : ball.t) t.material = 1;
  ball.t[0].material = 0;
  std::vector<material3ds> two{mats[0], mats[0]};
  std::vector<GlassProp> first_only{glass[0], GlassProp{}};
  first_only[0].glass = 1;
  Image src(64, 64, false), dst(64, 64, false);
  _DrawMode = 6;
  EngineKeepBuffers(true);
  __RasterScene(dst.data(), src.data(), 64, 64, 64 * 4, static_cast<int>(ball.v.size()),
                static_cast<int>(ball.t.size()), ball.t.data(), ball.v.data(), 32, 32, 2,
                two.data(), nullptr, static_cast<int>(lights.size()), lights.data(),
                first_only.data());
  EngineKeepBuffers(false);
  EXPECT_EQ(g_allocations, 5);  // the layer, the two edge images and both glass buffers
}

// Sequence setdown and global setdown free the store: the next keeping render must allocate
// again, and draws nothing when it cannot.
TEST_F(KeptBuffers, SetdownReleasesTheStore) {
  const Frame f{64, 48, false, 6, 1, false};
  const Image drawn = Render(f, true);
  for (int release = 0; release < 2; ++release) {
    Render(f, true);
    if (release == 0)
      EXPECT_EQ(SequenceRelease(nullptr, nullptr), PF_Err_NONE);
    else
      EXPECT_EQ(GlobalSetdown(), PF_Err_NONE);
    g_engine_store.scratch_alloc = CountingAlloc;
    g_refuse = true;
    g_allocations = 0;
    const Image refused = Render(f, true);
    g_refuse = false;
    g_engine_store.scratch_alloc = EngineAlloc;
    EXPECT_GT(g_allocations, 0) << release;
    EXPECT_FALSE(refused == drawn) << release;
  }
}

// Keeping off (every direct caller of the exports): each render allocates all its buffers.
TEST_F(KeptBuffers, WithoutKeepingEveryRenderAllocates) {
  g_engine_store.scratch_alloc = CountingAlloc;
  Render({64, 48, false, 6, 1, false}, false);
  Render({64, 48, false, 6, 1, false}, false);
  EXPECT_EQ(g_allocations, 10);
}

}  // namespace

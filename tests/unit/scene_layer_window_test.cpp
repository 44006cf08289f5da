// The anti-aliased composite's two savings must not show in the pictures: a triangle's layer
// packed into the start of the scratch image (default shader) draws what the layer laid out
// as the output draws (another shader), and the edge bits of a render give the composite
// exactly the results of reading the edge records whole, whatever stale records a kept
// render left behind.
#include <gtest/gtest.h>
#include <stdint.h>
#include <string.h>

#include <string>
#include <vector>

#include "engine/raster/pixel_write.h"
#include "engine/scene/layer_composite.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

struct Lcg {
  unsigned s = 2024u;
  int Next(int n) {
    s = s * 1664525u + 1013904223u;
    return static_cast<int>((s >> 8) % static_cast<unsigned>(n));
  }
};

class LayerWindowScene : public EngineTest {
 protected:
  void TearDown() override {
    RenderOnePixel = DefRenderOnePixel;
    EngineKeepBuffers(false);
    EngineReleaseBuffers();
    EngineTest::TearDown();
  }

  // A ball of 24 x 16 faces over a grey background, in the given mode, with quality.
  Image Render(int mode, bool deep, bool forwarding, bool keep) {
    constexpr int kW = 160, kH = 120;
    ResetEngine(kW, kH, deep);
    _DrawMode = static_cast<unsigned char>(mode);
    _Quality = 1;
    RenderOnePixel = forwarding ? Forwarding : DefRenderOnePixel;
    const int grey = deep ? 12000 : 90, full = deep ? 32768 : 255;
    Image src(kW, kH, deep), dst(kW, kH, deep);
    src.fill(grey, grey, grey, full);
    dst = src;
    std::vector<material3ds> mats{MakeMaterial(0.9f, 0.3f, 0.1f)};
    mats[0].shininess = 0.4f;
    std::vector<light3ds> lights{MakeLight(300, -200, 1000), MakeLight(-300, 100, 400, 0.5f)};
    Mesh ball = LatLongSphere(48.0f, 16, 24);
    EngineKeepBuffers(keep);
    __RasterScene(dst.data(), src.data(), kW, kH, kW * 4, static_cast<int>(ball.v.size()),
                  static_cast<int>(ball.t.size()), ball.t.data(), ball.v.data(), kW / 2, kH / 2,
                  1, mats.data(), nullptr, static_cast<int>(lights.size()), lights.data(),
                  nullptr);
    EngineKeepBuffers(false);
    RenderOnePixel = DefRenderOnePixel;
    return dst;
  }

  static int Changed(const Image& a, const Image& b) {
    int n = 0;
    for (int y = 0; y < a.h; ++y)
      for (int x = 0; x < a.w; ++x)
        for (int k = 0; k < 3; ++k)
          if (a.at(x, y, k) != b.at(x, y, k)) {
            ++n;
            break;
          }
    return n;
  }
};

// Flat, Phong, patches and curved patches at both depths: the packed layer (default shader)
// draws the very picture of the full-frame layer (a shader that forwards to the default
// one), and the ball covers about as much of the frame as a disc of its radius.
TEST_F(LayerWindowScene, PackedLayerDrawsWhatTheFullFrameLayerDraws) {
  for (int mode : {3, 6, 8, 9})
    for (bool deep : {false, true}) {
      SCOPED_TRACE("mode " + std::to_string(mode) + (deep ? " 16-bit" : " 8-bit"));
      const Image packed = Render(mode, deep, false, false);
      const Image full = Render(mode, deep, true, false);
      Image background(packed.w, packed.h, deep);
      const int grey = deep ? 12000 : 90;
      background.fill(grey, grey, grey, deep ? 32768 : 255);
      const int drawn = Changed(packed, background);
      EXPECT_GT(drawn, 6000) << "a disc of radius 48 has about 7200 pixels";
      EXPECT_LT(drawn, 9000);
      EXPECT_EQ(Changed(packed, full), 0);
    }
}

// Renders in turn with kept buffers, the edge records of each left behind for the next:
// each frame equals the same frame drawn with fresh buffers.
TEST_F(LayerWindowScene, StaleEdgeRecordsOfAKeptRenderChangeNothing) {
  const Image fresh6 = Render(6, false, false, false);
  const Image fresh3 = Render(3, false, false, false);
  for (int round = 0; round < 2; ++round) {
    EXPECT_EQ(Changed(Render(6, false, false, true), fresh6), 0) << round;
    EXPECT_EQ(Changed(Render(3, false, false, true), fresh3), 0) << round;
  }
}

// The composite alone: random layers (untouched, partial and full pixels, colours near and
// far from each other) over one row, composited in turn with edge bits over records full of
// garbage, and without bits over zeroed records. The outputs are equal after every layer,
// and wherever a bit is set the records are equal too.
TEST(LayerEdgeBits, CompositeWithBitsMatchesTheWholeRecords) {
  constexpr int kW = 37, kH = 3;
  for (bool deep : {false, true}) {
    SCOPED_TRACE(deep ? "16-bit" : "8-bit");
    ResetEngine(kW, kH, deep);
    _MaxChannel = deep ? 32768 : 255;
    const int m = _MaxChannel, unit = deep ? 256 : 1;
    Image layer(kW, kH, deep);
    Image out_bits(kW, kH, deep), edge_bits(kW, kH, deep), under_bits(kW, kH, deep);
    Image out_whole(kW, kH, deep), edge_whole(kW, kH, deep), under_whole(kW, kH, deep);
    edge_bits.fill(77 * unit, 3 * unit, 120 * unit, m / 3);  // what a kept render left
    under_bits.fill(5 * unit, 200 * unit, 9 * unit, m);
    std::vector<uint64_t> bits((kW * kH + 63) / 64, 0);
    Lcg rng;
    int partial_over_cover = 0, full_over_edge = 0;
    for (int round = 0; round < 60; ++round) {
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const int kind = rng.Next(4);  // untouched, partial, full, full
          const int a = kind == 0 ? 0 : kind == 1 ? 1 + rng.Next(m - 1) : m;
          const int base = (100 + 30 * rng.Next(3)) * unit;  // colours 0, 30 or 60 levels apart
          for (int k = 0; k < 3; ++k) layer.set(x, y, k, base + rng.Next(8 * unit));
          layer.set(x, y, 3, a);
          if (a > 0 && a < m && out_whole.at(x, y, 3) != 0) ++partial_over_cover;
          if (a == m && edge_whole.at(x, y, 3) != 0) ++full_over_edge;
        }
      const LayerRegion all{0, kW, 0, kH};
      Frame with_bits =
          LayerFrame(out_bits.data(), layer.data(), edge_bits.data(), under_bits.data());
      with_bits.bits = bits.data();
      with_bits.bits_width = kW;
      CompositeLayer(with_bits, all);
      CompositeLayer(
          LayerFrame(out_whole.data(), layer.data(), edge_whole.data(), under_whole.data()), all);
      ASSERT_TRUE(out_bits.b8 == out_whole.b8 && out_bits.b16 == out_whole.b16)
          << "round " << round;
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
          const size_t i = static_cast<size_t>(y) * kW + x;
          const bool bit = (bits[i / 64] >> (i % 64)) & 1;
          ASSERT_EQ(bit, edge_whole.at(x, y, 3) != 0) << x << "," << y << " round " << round;
          for (int k = 0; bit && k < 3; ++k) {
            ASSERT_EQ(edge_bits.at(x, y, k), edge_whole.at(x, y, k)) << x << "," << y;
            ASSERT_EQ(under_bits.at(x, y, k), under_whole.at(x, y, k)) << x << "," << y;
          }
          if (bit) {
            ASSERT_EQ(edge_bits.at(x, y, 3), edge_whole.at(x, y, 3)) << x << "," << y;
          }
        }
    }
    EXPECT_GT(partial_over_cover, 500) << "edges met earlier layers often";
    EXPECT_GT(full_over_edge, 500) << "full covers fell on edges often";
  }
  ResetEngine(0, 0, false);
}

// Four fully covered pixels are written at once; where any of them has its edge bit set, the
// records of all four take the layer's colour. The bits of a group may lie in two words of
// the bit block: each pixel of a group that starts three, two or one bits before a word's end
// is checked in turn as the only edged one, on the first row (words 0 and 1) and on row 100
// (words 109 and 110).
TEST(LayerEdgeBits, FullCoverOfFourSeesEveryBitOfTheGroup) {
  constexpr int kW = 70, kH = 101;
  ResetEngine(kW, kH, false);
  _MaxChannel = 255;
  for (int y : {0, 100}) {
    const int first = y == 0 ? 60 : 36;  // bit 60 of a word: 7036 = 109 * 64 + 60
    for (int start = first; start <= first + 3; ++start) {
      for (int edged = start; edged < start + 4; ++edged) {
        SCOPED_TRACE("row " + std::to_string(y) + ", group at " + std::to_string(start) +
                     ", edged pixel " + std::to_string(edged));
        Image layer(kW, kH, false), out(kW, kH, false), edge(kW, kH, false), under(kW, kH, false);
        edge.fill(10, 20, 30, 100);  // an earlier edge composite's colour and coverage
        under.fill(40, 50, 60, 255);
        for (int x = start; x < start + 4; ++x) {
          layer.set(x, y, 0, 200), layer.set(x, y, 1, 150), layer.set(x, y, 2, 90);
          layer.set(x, y, 3, 255);
        }
        std::vector<uint64_t> bits((kW * kH + 63) / 64, 0);
        const size_t bit = static_cast<size_t>(y) * kW + edged;
        bits[bit / 64] |= uint64_t{1} << (bit % 64);
        Frame f = LayerFrame(out.data(), layer.data(), edge.data(), under.data());
        f.bits = bits.data();
        f.bits_width = kW;
        CompositeLayer(f, LayerRegion{start, start + 4, y, y + 1});
        EXPECT_EQ(out.at(start + 3, y, 0), 200);
        EXPECT_EQ(edge.at(edged, y, 0), 200) << "the edged pixel's colour record";
        EXPECT_EQ(under.at(edged, y, 2), 90) << "the edged pixel's under-colour record";
        EXPECT_EQ(edge.at(edged, y, 3), 100) << "its coverage kept";
      }
    }
  }
  ResetEngine(0, 0, false);
}

// A run of pixels is written at once only when each covers fully: colour channels at full
// scale beside a partial alpha (in any pixel of the run, or in none) composite as each pixel
// alone does, into the output and both edge records.
TEST(LayerEdgeBits, ARunCompositesAsItsPixelsOneByOne) {
  constexpr int kW = 8;
  for (bool deep : {false, true}) {
    ResetEngine(kW, 1, deep);
    _MaxChannel = deep ? 32768 : 255;
    const int m = _MaxChannel;
    for (int partial : {-1, 0, 1, 2, 3}) {
      SCOPED_TRACE(std::string(deep ? "16" : "8") + "-bit, partial " + std::to_string(partial));
      Image layer(kW, 1, deep), run[3] = {{kW, 1, deep}, {kW, 1, deep}, {kW, 1, deep}};
      for (int x = 0; x < kW; ++x)
        for (int k = 0; k < 4; ++k) layer.set(x, 0, k, k == 3 && x % 4 == partial ? m / 2 : m);
      run[0].fill(10, 20, 30, m), run[1].fill(1, 2, 3, m / 4), run[2].fill(4, 5, 6, m);
      Image one[3] = {run[0], run[1], run[2]};
      CompositeLayer(LayerFrame(run[0].data(), layer.data(), run[1].data(), run[2].data()),
                     LayerRegion{0, kW, 0, 1});
      for (int x = 0; x < kW; ++x)
        CompositeLayer(LayerFrame(one[0].data(), layer.data(), one[1].data(), one[2].data()),
                       LayerRegion{x, x + 1, 0, 1});
      for (int i = 0; i < 3; ++i) EXPECT_TRUE(run[i].b8 == one[i].b8 && run[i].b16 == one[i].b16);
      // A partial pixel blends with what lay under it; a full one takes the layer's colour.
      EXPECT_EQ(run[0].at(partial < 0 ? 0 : partial, 0, 1) == m, partial < 0);
    }
  }
  ResetEngine(0, 0, false);
}

// A packed layer keeps only its window: pixels written inside it are composited where they
// belong in the output, pixels outside it are dropped; unpacked, it keeps the whole frame;
// and at the render's end the whole scratch image is zero again.
TEST(LayerWindowPacking, WritesLandInTheWindowAndNothingElseIsKept) {
  constexpr int kW = 40, kH = 30;
  ResetEngine(kW, kH, false);
  _MaxChannel = 255;
  Image layer(kW, kH, false), edge(kW, kH, false), under(kW, kH, false), out(kW, kH, false);
  Frame f = LayerFrame(out.data(), nullptr, edge.data(), under.data());
  StartLayerSpans(f, layer.data(), kH);
  const LayerRegion region{10, 18, 5, 9};  // 8 x 4 pixels
  ClearLayer(f, region, true);
  EXPECT_EQ(f.layer.window.stride, 4 * 8);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) PlotPixel(f.layer, 200, 100, 50, x, y, 1.0f);
  // Only the window's 32 pixels were kept, packed at the start of the layer.
  int kept = 0;
  for (size_t i = 3; i < layer.b8.size(); i += 4) kept += layer.b8[i] != 0;
  EXPECT_EQ(kept, 32);
  for (int i = 0; i < 32; ++i) EXPECT_EQ(layer.b8[4 * i + 3], 255) << i;
  CompositeLayerWritten(f, region);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const bool inside = x >= 10 && x < 18 && y >= 5 && y < 9;
      ASSERT_EQ(out.at(x, y, 0), inside ? 200 : 0) << x << "," << y;
      ASSERT_EQ(out.at(x, y, 3), inside ? 255 : 0) << x << "," << y;
    }
  ClearLayer(f, LayerRegion{0, 4, 0, 4}, true);
  // Unpacked, the layer is laid out as the output: its first row and column are kept too.
  ClearLayer(f, LayerRegion{0, kW, 0, kH}, false);
  PlotPixel(f.layer, 10, 20, 30, 0, 0, 1.0f);
  PlotPixel(f.layer, 10, 20, 30, kW - 1, kH - 1, 1.0f);
  PlotPixel(f.layer, 10, 20, 30, 0, -1, 1.0f);
  EXPECT_EQ(layer.at(0, 0, 3), 255);
  EXPECT_EQ(layer.at(kW - 1, kH - 1, 3), 255);
  EndLayerSpans(f);
  for (uint8_t v : layer.b8) ASSERT_EQ(v, 0);
  ResetEngine(0, 0, false);
}

// The edge pixels' write keeps to a packed window as well: pixels on every side of it, the
// rows just above and below and the columns just left and right included, are dropped, and
// those inside land at their packed places with their coverage.
TEST(LayerWindowPacking, EdgeWritesOutsideTheWindowAreDropped) {
  constexpr int kW = 40, kH = 30;
  ResetEngine(kW, kH, false);
  _MaxChannel = 255;
  Image layer(kW, kH, false);
  Frame f = LayerFrame(nullptr, nullptr, nullptr, nullptr);
  StartLayerSpans(f, layer.data(), kH);
  const LayerRegion region{10, 18, 5, 9};  // 8 x 4 pixels
  ClearLayer(f, region, true);
  for (int y = 0; y < kH; ++y)
    for (int x0 = 0; x0 < kW; x0 += 8) {
      float c0[8], c1[8], c2[8], k[8];
      int xs[8], ys[8];
      for (int j = 0; j < 8; ++j) {
        c0[j] = 200, c1[j] = 100, c2[j] = 50, k[j] = 0.5f;
        xs[j] = x0 + j, ys[j] = y;
      }
      PlotEach(f.layer, c0, c1, c2, xs, ys, k, 8);
    }
  // The window's 32 pixels, packed at the start of the layer, and nothing else.
  int kept = 0;
  for (size_t i = 3; i < layer.b8.size(); i += 4) kept += layer.b8[i] != 0;
  EXPECT_EQ(kept, 32);
  for (int i = 0; i < 32; ++i) {
    EXPECT_EQ(layer.b8[4 * i], 200) << i;
    EXPECT_EQ(layer.b8[4 * i + 3], 127) << i;  // half coverage over an empty pixel
  }
  EndLayerSpans(f);
  for (uint8_t v : layer.b8) ASSERT_EQ(v, 0);
  ResetEngine(0, 0, false);
}

}  // namespace

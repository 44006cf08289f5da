// The scene entry: what each mode allocates, draws and leaves behind, the guards on its
// input, the layer composite with the edge-continuation rule, the sort and the perspective.
#include <gtest/gtest.h>
#include <string.h>

#include <cmath>
#include <utility>

#include "engine/raster/face_culling.h"
#include "engine/scene/layer_composite.h"
#include "engine/engine_store.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

class SceneEntry : public EngineTest {
 protected:
  Image dst{64, 64, false};
  Image src{64, 64, false};
  Mesh mesh;
  std::vector<light3ds> lights{MakeLight(0, 0, 1000)};
  std::vector<material3ds> mats{MakeMaterial(0.8f, 0.2f, 0.2f)};

  void SetUp() override {
    EngineTest::SetUp();
    _Quality = 1;
    // One front-facing square of two triangles around the image centre.
    mesh.v = {Vertex(-20, -20, 0), Vertex(20, -20, 0), Vertex(20, 20, 0), Vertex(-20, 20, 0)};
    mesh.t = {Face(0, 1, 2), Face(0, 2, 3)};
  }
  void Render(int stride = -1) {
    __RasterScene(dst.data(), src.data(), dst.w, dst.h, stride < 0 ? dst.w * 4 : stride,
                  static_cast<int>(mesh.v.size()), static_cast<int>(mesh.t.size()),
                  mesh.t.data(), mesh.v.data(), dst.w / 2, dst.h / 2,
                  static_cast<int>(mats.size()), mats.data(), nullptr,
                  static_cast<int>(lights.size()), lights.data(), nullptr);
  }
  static void ExpectNothingLeftAllocated() {
    EXPECT_EQ(ZBuff, nullptr);
    EXPECT_EQ(LightDef, nullptr);
    EXPECT_EQ(_TriLayer, nullptr);
    EXPECT_EQ(_EdgeColor, nullptr);
    EXPECT_EQ(_EdgeUnder, nullptr);
    EXPECT_EQ(_BackCopy, nullptr);
    EXPECT_EQ(_GlassDepth, nullptr);
  }
};

TEST_F(SceneEntry, TheSquareIsFaceUpAndDrawnInTheShadedModes) {
  for (int mode : {3, 6, 8})
    for (int quality : {0, 1}) {
      dst.fill(0, 0, 0, 0);
      _DrawMode = static_cast<unsigned char>(mode);
      _Quality = static_cast<unsigned char>(quality);
      Render();
      EXPECT_EQ(dst.at(32, 32, 3), 255) << "mode " << mode << " quality " << quality;
      EXPECT_GT(dst.at(32, 32, 0), dst.at(32, 32, 1));
      EXPECT_EQ(dst.at(5, 5, 3), 0);
      ExpectNothingLeftAllocated();
    }
}

// The smallest usable images, one pixel wide or one row high, inside the square: every
// shaded mode draws their pixels, with and without quality.
TEST_F(SceneEntry, OnePixelWideAndOneRowHighImagesAreDrawn) {
  for (int mode : {3, 6, 8})
    for (int quality : {0, 1})
      for (const std::pair<int, int>& size : {std::make_pair(1, 5), std::make_pair(5, 1)}) {
        const int w = size.first, h = size.second;
        Image out(w, h, false), under(w, h, false);
        _DrawMode = static_cast<unsigned char>(mode);
        _Quality = static_cast<unsigned char>(quality);
        __RasterScene(out.data(), under.data(), w, h, w * 4, static_cast<int>(mesh.v.size()),
                      static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data(), w / 2,
                      h / 2, 1, mats.data(), nullptr, 1, lights.data(), nullptr);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x)
            EXPECT_EQ(out.at(x, y, 3), 255) << w << "x" << h << " mode " << mode << " quality "
                                            << quality << " at " << x << "," << y;
        ExpectNothingLeftAllocated();
      }
}

// Mode 0 clears the back-face setting and neither allocates nor touches a z-buffer.
TEST_F(SceneEntry, RoughModeClearsBackFacesAndLeavesTheZBufferAlone) {
  _DrawMode = 0;
  _DrawBackFaces = 1;
  Render();
  EXPECT_EQ(_DrawBackFaces, 0);
  EXPECT_EQ(_DrawBackFaces1, 0);
  EXPECT_EQ(ZBuff, nullptr);

  float* z = static_cast<float*>(EngineAlloc(8 * 8 * sizeof(float)));
  for (int i = 0; i < 64; ++i) z[i] = 3.0f;
  __SetZBuff(z, 8, 8);
  Render();
  EXPECT_EQ(ZBuff, z);
  EXPECT_EQ(Zwidth, 8);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(z[i], 3.0f);
}

// Modes without a driver draw nothing but still set up and release every buffer.
TEST_F(SceneEntry, ModesWithoutDriverDrawNothingAndKeepNothing) {
  dst.fill(1, 2, 3, 4);
  const Image before = dst;
  for (int mode : {4, 5, 7, 11, 200}) {
    _DrawMode = static_cast<unsigned char>(mode);
    lights.clear();  // the default light is built and released as well
    Render();
    EXPECT_TRUE(dst == before) << "mode " << mode;
    ExpectNothingLeftAllocated();
    EXPECT_EQ(Zwidth, 64);
  }
}

// Inputs the scene cannot draw safely are refused before anything is touched.
TEST_F(SceneEntry, UnusableInputDrawsNothingAndTouchesNothing) {
  _RowStride = 77;
  const Image before = dst;
  Render(64 * 4 + 8);  // padded rows: the scratch images would be indexed past their end
  Render(64 * 4 - 4);
  __RasterScene(nullptr, src.data(), 64, 64, 256, 4, 2, mesh.t.data(), mesh.v.data(), 32, 32,
                1, mats.data(), nullptr, 1, lights.data(), nullptr);
  __RasterScene(dst.data(), nullptr, 64, 64, 256, 4, 2, mesh.t.data(), mesh.v.data(), 32, 32,
                1, mats.data(), nullptr, 1, lights.data(), nullptr);
  __RasterScene(dst.data(), src.data(), 0, 64, 0, 4, 2, mesh.t.data(), mesh.v.data(), 32, 32,
                1, mats.data(), nullptr, 1, lights.data(), nullptr);
  __RasterScene(dst.data(), src.data(), 64, -3, 256, 4, 2, mesh.t.data(), mesh.v.data(), 32,
                32, 1, mats.data(), nullptr, 1, lights.data(), nullptr);
  EXPECT_TRUE(dst == before);
  EXPECT_EQ(_RowStride, 77);
  ExpectNothingLeftAllocated();
  // A missing triangle array draws nothing either.
  __RasterScene(dst.data(), src.data(), 64, 64, 256, 4, 2, nullptr, mesh.v.data(), 32, 32, 1,
                mats.data(), nullptr, 1, lights.data(), nullptr);
  EXPECT_TRUE(dst == before);
  ExpectNothingLeftAllocated();
}

// A caller's z-buffer whose recorded size went stale (__RasterSolid records its image size
// without touching the buffer) is not read past its end: the render replaces it.
TEST_F(SceneEntry, StaleZBufferIsReplacedNotOverrun) {
  float* small = static_cast<float*>(EngineAlloc(8 * 8 * sizeof(float)));
  __SetZBuff(small, 8, 8);
  __Triangle3ds t = Face(0, 1, 2);
  __RasterSolid(dst.data(), 64, 64, 256, 0, 1, &t, mesh.v.data(), 32, 32, 1, 1, 1, 1);
  ASSERT_EQ(Zwidth, 64);
  ASSERT_EQ(ZBuff, small);
  dst.fill(0, 0, 0, 0);
  Render();  // the sanitizer build would catch a read past the 8 x 8 cells
  EXPECT_EQ(dst.at(50, 50, 3), 255);
  ExpectNothingLeftAllocated();
}

// A caller's z-buffer of the right size is used as it is: its depths persist, so drawing the
// same scene again adds nothing (equal depths fail).
TEST_F(SceneEntry, MatchingCallerZBufferIsKeptAndNotCleared) {
  _Quality = 0;  // anti-aliased fringes give their depth back and would draw again
  float* z = static_cast<float*>(EngineAlloc(64 * 64 * sizeof(float)));
  __SetZBuff(z, 64, 64);
  ZBuffClear();
  RecordShaderCalls();
  Render();
  EXPECT_FALSE(RecordedCalls().empty());
  EXPECT_EQ(ZBuff, z);
  EXPECT_EQ(z[32 * 64 + 32], 0.0f);
  RecordedCalls().clear();
  Render();
  EXPECT_TRUE(RecordedCalls().empty());
}

// A failed scratch allocation releases what was allocated and draws nothing.
int g_allocs_left = 0;
void* FailingAlloc(size_t bytes) {
  if (g_allocs_left-- <= 0) return nullptr;
  return EngineAlloc(bytes);
}

TEST_F(SceneEntry, ScratchAllocationFailureDrawsNothingAndLeaksNothing) {
  const Image before = dst;
  lights.clear();
  for (int succeed = 0; succeed < 6; ++succeed) {
    g_allocs_left = succeed;
    g_engine_store.scratch_alloc = FailingAlloc;
    Render();
    g_engine_store.scratch_alloc = EngineAlloc;
    EXPECT_TRUE(dst == before) << succeed;
    ExpectNothingLeftAllocated();
  }
}

// With no lights and no default light installed the render builds one for itself: white,
// multiplier 1, at (200, 200, 1000); the shader finds it in LightDef while the render runs.
light3ds g_light_seen;
float LightCopyingShader(float, float, unsigned char*, unsigned char*, float, float, float,
                         __Triangle3ds*, material3ds*, int, float& c0, float& c1, float& c2,
                         __Point*, unsigned char, float, float, __Texture*, int, light3ds*,
                         __PrevInfo*, GlassProp*, float, float, float, float) {
  if (LightDef) g_light_seen = *LightDef;
  c0 = c1 = c2 = 100.0f;
  return 1.0f;
}

TEST_F(SceneEntry, DefaultLightIsBuiltAndReleased) {
  lights.clear();
  Render();
  EXPECT_GT(dst.at(32, 32, 0), 0);
  EXPECT_EQ(LightDef, nullptr);
  g_light_seen = light3ds{};
  __SetNewRenderOnePixel(LightCopyingShader);
  Render();
  __SetDefRenderOnePixel();
  EXPECT_EQ(g_light_seen.position[0], 200.0f);
  EXPECT_EQ(g_light_seen.position[1], 200.0f);
  EXPECT_EQ(g_light_seen.position[2], 1000.0f);
  for (float c : g_light_seen.colour) EXPECT_EQ(c, 1.0f);
  EXPECT_EQ(g_light_seen.multiplier, 1.0f);
  EXPECT_EQ(LightDef, nullptr);
  light3ds mine = MakeLight(0, 0, -1000);  // behind: a caller's light is used and kept
  LightDef = &mine;
  dst.fill(0, 0, 0, 0);
  Render();
  EXPECT_EQ(dst.at(32, 32, 0), 0);
  EXPECT_EQ(dst.at(32, 32, 3), 255);
  EXPECT_EQ(LightDef, &mine);
  LightDef = nullptr;
}

// A face seen edge-on (Nz exactly 0) counts as front-facing: the line modes draw it in the
// front pass, and never in the back-face pass unless double-sided.
int g_back_pass_calls = 0;
float PassCountingShader(float, float, unsigned char*, unsigned char*, float, float, float,
                         __Triangle3ds*, material3ds*, int, float& c0, float& c1, float& c2,
                         __Point*, unsigned char, float, float, __Texture*, int, light3ds*,
                         __PrevInfo*, GlassProp*, float, float, float, float) {
  if (_DrawBackFaces1) ++g_back_pass_calls;
  c0 = c1 = c2 = 200.0f;
  return 1.0f;
}

TEST_F(SceneEntry, EdgeOnFacesAreFrontFacesInTheLineModes) {
  mesh.v = {Vertex(-20, -20, 0), Vertex(20, 20, 5), Vertex(0, 0, 10)};
  mesh.t = {Face(0, 1, 2)};
  ASSERT_EQ(OrientationNz(mesh.v[0], mesh.v[1], mesh.v[2]), 0.0f);
  __SetNewRenderOnePixel(PassCountingShader);
  for (int mode : {0, 1})
    for (int back_faces : {0, 1}) {
      dst.fill(0, 0, 0, 0);
      g_back_pass_calls = 0;
      _DrawMode = static_cast<unsigned char>(mode);
      _DrawBackFaces = static_cast<unsigned char>(back_faces);
      Render();
      int drawn = 0;
      for (int y = 0; y < dst.h; ++y)
        for (int x = 0; x < dst.w; ++x) drawn += dst.at(x, y, 3) != 0;
      EXPECT_GE(drawn, 40) << "mode " << mode << ": the diagonal is drawn";
      EXPECT_EQ(g_back_pass_calls, 0) << "mode " << mode;
    }
  _DrawBackFaces = 0;
  __SetDefRenderOnePixel();
}

// Culling: a back-facing triangle is drawn only in the back-face pass, with double side, or
// in the front pass when multi-refraction is 2; the patch mode culls its parts the same way.
TEST_F(SceneEntry, BackFacesDrawOnlyWhenAskedFor) {
  mesh.t = {Face(0, 2, 1), Face(0, 3, 2)};  // wound the other way: back-facing
  for (int mode : {3, 6, 8}) {
    _DrawMode = static_cast<unsigned char>(mode);
    struct Case {
      int back, duble, multy, drawn;
    } cases[] = {{0, 0, 1, 0}, {1, 0, 1, 1}, {0, 1, 1, 1}, {0, 0, 2, 1}};
    for (const Case& c : cases) {
      dst.fill(0, 0, 0, 0);
      _DrawBackFaces = static_cast<unsigned char>(c.back);
      _DubleSide = static_cast<unsigned char>(c.duble);
      _UseMultyRefract = static_cast<unsigned char>(c.multy);
      Render();
      EXPECT_EQ(dst.at(32, 32, 3) != 0, c.drawn != 0)
          << "mode " << mode << " back " << c.back << " duble " << c.duble << " multy " << c.multy;
      EXPECT_EQ(_DrawBackFaces1, 0);
    }
  }
}

// Two passes: the back faces first, then, over a fresh z-buffer, the front faces, whose
// shader sees the first pass's image as the background copy.
std::vector<int> g_backcopy_red;
float BackCopyShader(float ox, float oy, unsigned char*, unsigned char*, float x, float y, float,
                     __Triangle3ds* tri, material3ds*, int, float& c0, float& c1, float& c2,
                     __Point*, unsigned char, float, float, __Texture*, int, light3ds*,
                     __PrevInfo*, GlassProp*, float, float, float, float) {
  const int px = static_cast<int>(x + ox), py = static_cast<int>(y + oy);
  if (!_DrawBackFaces1 && px == 32 && py == 32) g_backcopy_red.push_back(_BackCopy[(py * 64 + px) * 4]);
  c0 = tri->material == 0 ? 250.0f : 60.0f;  // back face 250, front face 60
  c1 = c2 = 0.0f;
  return 1.0f;
}

TEST_F(SceneEntry, BackFacePassComesFirstAndBecomesTheBackground) {
  _Quality = 0;
  _DrawBackFaces = 1;
  mesh.v = {Vertex(-20, -20, 10), Vertex(20, -20, 10), Vertex(20, 20, 10), Vertex(-20, 20, 10),
            Vertex(-20, -20, 0), Vertex(20, -20, 0), Vertex(20, 20, 0), Vertex(-20, 20, 0)};
  // The back faces lie nearer than the front faces: only a fresh z-buffer lets the front
  // pass draw over them.
  mesh.t = {Face(0, 2, 1, 0), Face(0, 3, 2, 0), Face(4, 5, 6, 1), Face(4, 6, 7, 1)};
  g_backcopy_red.clear();
  __SetNewRenderOnePixel(BackCopyShader);
  Render();
  EXPECT_EQ(dst.at(32, 32, 0), 60);
  ASSERT_FALSE(g_backcopy_red.empty());
  EXPECT_EQ(g_backcopy_red[0], 250);
  EXPECT_EQ(_DrawBackFaces, 1);
  EXPECT_EQ(_DrawBackFaces1, 0);
  ExpectNothingLeftAllocated();
}

// Two triangles meeting along the square's diagonal, a red one and then a green one a little
// nearer, over a transparent image. Each triangle is drawn into a layer of its own: where
// the green one's edge pixels lie over the red one, they blend once over what the red one
// left, by the green one's own coverage (its colour is far from red: a new edge), exactly
// as computed from the two triangles drawn alone. A layer that still held the red
// triangle's pixels would mix them into the green one's.
TEST_F(SceneEntry, EachTriangleIsCompositedFromALayerOfItsOwn) {
  mats = {MakeMaterial(0.9f, 0.1f, 0.1f), MakeMaterial(0.1f, 0.9f, 0.1f)};
  mesh.v = {Vertex(-20, -20, 0), Vertex(20, -20, 0), Vertex(20, 20, 0),
            Vertex(-20, -20, 1), Vertex(20, 20, 1), Vertex(-20, 20, 1)};
  const __Triangle3ds red = Face(0, 1, 2, 0), green = Face(3, 4, 5, 1);
  for (int mode : {3, 6}) {
    _DrawMode = static_cast<unsigned char>(mode);
    Image drawn[3] = {dst, dst, dst};  // red alone, green alone, red then green
    const std::vector<__Triangle3ds> scenes[3] = {{red}, {green}, {red, green}};
    for (int k = 0; k < 3; ++k) {
      mesh.t = scenes[k];
      dst.fill(0, 0, 0, 0);
      src.fill(0, 0, 0, 0);
      Render();
      drawn[k] = dst;
    }
    int blended = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        const int a_red = drawn[0].at(x, y, 3), a_green = drawn[1].at(x, y, 3);
        const Image& expected = a_green == 0 ? drawn[0] : drawn[1];
        if (a_green == 0 || a_green == 255 || a_red == 0) {
          for (int c = 0; c < 4; ++c)
            ASSERT_EQ(drawn[2].at(x, y, c), expected.at(x, y, c)) << x << "," << y << " " << c;
          continue;
        }
        ++blended;
        const float o = static_cast<float>(a_green) / 255.0f;
        for (int c = 0; c < 3; ++c) {
          const float v = static_cast<float>(drawn[1].at(x, y, c)) * o +
                          static_cast<float>(drawn[0].at(x, y, c)) * (1.0f - o);
          EXPECT_EQ(drawn[2].at(x, y, c), static_cast<int>(v)) << x << "," << y << " " << c;
        }
        EXPECT_EQ(drawn[2].at(x, y, 3), std::max(a_red, a_green)) << x << "," << y;
      }
    EXPECT_GT(blended, 30) << "mode " << mode;
  }
}

// __RasterSolid: one colour over every triangle, no allocation; rows may be padded, but a
// stride shorter than a row of pixels (or a missing image) is refused untouched.
TEST_F(SceneEntry, SolidFillHonoursPaddedRowsAndRefusesShortOnes) {
  std::vector<uint8_t> padded(64 * (64 * 4 + 16), 7);
  __RasterSolid(padded.data(), 64, 64, 64 * 4 + 16, 0, 2, mesh.t.data(), mesh.v.data(), 32, 32,
                10.0f, 20.0f, 30.0f, 1.0f);
  EXPECT_EQ(padded[32 * (64 * 4 + 16) + 32 * 4 + 1], 20);
  EXPECT_EQ(padded[32 * (64 * 4 + 16) + 64 * 4 + 3], 7) << "padding untouched";
  EXPECT_EQ(ZBuff, nullptr);

  Zwidth = 5;
  const Image before = dst;
  __RasterSolid(dst.data(), 64, 64, 64 * 4 - 4, 0, 2, mesh.t.data(), mesh.v.data(), 32, 32,
                10.0f, 20.0f, 30.0f, 1.0f);
  __RasterSolid(nullptr, 64, 64, 256, 0, 2, mesh.t.data(), mesh.v.data(), 32, 32, 1, 1, 1, 1);
  // A stride whose 64 rows would span more channels than any image the engine can index.
  __RasterSolid(dst.data(), 64, 64, INT32_MAX / 32, 0, 2, mesh.t.data(), mesh.v.data(), 32, 32,
                10.0f, 20.0f, 30.0f, 1.0f);
  EXPECT_TRUE(dst == before);
  EXPECT_EQ(Zwidth, 5);
  // A missing triangle or vertex array draws nothing, whatever the count.
  __RasterSolid(dst.data(), 64, 64, 256, 0, 2, nullptr, mesh.v.data(), 32, 32, 1, 1, 1, 1);
  __RasterSolid(dst.data(), 64, 64, 256, 0, 2, mesh.t.data(), nullptr, 32, 32, 1, 1, 1, 1);
  EXPECT_TRUE(dst == before);
}

// --- Composite with the edge-continuation rule -------------------------------------------
// Over opaque black, a layer of colour L at coverage 0.4 and then the same colour at 0.6
// blend once against the black: 0.6 L, alpha full. A second layer whose colour differs by
// 20 levels or more (20 x 256 in 16-bit) starts a new edge and blends over the first result.
class Composite : public EngineTest {
 protected:
  std::vector<uint16_t> tri, edge, under;
  void UseScratch(bool deep) {
    ResetEngine(1, 1, deep);
    tri.assign(4, 0);
    edge.assign(4, 0);
    under.assign(4, 0);
  }
  static unsigned char* Bytes(std::vector<uint16_t>& v) {
    return reinterpret_cast<unsigned char*>(v.data());
  }
  // Composites one layer pixel of colour (r, g, b) and coverage a into out.
  void Layer(Image& out, int r, int g, int b, int a) {
    Image layer(1, 1, _Deep != 0);
    layer.set(0, 0, 0, r);
    layer.set(0, 0, 1, g);
    layer.set(0, 0, 2, b);
    layer.set(0, 0, 3, a);
    memcpy(tri.data(), layer.data(), _Deep ? 8 : 4);
    CompositeLayer(LayerFrame(out.data(), Bytes(tri), Bytes(edge), Bytes(under)),
                   LayerRegion{0, 1, 0, 1});
  }
};

// The larger coverage wins whichever came first: 0.4 then 0.6, or 0.6 then 0.4, of the same
// colour is one blend at 0.6, and the edge keeps 0.6 as its coverage; a third partial
// cover of 0.5 continues the same edge.
TEST_F(Composite, SameColourTwiceBlendsOnceWithTheLargerCoverage) {
  for (bool deep : {false, true})
    for (int first : {4, 6}) {
      UseScratch(deep);
      const int m = _MaxChannel;
      const int l = deep ? 20000 : 200;
      Image out(1, 1, deep);
      out.fill(0, 0, 0, m);
      Layer(out, l, l, l, m * first / 10);
      EXPECT_NEAR(out.at(0, 0, 0), l * (m * first / 10) / static_cast<float>(m), 1.0);
      Layer(out, l, l, l, m * (10 - first) / 10);
      EXPECT_NEAR(out.at(0, 0, 0), 0.6 * l, 1.0) << deep << " " << first;
      EXPECT_EQ(out.at(0, 0, 3), m);
      const int edge_coverage = deep ? edge[3] : reinterpret_cast<const uint8_t*>(edge.data())[3];
      EXPECT_EQ(edge_coverage, m * 6 / 10);
      Layer(out, l, l, l, m / 2);
      EXPECT_NEAR(out.at(0, 0, 0), 0.6 * l, 1.0) << deep << " " << first;
    }
}

// A row of kRow pixels: the layer and both edge records, and an output; Frame() is a frame
// with them as its scratch images.
struct ScratchRow {
  Image layer, edge, under, out;
  ScratchRow(int width, bool deep)
      : layer(width, 1, deep), edge(width, 1, deep), under(width, 1, deep), out(width, 1, deep) {}
  ::Frame Frame() { return LayerFrame(out.data(), layer.data(), edge.data(), under.data()); }
};

// A row of fully covering layer pixels (taken four at a time where they can be) puts the
// layer's colour into the output, full alpha, and into both edge records, whose coverages
// stay; an untouched pixel among them keeps everything.
TEST_F(Composite, FullCoverRowSetsTheRecordsAndKeepsTheirCoverage) {
  constexpr int kRow = 11, kGap = 5;
  for (bool deep : {false, true}) {
    ResetEngine(kRow, 1, deep);
    const int m = _MaxChannel;
    ScratchRow row(kRow, deep);
    Image &layer = row.layer, &edge_image = row.edge, &under_image = row.under, &out = row.out;
    out.fill(10, 20, 30, m);
    const int a = deep ? 9001 : 71, b = deep ? 25001 : 191;  // odd: every bit counts
    layer.fill(a, a, a, m * 4 / 10);  // a partial edge first: records set everywhere
    CompositeLayer(row.Frame(), LayerRegion{0, kRow, 0, 1});
    const int edge_cover = edge_image.at(0, 0, 3);
    ASSERT_EQ(edge_cover, m * 4 / 10);
    layer.fill(b, b + 1, b + 2, m);
    for (int k = 0; k < 4; ++k) layer.set(kGap, 0, k, 0);
    CompositeLayer(row.Frame(), LayerRegion{0, kRow, 0, 1});
    for (int x = 0; x < kRow; ++x) {
      SCOPED_TRACE((deep ? "16-bit x " : "8-bit x ") + std::to_string(x));
      if (x == kGap) {
        EXPECT_EQ(edge_image.at(x, 0, 0), a);
        EXPECT_EQ(under_image.at(x, 0, 0), 10);
        continue;
      }
      for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(out.at(x, 0, k), b + k);
        EXPECT_EQ(edge_image.at(x, 0, k), b + k);
        EXPECT_EQ(under_image.at(x, 0, k), b + k);
      }
      EXPECT_EQ(out.at(x, 0, 3), m);
      EXPECT_EQ(edge_image.at(x, 0, 3), edge_cover);
      EXPECT_EQ(under_image.at(x, 0, 3), 0);
    }
  }
}

// The composite writes only the region's columns, though the layer covers fully beyond it
// and its last group of four would reach past the region's end.
TEST_F(Composite, CompositeKeepsToTheRegion) {
  constexpr int kRow = 11;
  for (bool deep : {false, true}) {
    ResetEngine(kRow, 1, deep);
    ScratchRow row(kRow, deep);
    row.out.fill(10, 20, 30, _MaxChannel);
    row.layer.fill(40, 50, 60, _MaxChannel);
    CompositeLayer(row.Frame(), LayerRegion{1, 7, 0, 1});
    for (int x = 0; x < kRow; ++x) {
      const bool inside = x >= 1 && x < 7;
      EXPECT_EQ(row.out.at(x, 0, 0), inside ? 40 : 10) << x << (deep ? " 16-bit" : " 8-bit");
      EXPECT_EQ(row.edge.at(x, 0, 0), inside ? 40 : 0) << x << (deep ? " 16-bit" : " 8-bit");
    }
  }
}

// The region of one triangle: its box widened by 3 pixels, or in the curved modes by its
// own width and height (at least 3), truncated after the origin is added.
TEST_F(Composite, RegionIsTheBoxWithItsMargin) {
  ResetEngine(64, 64, false);
  std::vector<__Point3ds> v = {Vertex(-5.5f, -2.25f, 0), Vertex(10.75f, -2.25f, 0),
                               Vertex(0, 7.5f, 0)};
  const __Triangle3ds t = Face(0, 1, 2);
  const LayerRegion narrow = TriangleRegion(t, v.data(), 30, 30, false);
  EXPECT_EQ(narrow.x0, 21);  // trunc(-5.5 - 3 + 30)
  EXPECT_EQ(narrow.x1, 43);  // trunc(10.75 + 3 + 30)
  EXPECT_EQ(narrow.y0, 24);  // trunc(-2.25 - 3 + 30)
  EXPECT_EQ(narrow.y1, 40);  // trunc(7.5 + 3 + 30)
  const LayerRegion wide = TriangleRegion(t, v.data(), 30, 30, true);
  EXPECT_EQ(wide.x0, 8);   // width 16.25
  EXPECT_EQ(wide.x1, 57);
  EXPECT_EQ(wide.y0, 18);  // height 9.75
  EXPECT_EQ(wide.y1, 47);
  // A triangle smaller than the margin keeps 3 pixels in the curved modes too.
  std::vector<__Point3ds> small = {Vertex(0, 0, 0), Vertex(2, 0, 0), Vertex(1, 1.5f, 0)};
  const LayerRegion tiny = TriangleRegion(t, small.data(), 30, 30, true);
  EXPECT_EQ(tiny.x0, 27);
  EXPECT_EQ(tiny.x1, 35);
  EXPECT_EQ(tiny.y0, 27);
  EXPECT_EQ(tiny.y1, 34);
  // Limited to the image.
  const LayerRegion edge_box = TriangleRegion(t, v.data(), 2, 60, false);
  EXPECT_EQ(edge_box.x0, 0);
  EXPECT_EQ(edge_box.y1, 64);
}

// Clearing a region of the scratch layer clears its four channels there and nothing else.
TEST_F(Composite, ClearingTheLayerKeepsToTheRegion) {
  for (bool deep : {false, true}) {
    ResetEngine(16, 8, deep);
    Image layer(16, 8, deep);
    layer.fill(9, 9, 9, 9);
    Frame f = LayerFrame(nullptr, layer.data(), nullptr, nullptr);
    ClearLayer(f, LayerRegion{3, 7, 2, 5});
    for (int y = 0; y < 8; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool inside = x >= 3 && x < 7 && y >= 2 && y < 5;
        for (int k = 0; k < 4; ++k)
          ASSERT_EQ(layer.at(x, y, k), inside ? 0 : 9) << x << "," << y << " deep " << deep;
      }
  }
}

TEST_F(Composite, TwentyLevelsApartStartsANewEdge) {
  for (bool deep : {false, true}) {
    const int unit = deep ? 256 : 1;
    for (int diff : {19, 20, -19, -20}) {  // the second layer lighter or darker
      UseScratch(deep);
      const int m = _MaxChannel;
      const int l = 100 * unit;
      const int apart = abs(diff) * unit + (deep ? 255 : 0) * (abs(diff) == 19);
      const int l2 = diff > 0 ? l + apart : l - apart;
      Image out(1, 1, deep);
      out.fill(0, 0, 0, m);
      Layer(out, l, l, l, m * 4 / 10);
      const int first = out.at(0, 0, 0);
      Layer(out, l2, l, l, m * 6 / 10);
      const float o = (m * 6 / 10) / static_cast<float>(m);
      // Continuing: against the black under the first layer; new edge: over the first result.
      const float expected = abs(diff) < 20 ? l2 * o : l2 * o + first * (1 - o);
      EXPECT_NEAR(out.at(0, 0, 0), expected, 1.0) << "deep " << deep << " diff " << diff;
    }
  }
}

TEST_F(Composite, FullCoverReplacesAndEmptyPixelsTakeTheLayer) {
  UseScratch(false);
  Image out(1, 1, false);
  Layer(out, 10, 20, 30, 100);  // nothing under it yet: colour as is, alpha = coverage
  EXPECT_EQ(out.at(0, 0, 0), 10);
  EXPECT_EQ(out.at(0, 0, 3), 100);
  Layer(out, 50, 60, 70, 0);  // untouched
  EXPECT_EQ(out.at(0, 0, 0), 10);
  Layer(out, 50, 60, 70, 255);
  EXPECT_EQ(out.at(0, 0, 0), 50);
  EXPECT_EQ(out.at(0, 0, 3), 255);
  EXPECT_EQ(under[0] & 0xFF, 50);
}

// --- Sort --------------------------------------------------------------------------------
// Ascending by the sum of the three vertex depths; count 0 changes nothing; sums that are
// not numbers neither crash nor lose triangles.
TEST(SceneSort, OrdersByDepthSumFarthestFirst) {
  std::vector<__Point3ds> v = {Vertex(0, 0, 1), Vertex(0, 0, 0), Vertex(0, 0, 2),
                               Vertex(0, 0, 0.5f)};
  // Sums 3, 1, 2.
  std::vector<__Triangle3ds> t = {Face(2, 0, 1, 3), Face(0, 1, 1, 1), Face(2, 1, 1, 2)};
  __Sort(3, t.data(), v.data());
  EXPECT_EQ(t[0].material, 1);
  EXPECT_EQ(t[1].material, 2);
  EXPECT_EQ(t[2].material, 3);

  std::vector<__Triangle3ds> same = {Face(2, 0, 1, 3), Face(0, 1, 1, 1)};
  __Sort(0, same.data(), v.data());
  EXPECT_EQ(same[0].material, 3);
  __Sort(2, same.data(), nullptr);
  EXPECT_EQ(same[0].material, 3);

  // Equal sums keep one order whichever sort the run-time library runs: by the vertex
  // indices a, b and c, then the material.
  // (Two of them the very same triangle: every key ties, and none beyond the keys is read.)
  std::vector<__Triangle3ds> ties = {Face(1, 1, 1, 10), Face(1, 1, 3, 11), Face(1, 3, 1, 12),
                                     Face(3, 1, 1, 14), Face(1, 1, 1, 9), Face(1, 3, 1, 12)};
  const std::vector<__Point3ds> level = {Vertex(0, 0, 0), Vertex(0, 0, 4), Vertex(0, 0, 0),
                                         Vertex(0, 0, 4)};
  __Sort(6, ties.data(), const_cast<__Point3ds*>(level.data()));
  const int tie_order[6] = {9, 10, 11, 12, 12, 14};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ties[i].material, tie_order[i]) << i;

  v.push_back(Vertex(0, 0, NAN));
  std::vector<__Triangle3ds> mixed;
  for (int i = 0; i < 50; ++i) mixed.push_back(Face(i % 5, (i * 3) % 5, (i * 7) % 5, i));
  __Sort(50, mixed.data(), v.data());
  std::vector<int> seen;
  for (const auto& f : mixed) seen.push_back(f.material);
  std::sort(seen.begin(), seen.end());
  for (int i = 0; i < 50; ++i) EXPECT_EQ(seen[i], i);
}

// --- Perspective -------------------------------------------------------------------------
class Perspective : public EngineTest {};

TEST_F(Perspective, SpreadsFromTheCentreByOneOverOneMinusZOverFar) {
  std::vector<__Point3ds> v = {Vertex(110, 50, 500)};
  __AddPersp(1, v.data(), 1.0f, 100.0f, 50.0f, 1000.0f);
  EXPECT_FLOAT_EQ(v[0].x, 120.0f);
  EXPECT_FLOAT_EQ(v[0].y, 50.0f);
  EXPECT_EQ(v[0].z, 500.0f);
  EXPECT_EQ(_Persp_Val, 1.0f);
  EXPECT_EQ(_Persp_x, 100.0f);

  v = {Vertex(110, 50, 500)};
  __AddPersp(1, v.data(), 0.0f, 7.0f, 8.0f, 640.0f);
  EXPECT_EQ(v[0].x, 110.0f);
  EXPECT_EQ(_Persp_Far, 640.0f);
  EXPECT_EQ(_Persp_Val, 0.0f);
}

// At z = far, s would be 0: it becomes +1e-8 and the offset grows 1e8 times. Just beyond far
// s is a tiny negative number and the vertex is mirrored through the centre. (In single
// precision 1 - z / far is either 0 or at least about 6e-8 in size, so the -1e-8 floor
// itself cannot be reached from a float z.)
TEST_F(Perspective, NearZeroScaleIsHeldAtOneE8) {
  std::vector<__Point3ds> v = {Vertex(101, 3, 1000), Vertex(101, 0, nextafterf(1000.0f, 2000.0f))};
  __AddPersp(2, v.data(), 1.0f, 100.0f, 0.0f, 1000.0f);
  EXPECT_NEAR(v[0].x, 100.0f + 1e8f, 1e3f);
  EXPECT_NEAR(v[0].y, 3e8f, 3e3f);
  EXPECT_LT(v[1].x, 100.0f - 1e6f);
  EXPECT_TRUE(std::isfinite(v[1].x));
}

}  // namespace

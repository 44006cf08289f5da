// The curved-surface rasterizers one patch at a time, with a shader that records its calls:
// the samples' positions, normals, planes and texture coordinates, the previous-sample
// record, the visibility and depth rules, the fade near the silhouette, the outline's band,
// and patches built from hostile input.
#include <gtest/gtest.h>

#include <math.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <set>
#include <utility>

#include "engine/cpu_paths.h"
#include "engine/raster/cubic_patch.h"
#include "engine/raster/curved_triangle.h"
#include "engine/raster/patch_sampling.h"
#include "engine/shading/plain_eight_avx.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

// The Chebyshev distance of a point in image coordinates from the bounds, 0 inside, infinite
// for a point that is not a number: what the walk takes a sample's distance to be.
double DistanceOutside(const SampleBounds& b, double x, double y) {
  if (!(x == x) || !(y == y)) return INFINITY;
  const double dx = std::max({0.0, b.x0 - x, x - b.x1});
  const double dy = std::max({0.0, b.y0 - y, y - b.y1});
  return std::max(dx, dy);
}

constexpr int kSide = 64;

class CurvedTriangle : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ResetEngine(kSide, kSide, false);
    _DrawMode = 9;
    RecordShaderCalls();
  }
  void TearDown() override {
    __SetDefRenderOnePixel();
    EngineTest::TearDown();
  }

  // Draws one patch of mode 9 over the vertices into `img`, triangle (0, 1, 2).
  void Bezier(Image& img, std::vector<__Point3ds>& v, int ox = 10, int oy = 10,
              uint16_t material = 0) {
    Image back(kSide, kSide, img.deep);
    __Triangle3ds t = Face(0, 1, 2, material);
    TestCall(img.data(), back.data(), &t, v.data(), ox, oy).Drive(RasterBezierTriangle);
  }

  static const std::vector<ShaderCall>& Calls() { return RecordedCalls(); }

  // Installs a z-buffer of the test image's size with every cell at `depth`.
  static void InstallZBuffer(float depth) {
    float* cells = static_cast<float*>(EngineAlloc(sizeof(float) * kSide * kSide));
    for (int i = 0; i < kSide * kSide; ++i) cells[i] = depth;
    __SetZBuff(cells, kSide, kSide);
  }
};

// The unit right triangle A = (1, 0), B = (0, 1), C = (0, 0) at depth z: both steps are
// 1 / 2, so the walk takes rows t = 0, 0.5, 1 with s = 0, 0.5 while s + t <= 1: the five
// samples C, (0.5, 0), (0, 0.5), (0.5, 0.5), B in that order.
std::vector<__Point3ds> UnitTriangle(float z = 5.0f) {
  return {Vertex(1, 0, z), Vertex(0, 1, z), Vertex(0, 0, z)};
}

// ---- Samples of a flat patch --------------------------------------------------------------
//
// Vertex normals equal to the face normal put every edge point on the edge: the patch is
// the flat triangle, every sample normal is that normal and the plane is the face's.

TEST_F(CurvedTriangle, FlatPatchSamplesTheTriangleInRowOrder) {
  Image img(kSide, kSide, false);
  auto v = UnitTriangle();
  Bezier(img, v);
  const float want[5][2] = {{0, 0}, {0.5f, 0}, {0, 0.5f}, {0.5f, 0.5f}, {0, 1}};
  ASSERT_EQ(Calls().size(), 5u);
  for (size_t i = 0; i < 5; ++i) {
    const ShaderCall& c = Calls()[i];
    EXPECT_NEAR(c.x, want[i][0], 1e-6) << i;
    EXPECT_NEAR(c.y, want[i][1], 1e-6) << i;
    EXPECT_NEAR(c.z, 5.0f, 1e-6) << i;
    EXPECT_EQ(c.origin_x, 10.0f);
    EXPECT_EQ(c.origin_y, 10.0f);
    EXPECT_NEAR(c.normal.z, 1.0f, 1e-6);
    EXPECT_NEAR(c.normal.x, 0.0f, 1e-6);
    // Plane (n, -(n . position in image pixels)): here z = 5.
    EXPECT_NEAR(c.plane[2], 1.0f, 1e-6);
    EXPECT_NEAR(c.plane[3], -5.0f, 1e-5);
    EXPECT_EQ(c.textured, 0);
    EXPECT_EQ(c.u, 0.0f);
  }
  // Every sample is written at full coverage on its pixel: columns trunc(x + 10.5).
  std::set<std::pair<int, int>> drawn;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x)
      if (img.at(x, y, 3)) {
        drawn.insert({x, y});
        EXPECT_EQ(img.at(x, y, 3), 255);
        EXPECT_EQ(img.at(x, y, 0), 200);
      }
  EXPECT_EQ(drawn, (std::set<std::pair<int, int>>{{10, 10}, {11, 10}, {10, 11}, {11, 11}}));
}

// The record handed with each sample is the previous sample of the same row: invalid at the
// start of every row, then the sample before with its position and normal.
TEST_F(CurvedTriangle, PreviousSampleRecordRunsAlongEachRow) {
  Image img(kSide, kSide, false);
  auto v = UnitTriangle();
  Bezier(img, v);
  ASSERT_EQ(Calls().size(), 5u);
  const int valid[5] = {0, 1, 0, 1, 0};
  for (size_t i = 0; i < 5; ++i) {
    ASSERT_TRUE(Calls()[i].has_prev);
    EXPECT_EQ(Calls()[i].prev.valid, valid[i]) << i;
  }
  EXPECT_NEAR(Calls()[1].prev.x, 0.0f, 1e-6);
  EXPECT_NEAR(Calls()[3].prev.y, 0.5f, 1e-6);
  EXPECT_NEAR(Calls()[3].prev.nz, 1.0f, 1e-6);
}

// Corners that coincide give both steps 1: two samples, at C (s = t = 0) and at B (t = 1).
TEST_F(CurvedTriangle, DegenerateTriangleGivesExactlyTwoSamples) {
  Image img(kSide, kSide, false);
  std::vector<__Point3ds> v = {Vertex(3, 4, 2), Vertex(3, 4, 2), Vertex(3, 4, 2)};
  Bezier(img, v);
  ASSERT_EQ(Calls().size(), 2u);
  EXPECT_EQ(Calls()[0].prev.valid, 0);
  EXPECT_EQ(Calls()[1].prev.valid, 0) << "the second sample starts a row of its own";
  for (const ShaderCall& c : Calls()) EXPECT_EQ(c.pixel_x(), 13);
}

// ---- The curved patch ---------------------------------------------------------------------
//
// A = (1, 0, 0) with normal (0.6, 0, 0.8), C = (0, 0, 0) with normal (0, 0, 1): the edge point
// near A is (2/3, 0, 0) projected onto A's tangent plane, (0.78667, 0, 0.16); the one near C
// stays at (1/3, 0, 0). Halfway along the edge (s = w = 1/2) the weights are 1/8, 3/8, 3/8,
// 1/8: x = 0.545, z = 0.06, and the normal is the mean of the two corner normals.

TEST_F(CurvedTriangle, EdgeBulgesTowardsTheTangentPlanes) {
  Image img(kSide, kSide, false);
  std::vector<__Point3ds> v = {Vertex(1, 0, 0, 0.6f, 0, 0.8f), Vertex(0, 1, 0, 0, 0, 1),
                               Vertex(0, 0, 0, 0, 0, 1)};
  Bezier(img, v);
  ASSERT_GE(Calls().size(), 5u);
  const ShaderCall& c = Calls()[0];  // C itself
  EXPECT_NEAR(c.x, 0.0f, 1e-6);
  EXPECT_NEAR(c.normal.z, 1.0f, 1e-6);
  const ShaderCall& mid = Calls()[1];  // s = 1/2, t = 0
  EXPECT_NEAR(mid.x, 0.545f, 1e-5);
  EXPECT_NEAR(mid.z, 0.06f, 1e-5);
  EXPECT_NEAR(mid.normal.x, 0.3f, 1e-6);
  EXPECT_NEAR(mid.normal.z, 0.9f, 1e-6);
  // The tangent plane at the sample, in image pixel coordinates.
  EXPECT_NEAR(mid.plane[0], 0.3f, 1e-6);
  EXPECT_NEAR(mid.plane[3], -(0.3f * (0.545f + 10) + 0.9f * 0.06f), 1e-4);
  EXPECT_NEAR(Calls().back().normal.z, 1.0f, 1e-6) << "B's own normal at t = 1";
}

// Texture coordinates are linear in the weights, but only when the bitwise AND of the
// three has_uv bytes is non-zero.
TEST_F(CurvedTriangle, TextureCoordinatesAreLinearWhenAllCornersHaveThem) {
  auto v = UnitTriangle();
  const float uv[3][2] = {{1.0f, 0.2f}, {0.0f, 0.8f}, {0.4f, 0.0f}};
  for (int k = 0; k < 3; ++k) v[k].has_uv = 1, v[k].u = uv[k][0], v[k].v = uv[k][1];
  Image img(kSide, kSide, false);
  Bezier(img, v);
  ASSERT_EQ(Calls().size(), 5u);
  EXPECT_EQ(Calls()[1].textured, 1);
  EXPECT_NEAR(Calls()[1].u, 0.5f * 1.0f + 0.5f * 0.4f, 1e-6);  // s = 1/2, w = 1/2
  EXPECT_NEAR(Calls()[3].v, 0.5f * 0.2f + 0.5f * 0.8f, 1e-6);  // s = t = 1/2
  EXPECT_NEAR(Calls()[4].u, 0.0f, 1e-6);
  EXPECT_NEAR(Calls()[3].prev.u, 0.4f * 0.5f, 1e-6) << "the record keeps the sample's u";

  v[1].has_uv = 2;  // 1 & 2 & 1 = 0
  RecordShaderCalls();
  Image other(kSide, kSide, false);
  Bezier(other, v);
  ASSERT_EQ(Calls().size(), 5u);
  for (const ShaderCall& c : Calls()) EXPECT_TRUE(c.textured == 0 && c.u == 0 && c.v == 0);
}

// ---- Visibility, depth, fade ---------------------------------------------------------------
//
// A sample is drawn when its normal faces the pass (nz >= 0 in the front pass, nz < 0 in the
// back-face pass), in the front pass with multi-refraction 2, and always with _DubleSide.

TEST_F(CurvedTriangle, SamplesAreCulledByTheirNormal) {
  struct Case {
    float nz;
    unsigned char back, multy, duble;
    bool drawn;
  } cases[] = {
      {1, 0, 1, 0, true},   {-1, 0, 1, 0, false}, {-1, 1, 1, 0, true}, {1, 1, 1, 0, false},
      {0, 0, 1, 0, true},   {-1, 0, 2, 0, true},  {1, 1, 2, 0, false}, {-1, 0, 1, 1, true},
      {1, 1, 1, 1, true},
  };
  for (const Case& k : cases) {
    _DrawBackFaces1 = k.back;
    _UseMultyRefract = k.multy;
    _DubleSide = k.duble;
    RecordShaderCalls();
    Image img(kSide, kSide, false);
    std::vector<__Point3ds> v = {Vertex(1, 0, 0, 0, 0, k.nz), Vertex(0, 1, 0, 0, 0, k.nz),
                                 Vertex(0, 0, 0, 0, 0, k.nz)};
    Bezier(img, v);
    EXPECT_EQ(Calls().size(), k.drawn ? 5u : 0u)
        << "nz " << k.nz << " back " << int(k.back) << " multy " << int(k.multy) << " duble "
        << int(k.duble);
  }
}

// With a z-buffer a sample must be strictly nearer than the cell: the fifth sample (B) lands
// on the pixel of the third at the same depth and is not drawn. A patch behind the stored
// depths draws nothing and leaves them.
TEST_F(CurvedTriangle, DepthTestKeepsTheFirstOfEqualDepths) {
  InstallZBuffer(-1e30f);
  Image img(kSide, kSide, false);
  auto v = UnitTriangle(5.0f);
  Bezier(img, v);
  ASSERT_EQ(Calls().size(), 4u);
  EXPECT_EQ(Calls()[3].prev.valid, 1);
  EXPECT_EQ(ZBuff[10 * kSide + 10], 5.0f);
  EXPECT_EQ(ZBuff[11 * kSide + 10], 5.0f);

  RecordShaderCalls();
  auto behind = UnitTriangle(4.0f);
  Bezier(img, behind);
  EXPECT_TRUE(Calls().empty());
  EXPECT_EQ(ZBuff[10 * kSide + 10], 5.0f);
}

// Where |nz| < 0.2 the coverage is (nz / 0.2)^2 before the shader's opacity: nz = 0.1 gives
// 0.25, alpha 63 on an empty pixel; with opacity 0.5 it is 0.125, alpha 31; nz = 0.2 and
// beyond is full, so opacity 0.5 there leaves alpha 127.
TEST_F(CurvedTriangle, SilhouetteFadeScalesCoverage) {
  struct Case {
    float nz, opacity;
    int alpha;
  } cases[] = {{0.1f, 1.0f, 63}, {0.1f, 0.5f, 31}, {-0.1f, 1.0f, 63}, {0.2f, 1.0f, 255},
               {0.2f, 0.5f, 127}, {0.6f, 0.5f, 127}, {0.0f, 1.0f, 0}};
  for (const Case& k : cases) {
    _DubleSide = 1;  // so that nz < 0 is drawn too
    RecordShaderCalls();
    Answer().alpha = k.opacity;
    const float nx = sqrtf(1 - k.nz * k.nz);
    std::vector<__Point3ds> v = {Vertex(8, 0, 0, nx, 0, k.nz), Vertex(0, 8, 0, nx, 0, k.nz),
                                 Vertex(0, 0, 0, nx, 0, k.nz)};
    Image img(kSide, kSide, false);
    Bezier(img, v);
    ASSERT_FALSE(Calls().empty());
    int touched = 0;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x)
        if (img.at(x, y, 3)) {
          ++touched;
          ASSERT_EQ(img.at(x, y, 3), k.alpha) << "nz " << k.nz << " at " << x << "," << y;
        }
    EXPECT_EQ(touched > 0, k.alpha > 0) << "nz " << k.nz;
  }
}

// ---- Mode 10: the silhouette band ----------------------------------------------------------
//
// With e = |nz|: the band is f^2 with f = e / 0.15 below 0.15 and (0.3 - e) / 0.15 up to 0.3,
// in the material's diffuse colour; beyond 0.3 the background is copied; nz < 0 draws
// nothing.

class OutlineTriangle : public CurvedTriangle {
 protected:
  // One patch of uniform normal z `nz` over a background of (10, 20, 30, 40).
  Image Outline(float nz, int mat_count, material3ds* mats, uint16_t material = 0) {
    _DrawMode = 10;
    const float nx = sqrtf(1 - nz * nz);
    std::vector<__Point3ds> v = {Vertex(8, 0, 0, nx, 0, nz), Vertex(0, 8, 0, nx, 0, nz),
                                 Vertex(0, 0, 0, nx, 0, nz)};
    Image img(kSide, kSide, false), back(kSide, kSide, false);
    back.fill(10, 20, 30, 40);
    __Triangle3ds t = Face(0, 1, 2, material);
    TestCall(img.data(), back.data(), &t, v.data(), 10, 10, mat_count, mats)
        .Drive(RasterOutlineTriangle);
    EXPECT_TRUE(Calls().empty()) << "the outline calls no shader";
    return img;
  }
  // The one value every touched pixel holds (channel k), or -1 when they differ or none is.
  static int Uniform(const Image& img, int k) {
    int value = -1;
    for (int y = 0; y < kSide; ++y)
      for (int x = 0; x < kSide; ++x) {
        if (!img.at(x, y, 3)) continue;
        if (value >= 0 && img.at(x, y, k) != value) return -1;
        value = img.at(x, y, k);
      }
    return value;
  }
};

TEST_F(OutlineTriangle, BandCoverageAndBackgroundCopy) {
  material3ds mat = MakeMaterial(0.2f, 0.4f, 0.8f);
  struct Case {
    float nz;
    int alpha, red;
  } cases[] = {{0.15f, 255, 51}, {0.075f, 63, 51}, {0.225f, 63, 51}, {0.35f, 40, 10},
               {0.9f, 40, 10}};
  for (const Case& k : cases) {
    const Image img = Outline(k.nz, 1, &mat);
    EXPECT_EQ(Uniform(img, 3), k.alpha) << "nz " << k.nz;
    EXPECT_EQ(Uniform(img, 0), k.red) << "nz " << k.nz;
  }
  EXPECT_EQ(Uniform(Outline(-0.15f, 1, &mat), 3), -1) << "turned away: nothing";
  const Image copied = Outline(0.9f, 1, &mat);
  EXPECT_EQ(Uniform(copied, 2), 30) << "all four channels copied";
  for (int y = 0; y < kSide; ++y) {  // and no channel of a pixel beside them
    for (int x = 0; x < kSide; ++x) {
      if (copied.at(x, y, 3) != 0) continue;
      for (int k = 0; k < 3; ++k) ASSERT_EQ(copied.at(x, y, k), 0) << x << "," << y;
    }
  }
}

// No usable material draws the band in full red: a count of 0, a negative count, or no
// array. An index beyond the count takes the last material.
TEST_F(OutlineTriangle, ColourFromTheMaterialOrRed) {
  material3ds mats[2] = {MakeMaterial(0.2f, 0.4f, 0.8f), MakeMaterial(1.0f, 1.0f, 0.0f)};
  for (int count : {0, -3}) {
    const Image img = Outline(0.15f, count, mats);
    EXPECT_EQ(Uniform(img, 0), 255) << count;
    EXPECT_EQ(Uniform(img, 1), 0) << count;
  }
  EXPECT_EQ(Uniform(Outline(0.15f, 2, nullptr), 0), 255);
  const Image last = Outline(0.15f, 2, mats, 7);
  EXPECT_EQ(Uniform(last, 1), 255);
  EXPECT_EQ(Uniform(last, 2), 0);
}

// ---- Hostile patches -----------------------------------------------------------------------
//
// No input can hang the walk or write outside the image (the sanitizer build checks the
// bounds): what is not finite draws nothing, what is far outside costs nothing, and a
// patch larger than the image draws exactly the samples of the plain walk that land on it.

double SecondsFor(const std::function<void()>& f) {
  const auto start = std::chrono::steady_clock::now();
  f();
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

TEST_F(CurvedTriangle, HostileCornersDrawNothingAndReturnAtOnce) {
  const float nan = NAN, inf = INFINITY;
  const float corners[][9] = {
      {nan, 0, 0, 10, 0, 0, 0, 10, 0},      {0, 0, inf, 10, 0, 0, 0, 10, 0},
      {-1e30f, 0, 0, 1e30f, 0, 0, 0, 1e30f, 0}, {0, 0, 0, 10, 0, 0, 0, 10, 1e30f},
      {1e30f, 1e30f, 0, 2e30f, 1e30f, 0, 1e30f, 2e30f, 0},
      {-3e38f, -3e38f, 0, 3e38f, 3e38f, 0, 3e38f, -3e38f, 0},
  };
  InstallZBuffer(-1e30f);
  for (const auto& p : corners) {
    for (int mode : {9, 10}) {
      RecordShaderCalls();
      std::vector<__Point3ds> v = {Vertex(p[0], p[1], p[2]), Vertex(p[3], p[4], p[5]),
                                   Vertex(p[6], p[7], p[8])};
      Image img(kSide, kSide, false), back(kSide, kSide, false);
      __Triangle3ds t = Face(0, 1, 2);
      const double seconds = SecondsFor([&] {
        if (mode == 9)
          Bezier(img, v);
        else
          TestCall(img.data(), back.data(), &t, v.data(), 10, 10).Drive(RasterOutlineTriangle);
      });
      EXPECT_LT(seconds, 2.0) << p[0] << " " << p[2] << " " << p[8];
      for (const ShaderCall& c : Calls())
        ASSERT_TRUE(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z));
    }
  }
}

// A normal that is not a number leaves the patch undefined: nothing is drawn. One whose
// square overflows has no usable tangent plane either: its edge points stay on the edges and
// the samples stay finite.
TEST_F(CurvedTriangle, WildNormalsDrawNothingOrStayFinite) {
  const float nan = NAN, inf = INFINITY;
  for (float bad : {nan, inf}) {
    RecordShaderCalls();
    std::vector<__Point3ds> v = {Vertex(20, 0, 0, bad, 0, 1), Vertex(0, 20, 0),
                                 Vertex(0, 0, 0)};
    Image img(kSide, kSide, false);
    Bezier(img, v);
    EXPECT_TRUE(Calls().empty()) << bad;
  }
  RecordShaderCalls();
  std::vector<__Point3ds> v = {Vertex(20, 0, 0, 1e30f, 0, 1e30f), Vertex(0, 20, 0),
                               Vertex(0, 0, 0)};
  Image img(kSide, kSide, false);
  Bezier(img, v);
  ASSERT_GT(Calls().size(), 100u);
  for (const ShaderCall& c : Calls())
    ASSERT_TRUE(std::isfinite(c.x) && std::isfinite(c.y) && std::isfinite(c.z));
}

// Zero vertex normals have no tangent plane: the edge points stay on the edges and the
// patch is the flat triangle, with nz = 0 everywhere (faded to nothing, but finite).
TEST_F(CurvedTriangle, ZeroNormalsKeepPositionsFinite) {
  std::vector<__Point3ds> v = {Vertex(20, 0, 3, 0, 0, 0), Vertex(0, 20, 3, 0, 0, 0),
                               Vertex(0, 0, 3, 0, 0, 0)};
  Image img(kSide, kSide, false);
  Bezier(img, v);
  ASSERT_GT(Calls().size(), 100u);
  for (const ShaderCall& c : Calls()) {
    ASSERT_NEAR(c.z, 3.0f, 1e-5);
    ASSERT_TRUE(c.x >= -1e-4f && c.y >= -1e-4f && c.x + c.y <= 20.0001f);
    ASSERT_EQ(c.normal.z, 0.0f);
  }
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) ASSERT_EQ(img.at(x, y, 3), 0);
}

// A patch many times the image's size (its corners hundreds of pixels out) draws exactly
// the samples the plain walk over every (s, t) would put on the image, in the same order,
// while skipping the rest: the image in the middle of the patch, and the image over one
// corner far from the patch's origin.
TEST_F(CurvedTriangle, LargePatchDrawsExactlyItsSamplesOverTheImage) {
  struct Case {
    std::vector<__Point3ds> v;
    int ox, oy;
  } cases[] = {
      {{Vertex(700, -40, 0, 0.3f, 0, 0.95f), Vertex(-500, 600, 0, 0, 0.3f, 0.95f),
        Vertex(-30, -50, 0, 0, 0, 1)},
       10, 10},
      {{Vertex(1030, 30, 0, 0.3f, 0, 0.95f), Vertex(-100, 800, 0, 0, 0.3f, 0.95f),
        Vertex(-100, 0, 0, 0, 0, 1)},
       -1000, 0},
  };
  for (Case& c : cases) {
    RecordShaderCalls();
    Image img(kSide, kSide, false);
    Bezier(img, c.v, c.ox, c.oy);
    // The plain walk, every sample evaluated.
    const CubicPatch patch = BuildCubicPatch(c.v[0], c.v[1], c.v[2]);
    const SamplePlan plan = PlanPatchSamples(patch, c.ox, c.oy);
    ASSERT_TRUE(plan.draws);
    std::vector<std::pair<float, float>> want;
    for (int64_t j = 0; j * plan.dt <= 1.0; ++j)
      for (int64_t i = 0; i * plan.ds < 1.0 && i * plan.ds + j * plan.dt <= 1.0; ++i) {
        const double w[3] = {i * plan.ds, j * plan.dt, 1.0 - i * plan.ds - j * plan.dt};
        const PatchPoint p = EvaluateNet(patch.position, w);
        const double col = trunc(p.x + c.ox + 0.5), row = trunc(p.y + c.oy + 0.5);
        if (col >= 0 && row >= 0 && col < kSide && row < kSide)
          want.push_back({static_cast<float>(p.x), static_cast<float>(p.y)});
      }
    ASSERT_GT(want.size(), 1000u);
    ASSERT_EQ(Calls().size(), want.size()) << c.ox;
    for (size_t k = 0; k < want.size(); ++k) {
      ASSERT_EQ(Calls()[k].x, want[k].first) << k;
      ASSERT_EQ(Calls()[k].y, want[k].second) << k;
    }
  }
}

// An image one pixel wide or one row high is drawn into like any other: the patch over
// (0, 0), (30, 0), (0, 30) covers column 0 down to row 30, and row 0 out to column 30.
TEST_F(CurvedTriangle, OneColumnOrOneRowImageIsDrawn) {
  std::vector<__Point3ds> v = {Vertex(30, 0, 0), Vertex(0, 30, 0), Vertex(0, 0, 0)};
  for (bool column : {true, false}) {
    const int w = column ? 1 : kSide, h = column ? kSide : 1;
    ResetEngine(w, h, false);
    RecordShaderCalls();
    Image img(w, h, false), back(w, h, false);
    __Triangle3ds t = Face(0, 1, 2);
    TestCall(img.data(), back.data(), &t, v.data(), 0, 0).Drive(RasterBezierTriangle);
    int covered = 0;
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) covered += img.at(x, y, 3) != 0;
    EXPECT_GE(covered, 30) << (column ? "one column" : "one row");
    EXPECT_LE(covered, 32) << (column ? "one column" : "one row");
  }
}

// The walk skips a row by the box around its curve's four Bezier points, which must hold
// the whole row: no point of the row lies nearer the image than the box. Checked on
// patches with strongly bent normals, corners all around a 64 x 64 image and far from the
// origin, at 17 rows and 33 points a row.
TEST_F(CurvedTriangle, RowBoxHoldsEveryPointOfTheRow) {
  uint32_t seed = 2026;
  auto next = [&seed](double lo, double hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<double>(seed >> 8) / 16777216.0;
  };
  auto corner = [&] {
    const double nx = next(-1, 1), ny = next(-1, 1), nz = next(0.2, 1);
    const double len = sqrt(nx * nx + ny * ny + nz * nz);
    return Vertex(static_cast<float>(next(-250, 250)), static_cast<float>(next(-250, 250)),
                  static_cast<float>(next(-100, 100)), static_cast<float>(nx / len),
                  static_cast<float>(ny / len), static_cast<float>(nz / len));
  };
  int rows_near = 0;
  for (int k = 0; k < 300; ++k) {
    const __Point3ds a = corner(), b = corner(), c = corner();
    const CubicPatch patch = BuildCubicPatch(a, b, c);
    const SamplePlan plan = PlanPatchSamples(patch, 32, 32);
    for (int r = 0; r <= 16; ++r) {
      const double t = r / 16.0;
      const double box = RowDistanceOutside(patch.position, plan, t);
      rows_near += box < 20.0;
      for (int i = 0; i <= 32; ++i) {
        const double s = (1.0 - t) * i / 32.0;
        const double w[3] = {s, t, 1.0 - s - t};
        const PatchPoint p = EvaluateNet(patch.position, w);
        ASSERT_GE(DistanceOutside(plan.image, p.x + plan.ox, p.y + plan.oy), box - 1e-9)
            << "patch " << k << " row " << t << " point " << s;
      }
    }
  }
  EXPECT_GT(rows_near, 300) << "rows near the image were tried";
}

// Edges long in depth but a few pixels on screen are not sampled more finely than the screen
// needs: a triangle reaching 1e7 units into the depth still finishes at once and covers its
// pixels.
TEST_F(CurvedTriangle, DeepTriangleIsSampledByItsScreenSize) {
  std::vector<__Point3ds> v = {Vertex(10, 0, 0), Vertex(0, 10, 0), Vertex(0, 0, 1e7f)};
  Image img(kSide, kSide, false);
  const double seconds = SecondsFor([&] { Bezier(img, v); });
  EXPECT_LT(seconds, 2.0);
  EXPECT_LT(Calls().size(), 20000u);
  int covered = 0;
  for (int y = 0; y < kSide; ++y)
    for (int x = 0; x < kSide; ++x) covered += img.at(x, y, 3) != 0;
  EXPECT_GE(covered, 55) << "the 10 x 10 right triangle, about 50 pixels plus its edge";
  for (int y = 0; y <= 8; ++y)  // and no pinhole inside it (the origin is (10, 10))
    for (int x = 0; x + y <= 8; ++x) EXPECT_NE(img.at(10 + x, 10 + y, 3), 0) << x << "," << y;
}

}  // namespace

namespace {

// Numbers from a fixed sequence, lo .. hi.
struct Sequence {
  uint32_t seed;
  float operator()(float lo, float hi) {
    seed = seed * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
  }
};

// A patch over three corners within `reach` pixels of the origin, with normals in any
// direction.
CubicPatch RandomPatch(Sequence& next, float reach) {
  __Point3ds corner[3] = {};
  for (__Point3ds& p : corner) {
    p.x = next(-reach, reach), p.y = next(-reach, reach), p.z = next(-300.0f, 300.0f);
    p.nx = next(-1.0f, 1.0f), p.ny = next(-1.0f, 1.0f), p.nz = next(-1.0f, 1.0f);
  }
  return BuildCubicPatch(corner[0], corner[1], corner[2]);
}

// The nets' sums are the nets': at a corner the corner itself.
TEST(CubicNet, AtACornerIsTheCorner) {
  __Point3ds a{}, b{}, c{};
  a.x = 3.0f, b.y = 6.0f, c.z = 9.0f;
  a.nz = b.nz = c.nz = 1.0f;
  const CubicPatch flat = BuildCubicPatch(a, b, c);
  const double at_b[3] = {0.0, 1.0, 0.0};
  EXPECT_EQ(EvaluateNet(flat.position, WeightsAt(at_b)).y, 6.0);
  EXPECT_EQ(EvaluateNet(flat.normal, WeightsAt(at_b)).z, 1.0);
}

// The normal net blends the corners' normals (as given, not made unit length): an edge
// point near corner i is (3 n_i + n_j) / 4, the centre their mean.
TEST(CubicNet, NormalNetBlendsTheCornerNormals) {
  __Point3ds a{}, b{}, c{};
  a.x = 0.0f, a.y = 0.0f, b.x = 10.0f, b.y = 0.0f, c.x = 0.0f, c.y = 10.0f;
  a.nx = 3.0f, b.ny = 1.0f, c.nz = 2.0f;
  const CubicPatch patch = BuildCubicPatch(a, b, c);
  const PatchVec& centre = patch.normal.centre;
  EXPECT_NEAR(centre.x, 1.0f, 1e-6f);
  EXPECT_NEAR(centre.y, 1.0f / 3.0f, 1e-6f);
  EXPECT_NEAR(centre.z, 2.0f / 3.0f, 1e-6f);
  const PatchVec& near_a = patch.normal.point[0][1];  // towards b
  EXPECT_NEAR(near_a.x, 2.25f, 1e-6f);
  EXPECT_NEAR(near_a.y, 0.25f, 1e-6f);
  EXPECT_NEAR(near_a.z, 0.0f, 1e-6f);
  const PatchVec& near_c = patch.normal.point[2][0];  // towards a
  EXPECT_NEAR(near_c.x, 0.75f, 1e-6f);
  EXPECT_NEAR(near_c.z, 1.5f, 1e-6f);
}

CubicNet NetWithNz(const float nz[10]) {
  CubicNet net{};
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) net.point[i][j] = {0.3f, -0.2f, nz[3 * i + j]};
  net.centre = {0.1f, 0.1f, nz[9]};
  return net;
}

// The nz of every sample, as the walk weighs it (w = 1 - s - t), on a grid that takes in
// the corners and edges: its lowest and highest value as floats, and whether one is 0.
struct NzRange {
  float lo = INFINITY, hi = -INFINITY;
  bool zero = false;
};
NzRange SampleNz(const CubicNet& net) {
  NzRange r;
  constexpr int kSteps = 37;
  for (int j = 0; j <= kSteps; ++j)
    for (int i = 0; i + j <= kSteps; ++i) {
      const double s = static_cast<double>(i) / kSteps, t = static_cast<double>(j) / kSteps;
      const double w[3] = {s, t, 1.0 - s - t};
      const float nz = static_cast<float>(EvaluateNet(net, WeightsAt(w)).z);
      r.lo = std::min(r.lo, nz), r.hi = std::max(r.hi, nz);
      r.zero = r.zero || nz == 0.0f;
    }
  return r;
}

// A patch is skipped whole only when its net puts every sample's nz on one side of 0, as a
// float and never 0 (a -0 nz faces the front pass): checked over random nets, with control
// values of every size down to the float's smallest, and on the cases at the edges.
TEST(NormalSideOfNet, SaysASideOnlyWhereEverySampleLiesOnIt) {
  Sequence next{5};
  int below = 0, above = 0;
  for (int n = 0; n < 3000; ++n) {
    float nz[10];
    const float sign = n % 2 ? 1.0f : -1.0f;
    const float scale = std::pow(10.0f, next(-44.0f, 30.0f));
    for (float& v : nz) v = sign * scale * next(n % 5 == 0 ? -0.01f : 0.0f, 1.0f);
    const CubicNet net = NetWithNz(nz);
    const int side = NormalSideOfNet(net);
    if (side == 0) continue;
    const NzRange r = SampleNz(net);
    ASSERT_FALSE(r.zero) << n;
    if (side < 0) {
      ASSERT_LT(r.hi, 0.0f) << n;
      ++below;
    } else {
      ASSERT_GT(r.lo, 0.0f) << n;
      ++above;
    }
  }
  EXPECT_GT(below, 300);
  EXPECT_GT(above, 300);

  const auto side_of = [](std::initializer_list<float> first, float rest) {
    float nz[10];
    int k = 0;
    for (float v : first) nz[k++] = v;
    while (k < 10) nz[k++] = rest;
    return NormalSideOfNet(NetWithNz(nz));
  };
  EXPECT_EQ(side_of({}, -1.0f), -1);
  EXPECT_EQ(side_of({}, 0.5f), 1);
  EXPECT_EQ(side_of({0.0f}, -1.0f), 0);  // one control normal level: unknown
  EXPECT_EQ(side_of({0.2f}, -1.0f), 0);
  EXPECT_EQ(side_of({NAN}, -1.0f), 0);
  EXPECT_EQ(side_of({-INFINITY}, -1.0f), 0);
  EXPECT_EQ(side_of({-1e-7f}, -1.0f), 0);  // within a millionth of the largest
  EXPECT_EQ(side_of({-2e-6f}, -1.0f), -1);
  EXPECT_EQ(side_of({}, -1e-35f), 0);  // sums that may round to -0 as floats
  EXPECT_EQ(side_of({}, -1e-20f), -1);
}

// A patch turned away as a whole is not sampled at all (its samples would all have been
// culled); one that turns away only in part is still drawn where it faces.
TEST_F(CurvedTriangle, PatchTurnedAwayWholeIsNotSampled) {
  std::vector<__Point3ds> away = {Vertex(5, 5, 0, 0.1f, 0.2f, -1.0f),
                                  Vertex(50, 8, 0, -0.2f, 0.1f, -0.9f),
                                  Vertex(20, 50, 0, 0.0f, -0.3f, -1.0f)};
  Image img(kSide, kSide, false);
  Bezier(img, away);
  EXPECT_TRUE(Calls().empty());
  std::vector<__Point3ds> part = away;
  part[2].nz = 1.0f;  // one corner turns to the viewer: the samples near it face
  RecordShaderCalls();
  Bezier(img, part);
  EXPECT_GT(Calls().size(), 50u);
  for (const ShaderCall& c : Calls()) ASSERT_GE(c.normal.z, 0.0f);

  // The back-face pass draws the other side: the same two patches mirrored.
  _DrawBackFaces1 = 1;
  for (__Point3ds* p : {&away[0], &away[1], &away[2], &part[0], &part[1], &part[2]})
    p->nz = -p->nz;
  RecordShaderCalls();
  Bezier(img, away);
  EXPECT_TRUE(Calls().empty());
  RecordShaderCalls();
  Bezier(img, part);
  EXPECT_GT(Calls().size(), 50u);
  for (const ShaderCall& c : Calls()) ASSERT_LT(c.normal.z, 0.0f);
  _DrawBackFaces1 = 0;
}

// The walk computes a row's samples four at a time: each must be, bit for bit, the sample
// computed alone (its weights, its position and its normal, its distance outside the image
// and, inside, its pixel), whichever of the four it is and in
// whatever order the row asks for them (skips included), with SSE2 and, where the CPU has
// it, with AVX; and a sample computed already is taken from the quad, not computed again.
TEST(SampleQuad, EachLaneIsItsSampleAlone) {
  for (bool avx : {false, true}) {
    if (avx && !CpuRunsAvx()) continue;
    ChooseCpuPaths(avx);
    Sequence next{11};
    int compared = 0, inside = 0;
    for (int n = 0; n < 100; ++n) {
      const CubicPatch patch = RandomPatch(next, 900.0f);
      const double ds = 1.0 / next(3.0f, 400.0f), t = next(0.0f, 1.0f);
      const double ox = next(0.0f, 640.0f), oy = next(0.0f, 480.0f);
      const SampleBounds image{-1.5, 639.5, -1.5, 479.5};
      SampleQuad quad;
      StartSampleQuad(quad, patch.position, patch.normal, ox, oy, image.x0, image.x1, image.y0,
                      image.y1);
      ASSERT_EQ(quad.avx, avx);
      int64_t i = 0;
      for (int step = 0; step < 60; ++step) {
        PatchSample got;
        const int64_t held = quad.first;
        TakeSample(quad, i, ds, t, got);
        // Four samples are computed at once: one already held is not computed again.
        if (held >= 0 && i >= held && i < held + SampleQuad::kLanes)
          ASSERT_EQ(quad.first, held) << n << " " << i;
        else
          ASSERT_EQ(quad.first, i) << n << " " << i;
        const double si = static_cast<double>(i) * ds;
        const double w[3] = {si, t, 1.0 - si - t};
        const PatchWeights k = WeightsAt(w);
        const PatchPoint p = EvaluateNet(patch.position, k);
        const PatchPoint nrm = EvaluateNet(patch.normal, k);
        for (int a = 0; a < 3; ++a) ASSERT_EQ(got.w[a], w[a]) << n << " " << i;
        ASSERT_EQ(got.position.x, p.x) << n << " " << i;
        ASSERT_EQ(got.position.y, p.y) << n << " " << i;
        ASSERT_EQ(got.position.z, p.z) << n << " " << i;
        ASSERT_EQ(got.nz, nrm.z) << n << " " << i;
        ASSERT_EQ(got.nx, nrm.x) << n << " " << i;
        ASSERT_EQ(got.ny, nrm.y) << n << " " << i;
        const double x = p.x + ox, y = p.y + oy;
        ASSERT_EQ(got.miss, DistanceOutside(image, x, y)) << n << " " << i;
        if (got.miss == 0.0) {
          ASSERT_EQ(got.column, TruncToInt(x + 0.5)) << n << " " << i;
          ASSERT_EQ(got.row, TruncToInt(y + 0.5)) << n << " " << i;
          ++inside;
        }
        ++compared;
        i += step % 7 == 6 ? 3 + step % 5 : 1;  // now and then a skip, as off the image
      }
    }
    EXPECT_EQ(compared, 100 * 60);
    EXPECT_GT(inside, 600);
    EXPECT_LT(inside, compared - 600);
    // A position that is not a number lies infinitely far outside, in every lane.
    CubicPatch lost = RandomPatch(next, 900.0f);
    lost.position.centre.y = NAN;
    SampleQuad quad;
    StartSampleQuad(quad, lost.position, lost.normal, 0.0, 0.0, -1.5, 639.5, -1.5, 479.5);
    for (int64_t i = 1; i <= 4; ++i) {
      PatchSample got;
      TakeSample(quad, i, 0.01, 0.3, got);
      EXPECT_EQ(got.miss, INFINITY) << i;
    }
  }
  ChooseCpuPaths();
}

}  // namespace

// The line modes: rough outlines, shaded thick lines, the wire patch edges and the coloured
// scene outline, from single lines up to whole renders of a sphere.
#include <gtest/gtest.h>
#include <math.h>

#include <set>
#include <utility>

#include "engine/raster/face_culling.h"
#include "engine/raster/thick_line.h"
#include "engine/scene/line_modes.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

using PixelSet = std::set<std::pair<int, int>>;

constexpr int kSide = 64;

// Pixels with any alpha.
PixelSet Touched(const Image& img) {
  PixelSet s;
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x)
      if (img.at(x, y, 3) != 0) s.insert({x, y});
  return s;
}

// The pixels the shader was called for.
PixelSet Visited() {
  PixelSet s;
  for (const ShaderCall& c : RecordedCalls()) s.insert({c.pixel_x(), c.pixel_y()});
  return s;
}

// x0..x1 by y0..y1, inclusive.
void AddRect(PixelSet& s, int x0, int x1, int y0, int y1) {
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) s.insert({x, y});
}

float SegmentDistance(float px, float py, float x0, float y0, float x1, float y1) {
  const float dx = x1 - x0, dy = y1 - y0;
  float t = ((px - x0) * dx + (py - y0) * dy) / (dx * dx + dy * dy);
  t = std::min(1.0f, std::max(0.0f, t));
  return hypotf(px - (x0 + t * dx), py - (y0 + t * dy));
}

// The engine as a render in a line mode leaves it (the coverage rule of the lines depends
// on the mode being at most 2).
void ResetLines(int width, int height, bool deep, int mode = 1) {
  ResetEngine(width, height, deep);
  _DrawMode = static_cast<unsigned char>(mode);
  _WireSize = 1.0f;
}

class LineModes : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    ResetLines(kSide, kSide, false);
  }
};

// ---- Mode 0 ---------------------------------------------------------------------------

TEST_F(LineModes, RoughEdgesInvertTheBackgroundAtFullAlpha) {
  for (bool deep : {false, true}) {
    ResetLines(kSide, kSide, deep);
    const int full = deep ? 32768 : 255;
    Image src(kSide, kSide, deep), dst(kSide, kSide, deep);
    src.fill(full, full, full, full);
    std::vector<__Point3ds> v = {Vertex(-20, -20, 0), Vertex(20, -20, 0), Vertex(0, 20, 0)};
    __Triangle3ds t = Face(0, 1, 2);
    const Draw d{1, &t, v.data(), 32, 32, 0, nullptr, nullptr, 0, nullptr, nullptr};
    DrawRoughTriangle(MakeFrame(dst.data(), src.data(), kSide, kSide), d, &t);
    // The shared edge drawn again (as the neighbouring triangle would) stays black.
    RoughLine(dst.data(), src.data(), kSide, kSide, 12, 12, 52, 12);
    const PixelSet drawn = Touched(dst);
    EXPECT_GT(drawn.size(), 100u);
    for (const auto& p : drawn) {
      for (int k = 0; k < 3; ++k) ASSERT_EQ(dst.at(p.first, p.second, k), 0) << deep;
      ASSERT_EQ(dst.at(p.first, p.second, 3), full);
    }
    EXPECT_TRUE(drawn.count({30, 12}));  // on the top edge
    EXPECT_FALSE(drawn.count({32, 25}));  // inside
  }
}

TEST_F(LineModes, RoughLineLeavesOutTheFarEnd) {
  struct Case {
    float x0, y0, x1, y1;
    PixelSet want;
  } cases[] = {
      {0, 0, 3, 0, {{0, 0}, {1, 0}, {2, 0}}},
      {3, 0, 0, 0, {{0, 0}, {1, 0}, {2, 0}}},
      {0, 0, 2, 2, {{0, 0}, {1, 1}}},  // equal extents: y-major
      {0, 2, 2, 0, {{2, 0}, {1, 1}}},  // y-major starts at the smaller y, x-major would not
      {0, 0, 0, 3, {{0, 0}, {0, 1}, {0, 2}}},
      {5, 5, 5, 5, {}},  // a point draws nothing
  };
  for (bool deep : {false, true}) {
    ResetLines(8, 8, deep);
    for (const Case& c : cases) {
      Image src(8, 8, deep), dst(8, 8, deep);
      RoughLine(dst.data(), src.data(), 8, 8, c.x0, c.y0, c.x1, c.y1);
      EXPECT_EQ(Touched(dst), c.want) << c.x0 << "," << c.y0 << " -> " << c.x1 << "," << c.y1;
    }
  }
}

// Lines far outside the image, or with undefined end points, end and write only inside it
// (the sanitizer build checks the buffer bounds).
TEST_F(LineModes, RoughLineWithWildEndPointsStaysInTheImage) {
  const float nan = NAN, huge = 1e30f;
  const float ends[][4] = {{nan, 0, 3, 3},        {0, 0, nan, nan},   {-huge, 5, huge, 5},
                           {3, -huge, 3, huge},   {-huge, -huge, huge, huge},
                           {-1e6f, 4, 1e6f, 4.5f}, {1e9f, 1e9f, 2e9f, 2e9f}};
  for (const auto& e : ends) {
    Image src(16, 16, false), dst(16, 16, false);
    ResetLines(16, 16, false);
    RoughLine(dst.data(), src.data(), 16, 16, e[0], e[1], e[2], e[3]);
  }
  // A row crossing the whole image from far away is drawn across it.
  Image src(16, 16, false), dst(16, 16, false);
  RoughLine(dst.data(), src.data(), 16, 16, -1e6f, 4, 1e6f, 4);
  for (int x = 0; x < 16; ++x) EXPECT_EQ(dst.at(x, 4, 3), 255) << x;
  // A width larger than the engine's image cannot index past the image's end.
  ResetLines(8, 8, false);
  Image small_src(8, 8, false), small_dst(8, 8, false);
  RoughLine(small_dst.data(), small_src.data(), 16, 16, 0, 7, 16, 7);
  EXPECT_TRUE(Touched(small_dst).empty());
}

// ---- Thick shaded lines (mode 1) ------------------------------------------------------

// A shader that records the colour it starts from and answers one more in red.
std::vector<float>& StartReds() {
  static std::vector<float> reds;
  return reds;
}
float CountingShader(float, float, unsigned char*, unsigned char*, float, float, float,
                     __Triangle3ds*, material3ds*, int, float& c0, float& c1, float& c2,
                     __Point*, unsigned char, float, float, __Texture*, int, light3ds*,
                     __PrevInfo*, GlassProp*, float, float, float, float) {
  StartReds().push_back(c0);
  EXPECT_EQ(c1, 0.0f);
  c0 += 1;
  c1 = c2 = 0;
  return 1.0f;
}

// A line's shading as the line modes make it.
struct LineCall : TestCall {
  LineShading s{frame.out, frame, draw, draw.tris};
  LineCall(Image& dst, Image& src, __Triangle3ds* tri, int ox, int oy, int mat_count = 0,
           material3ds* mats = nullptr, int light_count = 0, light3ds* lights = nullptr)
      : TestCall(dst.data(), src.data(), tri, nullptr, ox, oy, mat_count, mats, light_count,
                 lights) {}
};

TEST_F(LineModes, ThickLineVisitsCapsAndSixWideRuns) {
  for (bool deep : {false, true}) {
    ResetLines(kSide, kSide, deep);
    _Quality = 1;
    RecordShaderCalls();
    Image src(kSide, kSide, deep), dst(kSide, kSide, deep);
    __Triangle3ds tri = Face(0, 1, 2);
    const Plane plane = {0.1f, 0.2f, -0.9f, 7.0f};
    DrawShadedLine(LineCall(dst, src, &tri, 10, 5).s, 20, 30, 40, 30, _WireSize, plane);
    PixelSet want;
    AddRect(want, 17, 22, 27, 32);  // start cap: 6 x 6 around (20, 30)
    AddRect(want, 20, 40, 27, 32);  // the walk: 6 rows per column
    AddRect(want, 39, 44, 28, 33);  // end cap around (41, 30), where the walk stopped
    EXPECT_EQ(Visited(), want);
    for (const ShaderCall& c : RecordedCalls()) {
      ASSERT_EQ(c.z, 0.0f);
      ASSERT_FALSE(c.has_prev);
      ASSERT_EQ(c.textured, 0);
      ASSERT_EQ(c.origin_x, 10.0f);
      ASSERT_EQ(c.normal.x, -0.1f);
      ASSERT_EQ(c.normal.z, 0.9f);
      ASSERT_EQ(c.plane[0], 0.1f);  // the plane as given, for the glass stage
      ASSERT_EQ(c.plane[1], 0.2f);
      ASSERT_EQ(c.plane[2], -0.9f);
      ASSERT_EQ(c.plane[3], 7.0f);
    }
    // Written: the segment and its round ends, within the half-width (plus the pixel).
    const PixelSet drawn = Touched(dst);
    for (const auto& p : drawn)
      EXPECT_LT(SegmentDistance(p.first, p.second, 20, 30, 40, 30), 1.0f) << p.first;
    EXPECT_EQ(dst.at(30, 30, 3), deep ? 32768 : 255);
    EXPECT_EQ(dst.at(30, 30, 0), 200);  // the shader's colour, in channel units

    // A vertical line steps along y; with no x extent its caps and runs reach right as for
    // a line going right: columns 27..32 from the start, 28..33 in the end cap at (30, 41).
    RecordShaderCalls();
    DrawShadedLine(LineCall(dst, src, &tri, 0, 0).s, 30, 20, 30, 40, _WireSize, plane);
    want.clear();
    AddRect(want, 27, 32, 17, 22);
    AddRect(want, 27, 32, 20, 40);
    AddRect(want, 28, 33, 39, 44);
    EXPECT_EQ(Visited(), want);

    // An exact diagonal counts as x-major: its runs go down the columns, one a step, the
    // walk moving one pixel right and one down each step (to (31, 31) after the last).
    RecordShaderCalls();
    DrawShadedLine(LineCall(dst, src, &tri, 0, 0).s, 20, 20, 30, 30, _WireSize, plane);
    want.clear();
    AddRect(want, 17, 22, 17, 22);
    for (int i = 0; i <= 10; ++i) AddRect(want, 20 + i, 20 + i, 17 + i, 22 + i);
    AddRect(want, 29, 34, 29, 34);
    EXPECT_EQ(Visited(), want);
  }
}

TEST_F(LineModes, ThickLineWithoutQualityIsOnePixelWide) {
  for (bool deep : {false, true}) {
    ResetLines(kSide, kSide, deep);
    _Quality = 0;
    RecordShaderCalls();
    Image src(kSide, kSide, deep), dst(kSide, kSide, deep);
    __Triangle3ds tri = Face(0, 1, 2);
    const Plane plane = {0, 0, -1, 0};
    // A diagonal, y-major: one pixel per row.
    DrawShadedLine(LineCall(dst, src, &tri, 0, 0).s, 10, 10, 20, 30, _WireSize, plane);
    EXPECT_EQ(RecordedCalls().size(), 21u);
    const PixelSet drawn = Touched(dst);
    EXPECT_EQ(drawn.size(), 21u);
    EXPECT_EQ(Visited(), drawn);
    for (int y = 10; y <= 30; ++y) {
      int in_row = 0;
      for (const auto& p : drawn) in_row += p.second == y;
      EXPECT_EQ(in_row, 1) << y;
    }
    EXPECT_TRUE(drawn.count({10, 10}));
    EXPECT_TRUE(drawn.count({20, 30}));

    // The minor coordinate moves when the error term reaches 0 (ties step): from (10, 40)
    // to (14, 42), twice a tie. Each pixel takes the shader's colour channel for channel.
    Image tie(kSide, kSide, deep);
    DrawShadedLine(LineCall(tie, src, &tri, 0, 0).s, 10, 40, 14, 42, _WireSize, plane);
    const PixelSet steps = {{10, 40}, {11, 41}, {12, 41}, {13, 42}, {14, 42}};
    EXPECT_EQ(Touched(tie), steps);
    const int want_channels[4] = {200, 100, 50, deep ? 32768 : 255};
    for (const auto& p : steps)
      for (int k = 0; k < 4; ++k) EXPECT_EQ(tie.at(p.first, p.second, k), want_channels[k]);
  }
}

// Lines of a plain material are lit eight pixels at a time: the picture must be exactly the
// one of the pixel-by-pixel path (here through a shader that only forwards to the default
// one), with and without quality, at both depths, for lines in every direction, crossing the
// image's borders and each other, at part opacity and at half-widths that do and do not fill
// a batch of eight.
TEST_F(LineModes, PlainLinesAreThoseOfThePixelByPixelPath) {
  material3ds mat = MakeMaterial(0.7f, 0.4f, 0.9f);
  mat.shininess = 0.2f;
  mat.transparency = -0.3f;  // stored negated: opacity 0.7
  light3ds lights[2] = {MakeLight(200.0f, -100.0f, 500.0f),
                        MakeLight(-300.0f, 80.0f, 200.0f, 0.5f)};
  __Triangle3ds tri = Face(0, 1, 2);
  const auto draw = [&](bool deep, bool quality, bool forwarding) {
    ResetLines(kSide, kSide, deep);
    _Quality = quality ? 1 : 0;
    if (forwarding) RenderOnePixel = Forwarding;
    Image src(kSide, kSide, deep), dst(kSide, kSide, deep);
    const LineCall call(dst, src, &tri, 7, 3, 1, &mat, 2, lights);
    const LineShading& s = call.s;
    uint32_t seed = 99;
    const auto next = [&seed](float lo, float hi) {
      seed = seed * 1664525u + 1013904223u;
      return lo + (hi - lo) * static_cast<float>(seed >> 8) / 16777216.0f;
    };
    for (int i = 0; i < 30; ++i) {
      const Plane plane = {next(-0.6f, 0.6f), next(-0.6f, 0.6f), next(-1.0f, -0.3f),
                           next(-5.0f, 5.0f)};
      _WireSize = i % 3 == 0 ? 0.3f : next(0.5f, 3.0f);
      DrawShadedLine(s, next(-10.0f, kSide + 10.0f), next(-10.0f, kSide + 10.0f),
                     next(-10.0f, kSide + 10.0f), next(-10.0f, kSide + 10.0f), _WireSize,
                     plane);
    }
    __SetDefRenderOnePixel();
    return dst;
  };
  for (bool deep : {false, true})
    for (bool quality : {false, true}) {
      SCOPED_TRACE(std::string(deep ? "16-bit" : "8-bit") + (quality ? " quality" : ""));
      const Image batched = draw(deep, quality, false);
      const Image single = draw(deep, quality, true);
      EXPECT_TRUE(batched.b8 == single.b8 && batched.b16 == single.b16) << "pictures differ";
      EXPECT_GT(Touched(batched).size(), quality ? 1500u : 300u) << "the lines draw";
    }
}

TEST_F(LineModes, ShaderColourCarriesFromPixelToPixel) {
  _Quality = 0;
  StartReds().clear();
  __SetNewRenderOnePixel(CountingShader);
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  __Triangle3ds tri = Face(0, 1, 2);
  const Plane plane = {0, 0, -1, 0};
  DrawShadedLine(LineCall(dst, src, &tri, 0, 0).s, 1, 1, 5, 1, 1.0f, plane);
  DrawShadedLine(LineCall(dst, src, &tri, 0, 0).s, 1, 3, 3, 3, 1.0f, plane);
  const std::vector<float> want = {255, 256, 257, 258, 259, 255, 256, 257};
  EXPECT_EQ(StartReds(), want);
}

// The clip keeps a segment inside the image and its margin as it is, cuts one that crosses
// the border exactly on the border, whatever its length (one less than a pixel wide
// included), and refuses one wholly outside.
TEST_F(LineModes, ClipCutsCrossingSegmentsOnTheBorder) {
  struct Case {
    float x0, y0, x1, y1;
    bool kept;
    float cx0, cy0, cx1, cy1;  // the ends afterwards
  };
  // The image is 64 x 64; with a margin of 2 the border lies at -2 and 66.
  const Case cases[] = {
      {3, 4, 50, 60, true, 3, 4, 50, 60},              // inside
      {-2.25f, 10, -1.75f, 10, true, -2, 10, -1.75f, 10},  // half a pixel, across x = -2
      {10, 65.75f, 10, 66.25f, true, 10, 65.75f, 10, 66},  // half a pixel, across y = 66
      {-10, 20, 20, 20, true, -2, 20, 20, 20},         // from the left
      {20, 20, 90, 20, true, 20, 20, 66, 20},          // out to the right
      {10, -10, 10, 20, true, 10, -2, 10, 20},         // from above
      // Far from both borders: the cut ends lie on them exactly, not where rounding along
      // the segment would put them (about 6e-5 off).
      {10, -495435087872.0f, 10, 449491075072.0f, true, 10, -2, 10, 66},
      {-3, 10, -2.5f, 10, false, 0, 0, 0, 0},          // short and wholly outside
      {70, -5, 90, 80, false, 0, 0, 0, 0},             // long and wholly outside
  };
  for (const Case& c : cases) {
    float x0 = c.x0, y0 = c.y0, x1 = c.x1, y1 = c.y1;
    ASSERT_EQ(ClipSegmentToImage(x0, y0, x1, y1, 2.0f), c.kept) << c.x0 << "," << c.y0;
    if (!c.kept) continue;
    EXPECT_FLOAT_EQ(x0, c.cx0) << c.x0 << "," << c.y0;
    EXPECT_FLOAT_EQ(y0, c.cy0) << c.x0 << "," << c.y0;
    EXPECT_FLOAT_EQ(x1, c.cx1) << c.x0 << "," << c.y0;
    EXPECT_FLOAT_EQ(y1, c.cy1) << c.x0 << "," << c.y0;
  }
}

TEST_F(LineModes, ThickLineWithWildEndPointsIsBounded) {
  _Quality = 1;
  RecordShaderCalls();
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  __Triangle3ds tri = Face(0, 1, 2);
  const Plane plane = {0, 0, -1, 0};
  const LineCall call(dst, src, &tri, 0, 0);
  const LineShading& s = call.s;
  DrawShadedLine(s, NAN, 3, 10, 10, 1.0f, plane);
  DrawShadedLine(s, 3, 3, INFINITY, 10, 1.0f, plane);
  EXPECT_TRUE(RecordedCalls().empty());
  DrawShadedLine(s, -1e30f, 20, 1e30f, 20, 1.0f, plane);
  DrawShadedLine(s, 3e9f, 3e9f, -3e9f, -3e9f, 1.0f, plane);
  // Only the part across the image (and its caps) is walked.
  EXPECT_LT(RecordedCalls().size(), 4000u);
  for (int x = 0; x < kSide; ++x) EXPECT_EQ(dst.at(x, 20, 3), 255) << x;
  EXPECT_EQ(dst.at(31, 31, 3), 255);  // on the diagonal
}

TEST_F(LineModes, LineTriangleShadesEdgesWithTheFacingNormal) {
  _Quality = 1;
  RecordShaderCalls();
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  // Front-facing (orientation Nz >= 0): the shader sees a normal towards the viewer.
  std::vector<__Point3ds> v = {Vertex(-20, -20, 5), Vertex(20, -20, 5), Vertex(0, 20, 5)};
  ASSERT_GE(OrientationNz(v[0], v[1], v[2]), 0.0f);
  __Triangle3ds t = Face(0, 1, 2);
  TestCall(dst.data(), src.data(), &t, v.data(), 32, 32).Drive(DrawLineTriangle);
  ASSERT_FALSE(RecordedCalls().empty());
  const ShaderCall& c = RecordedCalls().front();
  EXPECT_NEAR(c.normal.z, 1.0f, 1e-6f);
  EXPECT_NEAR(c.plane[2], -1.0f, 1e-6f);
  EXPECT_NEAR(c.plane[3], 5.0f, 1e-5f);  // d = -(N . P0)
  const PixelSet drawn = Touched(dst);
  EXPECT_TRUE(drawn.count({32, 12}));  // top edge
  EXPECT_TRUE(drawn.count({22, 32}));  // left edge, half way
  EXPECT_FALSE(drawn.count({32, 32}));  // inside
}

// Without quality the line triangle walks P0 -> P1, P1 -> P2, P2 -> P0, each line from the
// truncated start over trunc(end - start) steps, so the far end of a line with fractional
// ends may be left out. For P0 (10.6, 10.6), P1 (20.3, 10.6), P2 (10.6, 30.4):
//   P0 -> P1: 9 steps right, row 10, columns 10..19;
//   P1 -> P2: from (20, 10), 19 steps down and 9 left: column 20 - (y - 10) / 2 on rows
//     10..29 (the error term 2 * 9 - 19 = -1 moves left on every second row);
//   P2 -> P0: from (10, 30), 19 steps up: rows 30 down to 11.
TEST_F(LineModes, LineTriangleWalksEachEdgeFromItsStart) {
  _Quality = 0;
  RecordShaderCalls();
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  std::vector<__Point3ds> v = {Vertex(10.6f, 10.6f, 5), Vertex(20.3f, 10.6f, 5),
                               Vertex(10.6f, 30.4f, 5)};
  __Triangle3ds t = Face(0, 1, 2);
  TestCall(dst.data(), src.data(), &t, v.data(), 0, 0).Drive(DrawLineTriangle);
  std::vector<std::pair<int, int>> expected;
  for (int x = 10; x <= 19; ++x) expected.push_back({x, 10});
  for (int y = 10; y <= 29; ++y) expected.push_back({20 - (y - 10) / 2, y});
  for (int y = 30; y >= 11; --y) expected.push_back({10, y});
  std::vector<std::pair<int, int>> walked;
  for (const ShaderCall& c : RecordedCalls()) walked.push_back({c.pixel_x(), c.pixel_y()});
  EXPECT_EQ(walked, expected);
  const PixelSet drawn = Touched(dst);
  EXPECT_EQ(drawn, PixelSet(expected.begin(), expected.end()));
  EXPECT_EQ(drawn.size(), 50u);
}

// The shader is handed the triangle's plane: its unit normal and the offset that puts all
// three corners on it, for a tilted triangle too.
TEST_F(LineModes, LineTriangleHandsTheShaderItsPlane) {
  _Quality = 0;
  RecordShaderCalls();
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  std::vector<__Point3ds> v = {Vertex(10, 12, 3), Vertex(40, 15, -6), Vertex(18, 44, 9)};
  __Triangle3ds t = Face(0, 1, 2);
  TestCall(dst.data(), src.data(), &t, v.data(), 0, 0).Drive(DrawLineTriangle);
  ASSERT_GT(RecordedCalls().size(), 50u);
  for (const ShaderCall& c : RecordedCalls()) {
    const float* p = c.plane;
    ASSERT_NEAR(p[0] * p[0] + p[1] * p[1] + p[2] * p[2], 1.0f, 1e-5f);
    for (const __Point3ds& corner : v)
      ASSERT_NEAR(p[0] * corner.x + p[1] * corner.y + p[2] * corner.z + p[3], 0.0f, 1e-4f);
  }
}

// ---- Wire (mode 2) --------------------------------------------------------------------

// A tilted triangle whose vertex normals are its unit face normal.
struct FlatTriangle {
  std::vector<__Point3ds> v;
  __Triangle3ds t = Face(0, 1, 2);
  FlatTriangle(float nx, float ny, float nz) {
    const float p[3][2] = {{-22, -18}, {24, -10}, {-4, 22}};
    for (const auto& q : p) {
      // The plane nx x + ny y + nz z = 0 through the origin.
      v.push_back(Vertex(q[0], q[1], -(nx * q[0] + ny * q[1]) / nz, nx, ny, nz));
    }
  }
  float Distance(int x, int y, int ox, int oy) const {
    float best = 1e9f;
    for (int k = 0; k < 3; ++k) {
      const __Point3ds &a = v[k], &b = v[(k + 1) % 3];
      best = std::min(best, SegmentDistance(static_cast<float>(x), static_cast<float>(y),
                                            a.x + ox, a.y + oy, b.x + ox, b.y + oy));
    }
    return best;
  }
};

TEST_F(LineModes, WireWithFaceNormalsDrawsStraightEdges) {
  const float n[3] = {0.3f, -0.4f, sqrtf(1 - 0.25f)};
  for (bool deep : {false, true}) {
    ResetLines(kSide, kSide, deep, 2);
    _Quality = 1;
    FlatTriangle tri(n[0], n[1], n[2]);
    Image src(kSide, kSide, deep), dst(kSide, kSide, deep);
    TestCall(dst.data(), src.data(), &tri.t, tri.v.data(), 32, 32).Drive(DrawWireTriangle);
    const PixelSet drawn = Touched(dst);
    EXPECT_GT(drawn.size(), 150u);
    for (const auto& p : drawn) EXPECT_LT(tri.Distance(p.first, p.second, 32, 32), 1.0f);
    // Every point along the edges is drawn.
    for (int k = 0; k < 3; ++k)
      for (float t = 0.1f; t < 1.0f; t += 0.2f) {
        const __Point3ds &a = tri.v[k], &b = tri.v[(k + 1) % 3];
        const int x = static_cast<int>(lroundf(a.x + t * (b.x - a.x))) + 32;
        const int y = static_cast<int>(lroundf(a.y + t * (b.y - a.y))) + 32;
        EXPECT_TRUE(drawn.count({x, y})) << k << " " << t;

      }
  }
}

TEST_F(LineModes, WireFollowsBentVertexNormals) {
  _Quality = 1;
  FlatTriangle tri(0, 0, 1);
  // Normals leaning outwards from the triangle's centre bow its edges out.
  for (__Point3ds& p : tri.v) {
    const float l = hypotf(p.x, p.y);
    p.nx = 0.6f * p.x / l;
    p.ny = 0.6f * p.y / l;
    p.nz = 0.8f;
  }
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  TestCall(dst.data(), src.data(), &tri.t, tri.v.data(), 32, 32).Drive(DrawWireTriangle);
  float farthest = 0;
  for (const auto& p : Touched(dst))
    farthest = std::max(farthest, tri.Distance(p.first, p.second, 32, 32));
  EXPECT_GT(farthest, 2.0f);
}

// All vertex normals equal make the patch normal that normal everywhere.
int WireShaderCalls(float nz) {
  RecordShaderCalls();
  FlatTriangle tri(0, 0, 1);
  const float ny = sqrtf(1 - nz * nz);
  for (__Point3ds& p : tri.v) {
    p.nx = 0;
    p.ny = ny;
    p.nz = nz;
  }
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  TestCall(dst.data(), src.data(), &tri.t, tri.v.data(), 32, 32).Drive(DrawWireTriangle);
  for (const ShaderCall& c : RecordedCalls()) EXPECT_NEAR(c.normal.z, nz, 1e-5f);
  return static_cast<int>(RecordedCalls().size());
}

TEST_F(LineModes, WireSegmentVisibilityFollowsThePatchNormal) {
  _Quality = 0;
  EXPECT_GT(WireShaderCalls(-0.1f), 50);
  EXPECT_EQ(WireShaderCalls(-0.3f), 0);
  _DubleSide = 1;
  EXPECT_GT(WireShaderCalls(-0.3f), 50);
  _DubleSide = 0;
  _DrawBackFaces1 = 1;  // the back-face pass takes the segments turned away
  EXPECT_GT(WireShaderCalls(-0.3f), 50);
  EXPECT_EQ(WireShaderCalls(0.5f), 0);
}

TEST_F(LineModes, WireWithZeroNormalsAndDegenerateTrianglesEnds) {
  _Quality = 1;
  RecordShaderCalls();
  Image src(kSide, kSide, false), dst(kSide, kSide, false);
  std::vector<__Point3ds> v = {Vertex(-10, -10, 0, 0, 0, 0), Vertex(10, -10, 0, 0, 0, 0),
                               Vertex(0, 10, 0, 0, 0, 1), Vertex(3, 3, 3), Vertex(NAN, 0, 0),
                               Vertex(1e30f, 0, 0)};
  __Triangle3ds ts[] = {Face(0, 1, 2), Face(3, 3, 3), Face(4, 1, 2), Face(5, 0, 1)};
  for (__Triangle3ds& t : ts)
    TestCall(dst.data(), src.data(), &t, v.data(), 32, 32).Drive(DrawWireTriangle);
  // The triangle with zero normals keeps its straight edge between them.
  EXPECT_NE(dst.at(32, 22, 3), 0);
}

// The wire's step along its edges follows their length in space, not on the screen, and a
// segment shorter than a pixel on both axes draws nothing. Lying flat, the triangle's legs of
// 10 pixels are walked in steps of 0.4 (4 pixels) and drawn; with one corner 300 deep the
// step is 4 / 300 of an edge, every segment under a pixel, and nothing is drawn.
TEST_F(LineModes, WireStepFollowsTheEdgesLengthInSpace) {
  _Quality = 1;
  size_t touched[2];
  for (int deep_edge = 0; deep_edge < 2; ++deep_edge) {
    std::vector<__Point3ds> v = {Vertex(10, 0, 0), Vertex(0, 10, deep_edge ? 300.0f : 0.0f),
                                 Vertex(0, 0, 0)};
    __Triangle3ds t = Face(0, 1, 2);
    Image src(kSide, kSide, false), dst(kSide, kSide, false);
    RecordShaderCalls();
    TestCall(dst.data(), src.data(), &t, v.data(), 32, 32).Drive(DrawWireTriangle);
    touched[deep_edge] = Touched(dst).size();
  }
  __SetDefRenderOnePixel();
  EXPECT_GT(touched[0], 30u) << "the flat triangle's edges";
  EXPECT_EQ(touched[1], 0u) << "steps of under a pixel";
}

// The step is 4 over the longer of the legs from P2: for P0 (32, 0), P1 (0, 8), P2 (0, 0)
// lying flat, 4 / 32 = 1/8, so every edge is eight straight segments, each walked one
// pixel a step without quality: edge 0 (P2 to P1) eight of 1 + 1 pixels, edge 1 (P2 to P0)
// eight of 4 + 1, edge 2 (P0 to P1) eight of 4 + 1, 96 shaded pixels in all. With P0 and P1
// the other way round the longer leg is P1's, and with x and y exchanged it runs down the
// image: the count is the same each time.
TEST_F(LineModes, WireStepIsFourOverTheLongerLeg) {
  _Quality = 0;
  for (bool swapped : {false, true})
    for (bool down : {false, true}) {
      std::vector<__Point3ds> v = {Vertex(32, 0, 0), Vertex(0, 8, 0), Vertex(0, 0, 0)};
      if (swapped) std::swap(v[0], v[1]);
      if (down)
        for (__Point3ds& p : v) std::swap(p.x, p.y);
      __Triangle3ds t = Face(0, 1, 2);
      Image src(kSide, kSide, false), dst(kSide, kSide, false);
      RecordShaderCalls();
      TestCall(dst.data(), src.data(), &t, v.data(), 16, 16).Drive(DrawWireTriangle);
      EXPECT_EQ(RecordedCalls().size(), 16u + 40u + 40u) << swapped << down;
      for (int along = 16; along <= 48; ++along)  // the long leg
        EXPECT_NE(down ? dst.at(16, along, 3) : dst.at(along, 16, 3), 0) << along;
    }
}

// ---- The coloured outline -------------------------------------------------------------

TEST_F(LineModes, ColourOutlineSkipsBackFacesUnlessDoubleSided) {
  for (bool deep : {false, true}) {
    ResetLines(kSide, kSide, deep);
    _Quality = 1;
    const int full = deep ? 32768 : 255;
    std::vector<__Point3ds> v = {Vertex(-20, -20, 0), Vertex(20, -20, 0), Vertex(0, 20, 0)};
    __Triangle3ds front = Face(0, 1, 2), back = Face(0, 2, 1);
    ASSERT_LT(OrientationNz(v[0], v[2], v[1]), 0.0f);
    Image dst(kSide, kSide, deep);
    __DrawScenesLineColor(1.0f, 10, 20, 30, dst.data(), dst.data(), 0, 0, 0, 1, &back,
                          v.data(), 32, 32);
    EXPECT_TRUE(Touched(dst).empty());
    __DrawScenesLineColor(1.0f, 10, 20, 30, dst.data(), dst.data(), 0, 0, 0, 1, &front,
                          v.data(), 32, 32);
    EXPECT_EQ(dst.at(32, 12, 0), 10);
    EXPECT_EQ(dst.at(32, 12, 2), 30);
    EXPECT_EQ(dst.at(32, 12, 3), full);
    Image both(kSide, kSide, deep);
    _DubleSide = 1;
    __DrawScenesLineColor(1.0f, 10, 20, 30, both.data(), both.data(), 0, 0, 0, 1, &back,
                          v.data(), 32, 32);
    // Walked the other way round, the same outline give or take the walk's rounding.
    EXPECT_EQ(both.at(32, 12, 0), 10);
    EXPECT_EQ(both.at(32, 12, 3), full);
    EXPECT_NEAR(static_cast<double>(Touched(both).size()), Touched(dst).size(),
                0.1 * Touched(dst).size());
    _DubleSide = 0;
  }
}

TEST_F(LineModes, ColourOutlineWithoutQualityIsOnePixelPerStep) {
  _Quality = 0;
  std::vector<__Point3ds> v = {Vertex(0, 0, 0), Vertex(10, 0, 0), Vertex(0, 10, 0)};
  __Triangle3ds t = Face(0, 1, 2);
  ASSERT_GE(OrientationNz(v[0], v[1], v[2]), 0.0f);
  Image dst(kSide, kSide, false);
  __DrawScenesLineColor(3.0f, 255, 255, 255, dst.data(), nullptr, 0, 0, 0, 1, &t, v.data(), 5,
                        5);
  // Three edges of 11 steps, sharing their corners.
  EXPECT_EQ(Touched(dst).size(), 30u);
  EXPECT_EQ(dst.at(10, 5, 3), 255);
  // A size given for one side only is no size: the last render's holds, the same outline.
  for (int w : {0, -1}) {
    Image again(kSide, kSide, false);
    __DrawScenesLineColor(3.0f, 255, 255, 255, again.data(), nullptr, w, kSide, 0, 1, &t,
                          v.data(), 5, 5);
    EXPECT_TRUE(again == dst) << w;
  }
}

// ---- Arguments the exported calls cannot trust ----------------------------------------
// A line's half-width is held to the image's larger side whatever _WireSize or the
// outline's width says (a wide line below that is drawn as wide as asked); the outline
// writes only inside the image it is given, whatever size the last render left behind.

TEST_F(LineModes, LineWidthIsHeldToTheImage) {
  constexpr int kWide = 200, kHigh = 120;
  const struct {
    float width;
    int reach;  // rows above and below the edge that must be covered
  } kCases[] = {{100.0f, 98}, {1e9f, kHigh / 2 - 1}};
  for (const auto& c : kCases) {
    ResetLines(kWide, kHigh, false);
    _Quality = 1;
    std::vector<__Point3ds> v = {Vertex(-10, 0, 0), Vertex(10, 0, 0), Vertex(0, 0.5f, 0)};
    __Triangle3ds t = Face(0, 1, 2);
    Image dst(kWide, kHigh, false);
    __DrawScenesLineColor(c.width, 255, 255, 255, dst.data(), nullptr, kWide, kHigh, 0, 1, &t,
                          v.data(), kWide / 2, kHigh / 2);
    const int row_reach = std::min(c.reach, kHigh / 2 - 1);
    EXPECT_EQ(dst.at(kWide / 2, kHigh / 2 + row_reach, 3), 255) << c.width;
    EXPECT_EQ(dst.at(kWide / 2, kHigh / 2 - row_reach, 3), 255) << c.width;
    // Beyond the edges' ends the caps reach as far as the width: 98 columns past x = 110.
    EXPECT_EQ(dst.at(kWide / 2 + 10 + std::min(c.reach, kWide / 2 - 11), kHigh / 2, 3), 255)
        << c.width;
  }
}

TEST_F(LineModes, OutlineIntoASmallerImageStaysInsideIt) {
  ResetLines(kSide, kSide, false);  // as a 64 x 64 render leaves the engine
  _Quality = 1;
  constexpr int kSmall = 16;
  constexpr size_t kBytes = kSmall * kSmall * 4;
  std::vector<uint8_t> image(kBytes + 4096, 0xAB);  // the image, then bytes that are not
  std::fill(image.begin(), image.begin() + kBytes, 0);
  // Edges along row 4 and column 4 that run on far beyond the small image.
  std::vector<__Point3ds> v = {Vertex(-4, -4, 0), Vertex(40, -4, 0), Vertex(-4, 40, 0)};
  __Triangle3ds t = Face(0, 1, 2);
  __DrawScenesLineColor(1.0f, 10, 20, 30, image.data(), nullptr, kSmall, kSmall, 0, 1, &t,
                        v.data(), 8, 8);
  for (size_t i = kBytes; i < image.size(); ++i) ASSERT_EQ(image[i], 0xAB) << "byte " << i;
  // The edges that cross the small image are drawn in it, at its own row size.
  int drawn = 0;
  for (size_t i = 3; i < kBytes; i += 4) drawn += image[i] != 0;
  EXPECT_GT(drawn, 20);
  EXPECT_EQ(image[(8 * kSmall + 4) * 4 + 0], 10) << "the left edge at row 8";
  EXPECT_EQ(image[(4 * kSmall + 15) * 4 + 2], 30) << "the top edge at the last column";
  EXPECT_EQ(Zwidth, kSide) << "the engine's image settings are put back";
  EXPECT_EQ(_RowStride, kSide * 4);

  // An image of the last render's own size keeps that render's (padded) rows.
  constexpr int kStride = kSmall * 4 + 8;
  ResetLines(kSmall, kSmall, false);
  _Quality = 1;
  _RowStride = kStride;
  std::vector<uint8_t> padded(static_cast<size_t>(kSmall) * kStride, 0);
  __DrawScenesLineColor(1.0f, 10, 20, 30, padded.data(), nullptr, kSmall, kSmall, 0, 1, &t,
                        v.data(), 8, 8);
  EXPECT_EQ(padded[8 * kStride + 4 * 4], 10) << "the left edge at row 8, padded rows";
  // Fewer rows at the same width: still the render's padded rows.
  std::fill(padded.begin(), padded.end(), 0);
  __DrawScenesLineColor(1.0f, 10, 20, 30, padded.data(), nullptr, kSmall, kSmall - 4, 0, 1, &t,
                        v.data(), 8, 8);
  EXPECT_EQ(padded[8 * kStride + 4 * 4], 10) << "fewer rows keep the padded stride";
  for (int y = 0; y < kSmall; ++y)
    for (int i = kSmall * 4; i < kStride; ++i)
      ASSERT_EQ(padded[static_cast<size_t>(y) * kStride + i], 0) << "padding of row " << y;
}

// ---- Whole renders --------------------------------------------------------------------

class SphereLines : public EngineTest, public ::testing::WithParamInterface<int> {};

TEST_P(SphereLines, LinesInsideTheSilhouetteOnly) {
  constexpr int size = 160;
  constexpr float radius = 60.0f;
  for (bool deep : {false, true}) {
    for (int quality : {0, 1}) {
      ResetEngine(size, size, deep);
      _DrawMode = static_cast<unsigned char>(GetParam());
      _Quality = static_cast<unsigned char>(quality);
      _WireSize = 1.0f;
      Mesh mesh = LatLongSphere(radius, 12, 16);
      std::vector<light3ds> lights = {MakeLight(-200, -200, 400)};
      std::vector<material3ds> mats = {MakeMaterial(0.9f, 0.3f, 0.2f)};
      Image dst(size, size, deep), src(size, size, deep);
      __Sort(static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data());
      __RasterScene(dst.data(), src.data(), size, size, size * 4,
                    static_cast<int>(mesh.v.size()), static_cast<int>(mesh.t.size()),
                    mesh.t.data(), mesh.v.data(), size / 2, size / 2, 1, mats.data(), nullptr,
                    1, lights.data(), nullptr);
      int inside = 0, outside = 0;
      const float reach = radius + (GetParam() == 0 ? 1.0f : 2.5f);
      for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
          if (dst.at(x, y, 3) == 0) continue;
          if (hypotf(x - size / 2.0f, y - size / 2.0f) <= reach)
            ++inside;
          else
            ++outside;
        }
      EXPECT_EQ(outside, 0) << "deep " << deep << " quality " << quality;
      // Lines, not a filled disc: a good part of the disc, but far from all of it.
      const float disc = 3.1416f * radius * radius;
      EXPECT_GT(inside, 0.1f * disc) << "deep " << deep << " quality " << quality;
      EXPECT_LT(inside, 0.95f * disc) << "deep " << deep << " quality " << quality;
      // The centre of a face near the middle stays clear.
      int clear = 0;
      for (int y = size / 2 - 20; y < size / 2 + 20; ++y)
        for (int x = size / 2 - 20; x < size / 2 + 20; ++x) clear += dst.at(x, y, 3) == 0;
      EXPECT_GT(clear, 100);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(LineModes, SphereLines, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return "Mode" + std::to_string(info.param);
                         });

}  // namespace

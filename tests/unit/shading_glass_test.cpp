// The glass stage: targets per channel (bend, aberration), the tint, the single and
// footprint lookups with their fallbacks, the background rules of two-pass and
// multi-refraction renders, and a glass ball rendered over stripes.
#include <gtest/gtest.h>
#include <math.h>
#include <string.h>

#include "engine/shading/background_sample.h"
#include "engine/shading/shading_stages.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

constexpr int kW = 64, kH = 64;

class GlassStage : public EngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override { Use(GetParam()); }
  void TearDown() override {
    _OutImage = _BackCopy = nullptr;
    _GlassDepth = nullptr;
    EngineTest::TearDown();
  }
  // A fresh render state at depth `deep`: background, output, working copy and glass
  // depths as __RasterScene prepares them, single refraction and no quality.
  void Use(bool deep) {
    ResetEngine(kW, kH, deep);
    _UseMultyRefract = 0;
    bg = Image(kW, kH, deep);
    out = Image(kW, kH, deep);
    back = Image(kW, kH, deep);
    depth.assign(kW * kH, 0.0f);
    memset(depth.data(), 0xFE, depth.size() * sizeof(float));
    _OutImage = out.data();
    _BackCopy = back.data();
    _GlassDepth = depth.data();
  }
  int Max() const { return _MaxChannel; }
  // Channel value v (0..255) scaled to the current depth.
  int Level(int v) const { return v * Max() / 255; }
  float Unit(int v) const { return static_cast<float>(Level(v)) / Max(); }
  // Red, green and blue all follow x: level 4x + 8.
  void HorizontalRamp() {
    for (int y = 0; y < kH; ++y)
      for (int x = 0; x < kW; ++x)
        for (int k = 0; k < 3; ++k) bg.set(x, y, k, Level(4 * x + 8));
  }
  // Runs the stage at image position (px, py) (origin 32, 32) with diffuse `d`.
  float Run(float px, float py, __Point n, const GlassProp& g, float d[3],
            const __PrevInfo* prev = nullptr) {
    GlassPixel p{32.0f, 32.0f, px - 32.0f, py - 32.0f, 5.0f, {0.0f, 0.0f, -1.0f, 5.0f},
                 bg.data(), prev, n};
    float alpha = 1.0f;
    ApplyGlass(p, g, d, alpha);
    return alpha;
  }
  static GlassProp Glass(float optical, float refraction, float aberration) {
    GlassProp g{};
    g.glass = 1;
    g.optical = optical;
    g.refraction = refraction;
    g.aberration = aberration;
    return g;
  }
  Image bg{1, 1, false}, out{1, 1, false}, back{1, 1, false};
  std::vector<float> depth;
};

INSTANTIATE_TEST_SUITE_P(Depths, GlassStage, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& i) {
                           return i.param ? std::string("Deep") : std::string("Byte");
                         });

// Normal (-1, 0, 0) with o = 0 bends by s = -1: targets lie r_ch to the right. Without
// aberration all three channels read the same column; with 20 % they read r, 0.96 r and
// 0.9216 r away (50, 48, 46.08 from column 10.5).
TEST_P(GlassStage, AberrationSpreadsTheChannelTargets) {
  HorizontalRamp();
  float d[3] = {0.5f, 0.5f, 0.5f};
  Run(10.5f, 20.5f, {-1.0f, 0.0f, 0.0f}, Glass(0.0f, 50.0f, 0.0f), d);
  for (int ch = 0; ch < 3; ++ch) EXPECT_FLOAT_EQ(d[ch], Unit(4 * 60 + 8)) << ch;

  float e[3] = {0.5f, 0.5f, 0.5f};
  Run(10.5f, 20.5f, {-1.0f, 0.0f, 0.0f}, Glass(0.0f, 50.0f, 20.0f), e);
  EXPECT_FLOAT_EQ(e[0], Unit(4 * 60 + 8));
  EXPECT_FLOAT_EQ(e[1], Unit(4 * 58 + 8));
  EXPECT_FLOAT_EQ(e[2], Unit(4 * 56 + 8));

  // 100 %: k = 0, so green and blue are not displaced and read the pixel's own column.
  float f[3] = {0.5f, 0.5f, 0.5f};
  Run(10.5f, 20.5f, {-1.0f, 0.0f, 0.0f}, Glass(0.0f, 50.0f, 100.0f), f);
  EXPECT_FLOAT_EQ(f[0], Unit(4 * 60 + 8));
  EXPECT_FLOAT_EQ(f[1], Unit(4 * 10 + 8));
  EXPECT_FLOAT_EQ(f[2], Unit(4 * 10 + 8));
}

// The image's first column is inside: a target there is read, not refused. The normal
// (1, 0, 0) with o = 0 puts the targets r to the left of the pixel.
TEST_P(GlassStage, TargetInTheFirstColumnIsRead) {
  HorizontalRamp();
  for (float r : {10.0f, 10.4f}) {
    float d[3] = {0.5f, 0.5f, 0.5f};
    EXPECT_EQ(Run(10.5f, 20.5f, {1.0f, 0.0f, 0.0f}, Glass(0.0f, r, 0.0f), d), 1.0f) << r;
    for (float v : d) EXPECT_FLOAT_EQ(v, Unit(8)) << r;
  }
}

// With quality, a target in the last column filters with the last column itself as its
// right neighbour: every tap reads it.
TEST_P(GlassStage, TargetInTheLastColumnFiltersWithItself) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      for (int k = 0; k < 3; ++k) bg.set(x, y, k, Level(x == kW - 1 ? 200 : 100));
  _Quality = 1;
  float d[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_EQ(Run(kW - 0.75f, 20.5f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 0.0f, 0.0f), d), 1.0f);
  for (float v : d) EXPECT_NEAR(v, Unit(200), 1e-6f);
}

// No displacement when r = 0 or when the normal faces the viewer: the pixel's own
// background plus the tint D - 0.5 (clamped), whatever o and r are.
TEST_P(GlassStage, NoDisplacementShowsThePixelPlusTheTint) {
  HorizontalRamp();
  float d[3] = {0.5f, 0.5f, 0.5f};
  Run(20.5f, 7.5f, {0.0f, 0.0f, 1.0f}, Glass(0.7f, 30.0f, 10.0f), d);
  for (int ch = 0; ch < 3; ++ch) EXPECT_FLOAT_EQ(d[ch], Unit(4 * 20 + 8)) << ch;

  float t[3] = {0.7f, 0.5f, 0.0f};
  Run(20.5f, 7.5f, {0.6f, 0.0f, 0.8f}, Glass(0.3f, 0.0f, 10.0f), t);
  EXPECT_NEAR(t[0], Unit(88) + 0.2f, 1e-6f);
  EXPECT_FLOAT_EQ(t[1], Unit(88));
  EXPECT_FLOAT_EQ(t[2], 0.0f);  // 88/255 - 0.5 clamped

  bg.set(20, 7, 0, Level(200));
  float red[3] = {1.0f, 0.5f, 0.5f};
  Run(20.5f, 7.5f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 10.0f, 0.0f), red);
  EXPECT_FLOAT_EQ(red[0], 1.0f);  // 200/255 + 0.5 clamped at 1
  EXPECT_FLOAT_EQ(red[1], Unit(88));
}

// o = 0.5 and nz = 0.5 give s = -1: the offset is -(nx, ny) r. Red follows x, green y.
TEST_P(GlassStage, HalfOpticalAtHalfNzOffsetsAgainstTheNormal) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      bg.set(x, y, 0, Level(4 * x));
      bg.set(x, y, 1, Level(4 * y));
    }
  float d[3] = {0.5f, 0.5f, 0.5f};
  Run(40.5f, 40.5f, {0.6f, 0.4f, 0.5f}, Glass(0.5f, 20.0f, 0.0f), d);
  EXPECT_FLOAT_EQ(d[0], Unit(4 * 28));  // 40.5 - 12
  EXPECT_FLOAT_EQ(d[1], Unit(4 * 32));  // 40.5 - 8
}

// A target outside the image falls back to the pixel's own column or row; when that is
// outside too, the pixel becomes fully transparent. Wild targets (not a number, beyond
// the int range) count as outside rather than being converted.
TEST_P(GlassStage, TargetsOutsideFallBackOrClearTheOpacity) {
  HorizontalRamp();
  for (int quality : {0, 1}) {
    _Quality = static_cast<unsigned char>(quality);
    float d[3] = {0.5f, 0.5f, 0.5f};
    EXPECT_EQ(Run(-40.0f, 10.0f, {-1.0f, 0.0f, 0.0f}, Glass(0.0f, 20.0f, 0.0f), d), 0.0f);
    for (float v : d) EXPECT_EQ(v, 0.0f);

    for (float r : {1e30f, -1e30f, NAN}) {
      float e[3] = {0.5f, 0.5f, 0.5f};
      EXPECT_EQ(Run(12.0f, 10.0f, {-1.0f, 0.0f, 0.0f}, Glass(0.0f, r, 0.0f), e), 1.0f) << r;
      EXPECT_NEAR(e[0], Unit(4 * 12 + 8), quality ? 0.05f : 0.0f) << r;
    }
  }
}

// A target above or below the image falls back to the pixel's own row and keeps its column;
// rows are judged against the image's height. The image here is 64 wide and 40 high, red
// follows x (4x), green y (4y), blue both (2x + 2y). The normal (0, -1, 0) with o = 0
// bends by s = -1: every target lies r rows below the pixel (20.5, 30.5).
TEST_P(GlassStage, TargetsOutsideTheRowsFallBackToThePixelsRow) {
  Zheight = 40;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      bg.set(x, y, 0, Level(4 * x));
      bg.set(x, y, 1, Level(4 * y));
      bg.set(x, y, 2, Level(2 * x + 2 * y));
    }
  const __Point down{0.0f, -1.0f, 0.0f};
  struct Case {
    float r;
    int row;  // the row read: the target's, or 30 after the fallback
  };
  // 39.5 is the last row inside; 40.0 and 42.5 lie below the image; -0.5 truncates to row
  // 0, inside; -1.5 lies above.
  for (const Case c : {Case{9.0f, 39}, Case{9.5f, 30}, Case{12.0f, 30}, Case{-31.0f, 0},
                       Case{-32.0f, 30}}) {
    float d[3] = {0.5f, 0.5f, 0.5f};
    EXPECT_EQ(Run(20.5f, 30.5f, down, Glass(0.0f, c.r, 0.0f), d), 1.0f) << c.r;
    EXPECT_FLOAT_EQ(d[0], Unit(80)) << c.r;
    EXPECT_FLOAT_EQ(d[1], Unit(4 * c.row)) << c.r;
    EXPECT_FLOAT_EQ(d[2], Unit(40 + 2 * c.row)) << c.r;
  }
  // A pixel below the image whose target is below it too: nothing to show.
  float gone[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_EQ(Run(20.5f, 45.5f, down, Glass(0.0f, 12.0f, 0.0f), gone), 0.0f);

  // With quality the filter measures fy from the fallback row: 42.5 - 30 = 12.5 (fx = 0.5),
  // so the weights are 121 (taps of row 30) and 169 (row 31) on either column.
  _Quality = 1;
  float q[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_EQ(Run(20.5f, 30.5f, down, Glass(0.0f, 12.0f, 0.0f), q), 1.0f);
  const float sum = 580.0f * Max();
  EXPECT_NEAR(q[0], (290.0f * Level(80) + 290.0f * Level(84)) / sum, 1e-6f);
  EXPECT_NEAR(q[1], (242.0f * Level(120) + 338.0f * Level(124)) / sum, 1e-6f);

  // The footprint falls back row by row: from the pixel (20, 38) towards a previous target 4
  // rows below, 5 samples at steps of 0.8 read rows 38, 38, 39 and, for 40.4 and 41.2, the
  // pixel's row 38; every sample counts as covered.
  __PrevInfo prev{};
  prev.ny = -2.0f;  // normalised before use, bent downwards by s = -1
  prev.valid = 1;
  prev.x = 20.0f - 32.0f;
  prev.y = 38.0f - 32.0f;
  float f[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_EQ(Run(20.0f, 38.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 4.0f, 0.0f), f, &prev), 1.0f);
  EXPECT_NEAR(f[0], Unit(80), 1e-6f);
  EXPECT_NEAR(f[1], (4.0f * Level(152) + Level(156)) / (5.0f * Max()), 1e-6f);
  EXPECT_NEAR(f[2], (4.0f * Level(116) + Level(118)) / (5.0f * Max()), 1e-6f);

  // And at the top: from the pixel (20, 1) towards a target 4 rows above, the samples at
  // 1, 0.2, -0.6, -1.4 and -2.2 read rows 1, 0 and 0 (row 0 is inside), then the pixel's
  // row 1 twice.
  prev.ny = 2.0f;
  prev.y = 1.0f - 32.0f;
  float top[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_EQ(Run(20.0f, 1.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 4.0f, 0.0f), top, &prev), 1.0f);
  EXPECT_NEAR(top[1], (3.0f * Level(4) + 2.0f * Level(0)) / (5.0f * Max()), 1e-6f);
  EXPECT_NEAR(top[2], (3.0f * Level(42) + 2.0f * Level(40)) / (5.0f * Max()), 1e-6f);
}

// With quality, the single lookup is the four-tap filter with squared-sum weights: at
// fractions (0.25, 0.5) the weights are 1.5625, 0.5625, 1.5625, 0.5625 over 4.25.
TEST_P(GlassStage, QualitySingleLookupUsesSquaredSumWeights) {
  HorizontalRamp();
  _Quality = 1;
  float d[3] = {0.5f, 0.5f, 0.5f};
  Run(20.25f, 10.5f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 0.0f, 0.0f), d);
  const float left = static_cast<float>(Level(88)), right = static_cast<float>(Level(92));
  const float expected = (1.5625f * left + 0.5625f * right + 1.5625f * left +
                          0.5625f * right) / (4.25f * Max());
  EXPECT_NEAR(d[0], expected, 1e-5f);
}

// Footprint mode: the previous pixel at the same place with normal (-1, 0, 0) bent by this
// pixel's s = -1 targets 4 columns right, so 5 samples at steps of 0.8 are averaged.
// Partly outside the image, skipped samples count as black and lower the opacity.
TEST_P(GlassStage, FootprintAveragesBetweenTheTwoTargets) {
  HorizontalRamp();
  _Quality = 1;
  __PrevInfo prev{};
  prev.nx = -2.0f;  // normalised before use
  prev.valid = 1;
  prev.x = 10.0f - 32.0f;
  prev.y = 10.0f - 32.0f;
  float d[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_EQ(Run(10.0f, 10.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 4.0f, 0.0f), d, &prev), 1.0f);
  const int cols[5] = {10, 10, 11, 12, 13};
  float sum = 0.0f;
  for (int c : cols) sum += Level(4 * c + 8);
  for (int ch = 0; ch < 3; ++ch) EXPECT_NEAR(d[ch], sum / (5.0f * Max()), 1e-6f) << ch;

  // From column -3: samples at -3, -2.2, -1.4 fall outside (their fallback too); -0.6 and
  // 0.2 truncate to column 0.
  prev.x = -3.0f - 32.0f;
  float e[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_NEAR(Run(-3.0f, 10.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 4.0f, 0.0f), e, &prev), 0.4f,
              1e-6f);
  EXPECT_NEAR(e[0], 2.0f * Level(8) / (5.0f * Max()), 1e-6f);

  // With aberration 50 (k = 0.75) each channel's footprint is its own: red reaches 4 columns
  // (5 samples, 2 inside: 0.4), green 3 (4 samples at steps of 0.75, the last, -0.75,
  // inside: 0.25), blue 2.25 (3 samples, none inside: 0). The opacity is their mean.
  float spread[3] = {0.5f, 0.5f, 0.5f};
  EXPECT_NEAR(Run(-3.0f, 10.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 4.0f, 50.0f), spread, &prev),
              (0.4f + 0.25f + 0.0f) / 3.0f, 1e-6f);
  EXPECT_NEAR(spread[1], Level(8) / (4.0f * Max()), 1e-6f);
  EXPECT_NEAR(spread[2], 0.0f, 1e-6f);

  // Without quality, or with _DrawBackFaces 1, or an invalid previous sample: single mode.
  for (int variant = 0; variant < 3; ++variant) {
    _Quality = variant == 0 ? 0 : 1;
    _DrawBackFaces = variant == 1 ? 1 : 0;
    prev.valid = variant == 2 ? 0 : 1;
    float f[3] = {0.5f, 0.5f, 0.5f};
    EXPECT_EQ(Run(-3.0f, 10.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 4.0f, 0.0f), f, &prev), 0.0f)
        << variant;
  }
}

// The footprint takes over only beyond 2 pixels: a previous target exactly 2 columns away
// keeps the single filtered lookup; 2.5 columns away averages trunc(2.5 + 1) = 3 samples at
// steps of 2.5 / 3, columns 10, 10 and 11.
TEST_P(GlassStage, FootprintStartsBeyondTwoPixels) {
  HorizontalRamp();
  _Quality = 1;
  __PrevInfo prev{};
  prev.nx = -1.0f;
  prev.valid = 1;
  prev.x = 10.0f - 32.0f;
  prev.y = 10.0f - 32.0f;
  float d[3] = {0.5f, 0.5f, 0.5f};
  Run(10.0f, 10.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 2.0f, 0.0f), d, &prev);
  const float plane[4] = {0.0f, 0.0f, -1.0f, 5.0f};
  float alpha = 1.0f;
  const float single = SampleRefracted(5.0f, 10.0f, 10.0f, 0, 0.0f, plane, alpha, 10.0f, 10.0f,
                                       bg.data());
  EXPECT_FLOAT_EQ(d[0], single);
  float e[3] = {0.5f, 0.5f, 0.5f};
  Run(10.0f, 10.0f, {0.0f, 0.0f, 1.0f}, Glass(0.0f, 2.5f, 0.0f), e, &prev);
  EXPECT_NEAR(e[0], (2.0f * Level(48) + Level(52)) / (3.0f * Max()), 1e-6f);
  EXPECT_NE(single, e[0]);
}

// The decision is taken on red alone: a red footprint of 1.5 keeps all three channels in
// single mode even though green (k = -3 at 200 % aberration) spans 4.5 pixels.
TEST_P(GlassStage, SmallRedFootprintKeepsSingleModeForAllChannels) {
  HorizontalRamp();
  _Quality = 1;
  __PrevInfo prev{};
  prev.nx = -1.5f;
  prev.nz = 2.0f;  // unit (-0.6, 0, 0.8)
  prev.valid = 1;
  prev.x = 30.0f - 32.0f;
  prev.y = 10.0f - 32.0f;
  // The current normal (0.9, 0, 0.43589) and s = -1 (o = 0) bend by -0.9; prev by +0.6.
  const __Point n{0.9f, 0.0f, 0.43589f};
  float d[3] = {0.2f, 0.5f, 0.8f};
  EXPECT_EQ(Run(30.0f, 10.0f, n, Glass(0.0f, 1.0f, 200.0f), d, &prev), 1.0f);
  const float r[3] = {1.0f, -3.0f, 9.0f};
  const float tint[3] = {-0.3f, 0.0f, 0.3f};
  const float plane[4] = {0.0f, 0.0f, -1.0f, 5.0f};
  for (int ch = 0; ch < 3; ++ch) {
    float alpha = 1.0f;
    const float expected = SampleRefracted(5.0f, 30.0f - 0.9f * r[ch], 10.0f, ch, tint[ch],
                                           plane, alpha, 30.0f, 10.0f, bg.data());
    EXPECT_FLOAT_EQ(d[ch], expected) << ch;
  }
}

// Multi-refraction: a first lookup reads the working copy and records its depth after the
// third channel; a lookup at another depth where the output is fully drawn takes the drawn
// pixel into the working copy; a lookup at the recorded depth reads the copy.
TEST_P(GlassStage, MultiRefractionRecordsDepthsAndTakesDrawnGlassIn) {
  _UseMultyRefract = 1;
  const int o = 4 * (5 * kW + 7);
  bg.set(7, 5, 0, Level(10));
  back.set(7, 5, 0, Level(20));
  out.set(7, 5, 0, Level(30));
  out.set(7, 5, 3, Max());
  EXPECT_EQ(SampleBackground(10.0f, bg.data(), o, 0, 30.0f), Level(20));
  EXPECT_LT(depth[5 * kW + 7], -1e37f);  // not yet: red is not the last channel
  SampleBackground(10.0f, bg.data(), o, 2, 30.0f);
  EXPECT_EQ(depth[5 * kW + 7], 10.0f);

  EXPECT_EQ(SampleBackground(100.0f, bg.data(), o, 0, 30.0f), Level(30));
  EXPECT_EQ(back.at(7, 5, 0), Level(30));
  SampleBackground(100.0f, bg.data(), o, 2, 30.0f);
  EXPECT_EQ(depth[5 * kW + 7], 100.0f);
  back.set(7, 5, 0, Level(40));
  EXPECT_EQ(SampleBackground(120.0f, bg.data(), o, 0, 30.0f), Level(40));
  EXPECT_EQ(depth[5 * kW + 7], 100.0f);

  // A partly drawn output pixel is not taken in.
  out.set(7, 5, 3, Max() - 1);
  EXPECT_EQ(SampleBackground(300.0f, bg.data(), o, 0, 30.0f), Level(40));

  // Single refraction reads the background; so does a call outside a render, without
  // writing anywhere.
  _UseMultyRefract = 0;
  EXPECT_EQ(SampleBackground(500.0f, bg.data(), o, 0, 30.0f), Level(10));
  _UseMultyRefract = 1;
  _OutImage = _BackCopy = nullptr;
  _GlassDepth = nullptr;
  EXPECT_EQ(SampleBackground(500.0f, bg.data(), o, 2, 30.0f), 0.0f);
  EXPECT_EQ(SampleBackground(500.0f, bg.data(), o, 0, 30.0f), Level(10));
  EXPECT_EQ(SampleBackground(500.0f, nullptr, o, 0, 30.0f), 0.0f);
  EXPECT_EQ(depth[5 * kW + 7], 100.0f);
}

// With quality and multi-refraction each of the four taps is looked up at its own depth on
// the pixel's plane, and the last channel records it: for the plane x + 2y - z = 0 the
// taps around (7.25, 5.5) lie at depths x + 2y of their own positions, the first at z.
TEST_P(GlassStage, FourTapsRecordTheirOwnPlaneDepths) {
  _UseMultyRefract = 1;
  _Quality = 1;
  const float plane[4] = {1.0f, 2.0f, -1.0f, 0.0f};
  float alpha = 1.0f;
  for (int ch = 0; ch < 3; ++ch)
    SampleRefracted(3.0f, 7.25f, 5.5f, ch, 0.0f, plane, alpha, 7.25f, 5.5f, bg.data());
  EXPECT_EQ(depth[5 * kW + 7], 3.0f);
  EXPECT_FLOAT_EQ(depth[5 * kW + 8], 8.25f + 11.0f);
  EXPECT_FLOAT_EQ(depth[6 * kW + 7], 7.25f + 13.0f);
  EXPECT_FLOAT_EQ(depth[6 * kW + 8], 8.25f + 13.0f);
  EXPECT_EQ(alpha, 1.0f);
}

// Front pass of a two-pass render: where the back pass drew (copy alpha set), the back
// faces show through in proportion to the output's alpha; elsewhere the background.
TEST_P(GlassStage, FrontPassMixesTheBackPassByOutputCoverage) {
  _DrawBackFaces = 1;
  const int o = 4 * (3 * kW + 4);
  bg.set(4, 3, 1, Level(200));
  back.set(4, 3, 1, Level(100));
  out.set(4, 3, 3, Max() / 4);
  EXPECT_EQ(SampleBackground(0.0f, bg.data(), o, 1, 30.0f), Level(200));
  back.set(4, 3, 3, 1);
  const float f = static_cast<float>(Max() / 4) / Max();
  EXPECT_FLOAT_EQ(SampleBackground(0.0f, bg.data(), o, 1, 30.0f),
                  f * Level(100) + (1.0f - f) * Level(200));
  // During the back pass itself the ordinary rules apply.
  _DrawBackFaces1 = 1;
  EXPECT_EQ(SampleBackground(0.0f, bg.data(), o, 1, 30.0f), Level(200));
}

// A glass ball over vertical stripes, rendered through __RasterScene as the effect does:
// outside the ball the frame is the background untouched; inside, near the centre the
// stripes show straight through, further out they are displaced against the normal.
TEST(GlassRender, BallDisplacesTheStripesInsideOnly) {
  constexpr int kSize = 160;
  constexpr float kR = 60.0f, kRefraction = 12.0f;
  for (int run = 0; run < 4; ++run) {
    const bool deep = run & 1;
    ResetEngine(kSize, kSize, deep);
    _DrawMode = 6;
    _Quality = static_cast<unsigned char>(run >> 1);  // with quality: the footprint mode
    const int full = deep ? 32768 : 255;
    Image src(kSize, kSize, deep);
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const int v = (x / 8) % 2 ? full : 0;
        src.set(x, y, 0, v);
        src.set(x, y, 1, v);
        src.set(x, y, 2, v);
        src.set(x, y, 3, full);
      }
    Image dst = src;
    Mesh mesh = LatLongSphere(kR, 24, 32);
    material3ds m = MakeMaterial(0.5f, 0.5f, 0.5f);
    m.self_illumination = 1.0f;  // the pixel is the refracted colour, unlit
    m.shininess_strength = 0.0f;
    std::vector<material3ds> mats = {m};
    std::vector<light3ds> lights = {MakeLight(0.0f, 0.0f, 1000.0f)};
    GlassProp g{};
    g.glass = 1;
    g.refraction = kRefraction;
    std::vector<GlassProp> glass = {g};
    __Sort(static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data());
    __RasterScene(dst.data(), src.data(), kSize, kSize, kSize * 4,
                  static_cast<int>(mesh.v.size()), static_cast<int>(mesh.t.size()),
                  mesh.t.data(), mesh.v.data(), kSize / 2, kSize / 2, 1, mats.data(), nullptr,
                  1, lights.data(), glass.data());

    int outside_changed = 0, centre_changed = 0, ring = 0, ring_changed = 0, ring_matched = 0;
    for (int y = 0; y < kSize; ++y)
      for (int x = 0; x < kSize; ++x) {
        const float px = x + 0.5f - kSize / 2, py = y + 0.5f - kSize / 2;
        const float dist = hypotf(px, py);
        const bool changed = dst.at(x, y, 0) != src.at(x, y, 0);
        if (dist > kR + 2.0f) {
          for (int k = 0; k < 4; ++k) outside_changed += dst.at(x, y, k) != src.at(x, y, k);
        } else if (dist < 8.0f) {
          // Straight through: the same stripe (the quality filter may soften its edges).
          centre_changed += (dst.at(x, y, 0) > full / 2) != (src.at(x, y, 0) > full / 2);
        } else if (dist > 0.3f * kR && dist < 0.8f * kR) {
          // Target column x - nx r (o = 0 bends by s = -1); a pixel either side of it for
          // the interpolated normal.
          ++ring;
          ring_changed += changed;
          const int tx = static_cast<int>(x - px / kR * kRefraction);
          const int lit = dst.at(x, y, 0) > full / 2;
          for (int c = tx - 1; c <= tx + 1; ++c)
            if (c >= 0 && c < kSize && (src.at(c, y, 0) > full / 2) == lit) {
              ++ring_matched;
              break;
            }
        }
      }
    EXPECT_EQ(outside_changed, 0) << run;
    EXPECT_LT(centre_changed, 20) << run;
    EXPECT_GT(ring_changed, ring / 5) << run;
    EXPECT_GT(ring_matched, ring * 9 / 10) << run;
  }
  ResetEngine(0, 0, false);
  _Quality = 1;
}

}  // namespace

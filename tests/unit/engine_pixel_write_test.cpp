// Pixel writes with coverage and the anti-aliased edge writes, at both channel widths.
#include <gtest/gtest.h>

#include <math.h>

#include "engine/raster/pixel_write.h"
#include "engine_test_support.h"

namespace {

class PixelWrite : public ::testing::TestWithParam<bool> {
 protected:
  bool deep() const { return GetParam(); }
  EngineGlobalsGuard guard_;
};

// Channel value of a fraction of full scale, truncated as the writes store it.
int Scaled(float fraction, int max) { return static_cast<int>(fraction * static_cast<float>(max)); }

}  // namespace

// Coverage 1 replaces the colour (clamped) and sets full alpha over anything.
TEST_P(PixelWrite, FullCoverageReplacesAndClamps) {
  TestImage img(4, 4, deep());
  int m = img.max();
  img.set_pixel(1, 1, 10, 20, 30, 40);
  PlotPixel(img.image(), m * 2.0f, -5, m * 0.5f, 1, 1, 1.0f);
  EXPECT_EQ(img.at(1, 1, 0), m);  // 300 in 8-bit becomes 255; 16-bit stops at 32768
  EXPECT_EQ(img.at(1, 1, 1), 0);
  EXPECT_EQ(img.at(1, 1, 2), Scaled(0.5f, m));
  EXPECT_EQ(img.at(1, 1, 3), m);
}

TEST_P(PixelWrite, ValuesAboveFullScaleStopThere) {
  TestImage img(2, 1, deep());
  PlotPixel(img.image(), 300, 40000, 70000, 0, 0, 1.0f);
  EXPECT_EQ(img.at(0, 0, 0), deep() ? 300 : 255);
  EXPECT_EQ(img.at(0, 0, 1), deep() ? 32768 : 255);
  EXPECT_EQ(img.at(0, 0, 2), img.max());
}

// Over an empty pixel a partial coverage keeps the full colour and goes into alpha alone.
TEST_P(PixelWrite, PartialCoverageOverEmptyPixelKeepsFullColour) {
  TestImage img(2, 2, deep());
  int m = img.max();
  PlotPixel(img.image(), 100, 50, 25, 0, 1, 0.25f);
  EXPECT_EQ(img.at(0, 1, 0), 100);
  EXPECT_EQ(img.at(0, 1, 1), 50);
  EXPECT_EQ(img.at(0, 1, 2), 25);
  EXPECT_EQ(img.at(0, 1, 3), deep() ? 8192 : 63);
  EXPECT_EQ(img.at(0, 1, 3), Scaled(0.25f, m));
}

// Over a covered pixel the colour blends by coverage; alpha keeps the larger value.
TEST_P(PixelWrite, PartialCoverageBlendsOverCoveredPixel) {
  TestImage img(2, 2, deep());
  int alpha = deep() ? 200 * 128 : 200;
  img.set_pixel(1, 0, 200, 40, 0, alpha);
  PlotPixel(img.image(), 0, 200, 100, 1, 0, 0.25f);
  EXPECT_EQ(img.at(1, 0, 0), 150);  // 0.25 * 0 + 0.75 * 200
  EXPECT_EQ(img.at(1, 0, 1), 80);   // 0.25 * 200 + 0.75 * 40
  EXPECT_EQ(img.at(1, 0, 2), 25);
  EXPECT_EQ(img.at(1, 0, 3), alpha);
  // A larger coverage raises alpha to coverage * full scale.
  PlotPixel(img.image(), 0, 0, 0, 1, 0, 0.9f);
  EXPECT_EQ(img.at(1, 0, 3), Scaled(0.9f, img.max()));
}

// No coverage (zero, negative, not a number) leaves the pixel; so do positions outside
// the image.
TEST_P(PixelWrite, NoCoverageOrOutsideWritesNothing) {
  TestImage img(3, 2, deep());
  img.set_pixel(1, 1, 1, 2, 3, 4);
  for (float k : {0.0f, -0.5f, NAN}) PlotPixel(img.image(), 99, 99, 99, 1, 1, k);
  EXPECT_EQ(img.at(1, 1, 0), 1);
  EXPECT_EQ(img.at(1, 1, 3), 4);
  for (int p : {-1, 3, 100}) PlotPixel(img.image(), 99, 99, 99, p, 0, 1.0f);
  PlotPixel(img.image(), 99, 99, 99, 0, 2, 1.0f);
  PlotPixel(img.image(), 99, 99, 99, 0, -1, 1.0f);
  EXPECT_EQ(img.covered(), 1);
  PlotPixel(OutputImage(nullptr), 99, 99, 99, 0, 0, 1.0f);  // no image: nothing to do
}

TEST_P(PixelWrite, ChannelAccessFollowsTheDepth) {
  TestImage img(2, 1, deep());
  WriteChannel(img.data(), 5, deep() ? 30000 : 200);
  EXPECT_EQ(img.at(1, 0, 1), deep() ? 30000 : 200);
  EXPECT_EQ(ReadChannel(img.data(), 5), deep() ? 30000 : 200);
  // Only the low byte or word is stored.
  WriteChannel(img.data(), 0, deep() ? 0x12345 : 0x1FF);
  EXPECT_EQ(ReadChannel(img.data(), 0), deep() ? 0x2345 : 0xFF);
}

// Coverage from the signed distance to an edge's line; A*x + B*y + C < 0 is the inside.
namespace {

// The edge from (5, 0) to (5, 10): the line x = 5, inside (negative side) at x < 5.
EdgeSegment VerticalEdge() { return MakeEdgeSegment(5, 0, 5, 10); }

// Alpha left by a write of coverage factor f = 0.5 at (x, 4) over an empty image.
int AlphaAt(float x, unsigned char mode, bool deep, bool segment) {
  TestImage img(12, 12, deep);
  _DrawMode = mode;
  EdgeSegment e = VerticalEdge();
  if (segment) {
    PlotBySegmentDistance(img.image(), 10, 10, 10, e, x, 4, 1.0f, 0.5f, nullptr);
  } else {
    PlotByLineDistance(img.image(), 10, 10, 10, e, x, 4, 1.0f, 0.5f, nullptr);
  }
  return img.at(static_cast<int>(x), 4, 3);
}

}  // namespace

TEST_P(PixelWrite, EdgeSideIsNegativeInside) {
  EdgeSegment e = VerticalEdge();
  EXPECT_LT(e.a * 4 + e.b * 4 + e.c, 0);
  EXPECT_GT(e.a * 6 + e.b * 4 + e.c, 0);
}

// Filled modes (_DrawMode > 2): 0.3 outside gets 0.7 f, 0.3 inside gets f, 0.7 inside
// gets nothing (the interior draws it), and so does exactly 0.5 inside. Line modes use |t|:
// 0.7 f, 0.7 f, 0.3 f.
TEST_P(PixelWrite, LineDistanceCoverageInFilledAndLineModes) {
  const int m = deep() ? 32768 : 255;
  // Pixel positions are integers in use; fractional ones measure the rule exactly, and
  // the write lands on the truncated pixel.
  struct Case {
    float x;
    unsigned char mode;
    float coverage;
  } cases[] = {
      {5.3f, 6, 0.7f}, {4.7f, 6, 1.0f}, {4.3f, 6, 0.0f}, {4.5f, 6, 0.0f},
      {5.3f, 3, 0.7f}, {4.3f, 8, 0.0f},
      {5.3f, 1, 0.7f}, {4.7f, 1, 0.7f}, {4.3f, 2, 0.3f}, {4.3f, 0, 0.3f},
  };
  for (const Case& c : cases) {
    for (bool segment : {false, true}) {
      int expected = Scaled(c.coverage * 0.5f, m);
      EXPECT_NEAR(AlphaAt(c.x, c.mode, deep(), segment), expected, deep() ? 3 : 1)
          << "x " << c.x << " mode " << int(c.mode) << " segment " << segment;
    }
  }
}

// Beyond an end of the segment coverage falls off with the distance to the end point:
// the ends are round, not square.
TEST_P(PixelWrite, SegmentEndsAreRound) {
  TestImage img(20, 20, deep());
  _DrawMode = 1;
  EdgeSegment e = MakeEdgeSegment(2, 5, 10, 5);  // horizontal, from x = 2 to x = 10
  // Straight past the end: distance 0.5 -> coverage 0.5.
  PlotBySegmentDistance(img.image(), 1, 1, 1, e, 10.5f, 5, 1.0f, 1.0f, nullptr);
  EXPECT_EQ(img.at(10, 5, 3), Scaled(0.5f, img.max()));
  // Diagonally past the end at (10.6, 5.6): the distance to the line is 0.6, but to the
  // end point 0.85 -> coverage 0.15, where a square end would give 0.4.
  float expected = 1.0f - sqrtf(0.6f * 0.6f + 0.6f * 0.6f);
  TestImage img2(20, 20, deep());
  PlotBySegmentDistance(img2.image(), 1, 1, 1, e, 11.6f, 4.4f, 1.0f, 1.0f, nullptr);
  EXPECT_EQ(img2.covered(), 0);  // 1.6 from the end: beyond the half-width
  PlotBySegmentDistance(img2.image(), 1, 1, 1, e, 10.6f, 5.6f, 1.0f, 1.0f, nullptr);
  EXPECT_NEAR(img2.at(10, 5, 3), Scaled(expected, img2.max()), deep() ? 8 : 1);
  // Within the segment's span the line distance rules: 0.6 from the line -> 0.4.
  PlotBySegmentDistance(img2.image(), 1, 1, 1, e, 6, 5.6f, 1.0f, 1.0f, nullptr);
  EXPECT_NEAR(img2.at(6, 5, 3), Scaled(0.4f, img2.max()), deep() ? 8 : 1);
}

// A pixel level with an end of a horizontal or vertical segment still lies along it: the
// line's distance and the filled modes' inside rule apply, not the round end. For the
// segment y = 5.3 from x = 2 to 10, the pixels (2, 6) and (10, 6) lie 0.7 inside and get
// nothing (a round end would give them 0.3); for x = 5.3 from y = 2 to 10, (5, 2) and
// (5, 10) lie 0.3 inside and are fully covered (a round end: 0.7).
TEST_P(PixelWrite, PixelsLevelWithAnEndFollowTheLine) {
  _DrawMode = 6;
  TestImage img(20, 20, deep());
  const EdgeSegment across = MakeEdgeSegment(2, 5.3f, 10, 5.3f);
  const EdgeSegment down = MakeEdgeSegment(5.3f, 2, 5.3f, 10);
  for (float x : {2.0f, 10.0f})
    PlotBySegmentDistance(img.image(), 1, 1, 1, across, x, 6, 1.0f, 1.0f, nullptr);
  EXPECT_EQ(img.covered(), 0);
  for (float y : {2.0f, 10.0f}) {
    PlotBySegmentDistance(img.image(), 1, 1, 1, down, 5, y, 1.0f, 1.0f, nullptr);
    EXPECT_EQ(img.at(5, static_cast<int>(y), 3), img.max()) << y;
  }
}

// Lines (half-width 1) spread a tent of coverage across the rows they pass: whatever the
// line's sub-pixel position, each column's coverage adds up to one full pixel, so a line
// keeps the same weight as it moves (no beading).
TEST_P(PixelWrite, LineCoveragePerColumnIsOnePixelAtAnyOffset) {
  _DrawMode = 1;
  for (float y0 : {5.0f, 5.25f, 5.5f, 5.8f}) {
    TestImage img(12, 12, deep());
    EdgeSegment e = MakeEdgeSegment(0, y0, 11, y0);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 12; ++x) {
        PlotBySegmentDistance(img.image(), 9, 9, 9, e, x, y, 1, 1, nullptr);
      }
    }
    for (int x = 1; x < 11; ++x) {
      int sum = 0;
      for (int y = 0; y < 12; ++y) sum += img.at(x, y, 3);
      EXPECT_NEAR(sum, img.max(), 2) << "line at " << y0 << ", column " << x;
    }
  }
}

// A segment shorter than 0.1 pixel writes nothing, but still gives the depth back.
TEST_P(PixelWrite, TinySegmentWritesNothingButRestoresDepth) {
  TestImage img(4, 4, deep());
  float cells[16];
  for (float& c : cells) c = 0;
  __SetZBuff(cells, 4, 4);
  cells[5] = 9;  // as a depth test at (1, 1) left it
  DepthRestore restore = {-3.0f, 5};
  EdgeSegment tiny = MakeEdgeSegment(1, 1, 1.05f, 1.05f);
  PlotBySegmentDistance(img.image(), 50, 50, 50, tiny, 1, 1, 1.0f, 1.0f, &restore);
  EXPECT_EQ(img.covered(), 0);
  EXPECT_EQ(cells[5], -3.0f);
  __SetZBuff(nullptr, 0, 0);
}

// Fringe writes give the z-buffer cell its old depth back on every path: drawn, not
// drawn, inside or beyond the segment.
TEST_P(PixelWrite, EdgeWritesRestoreDepth) {
  TestImage img(12, 12, deep());
  float cells[144];
  for (float& c : cells) c = 100;
  __SetZBuff(cells, 12, 12);
  Zwidth = 12;
  Zheight = 12;
  _DrawMode = 6;
  EdgeSegment e = VerticalEdge();
  const float xs[] = {5.3f, 4.3f, 5.0f};
  const float ys[] = {4.0f, 4.0f, 11.5f};
  for (int i = 0; i < 3; ++i) {
    int cell = 4 * 12 + i;
    DepthRestore restore = {-7.0f - i, cell};
    PlotBySegmentDistance(img.image(), 1, 2, 3, e, xs[i], ys[i], 1.0f, 1.0f, &restore);
    EXPECT_EQ(cells[cell], -7.0f - i);
  }
  DepthRestore restore = {-1.0f, 0};
  PlotByLineDistance(img.image(), 1, 2, 3, e, 9, 9, 1.0f, 1.0f, &restore);
  EXPECT_EQ(cells[0], -1.0f);
  PlotByLineDistance(img.image(), 1, 2, 3, e, 9, 9, 1.0f, 1.0f, nullptr);  // none asked
  EXPECT_EQ(cells[0], -1.0f);
  __SetZBuff(nullptr, 0, 0);
}

// Four neighbouring pixels at full coverage are written at once; each channel must come out
// as the one-pixel write makes it (not a number, -0, negatives, fractions just under a
// level, full scale and beyond, infinity), over whatever the pixels held. Groups that are
// not four neighbours inside the row, or not at full coverage, take the one-pixel rule.
TEST_P(PixelWrite, RowOfFourMatchesOnePixelAtATime) {
  const float m = static_cast<float>(deep() ? 32768 : 255);
  const float nan = nanf("");
  const float c0[4] = {nan, -0.0f, -7.5f, 0.999f};
  const float c1[4] = {m - 0.01f, m, m + 1.0f, INFINITY};
  const float c2[4] = {1.5f, 100.25f, m * 0.5f, -INFINITY};
  struct Case {
    int x[4];
    float k;
  };
  const Case cases[] = {{{2, 3, 4, 5}, 1.0f},   // four neighbours: written at once
                        {{0, 1, 2, 3}, 1.0f},   // from the first column
                        {{4, 5, 6, 7}, 1.0f},   // to the last column
                        {{5, 6, 7, 8}, 1.0f},   // the last one outside the row
                        {{-1, 0, 1, 2}, 1.0f},  // the first one outside the row
                        {{1, 2, 4, 5}, 1.0f},   // not neighbours
                        {{3, 4, 6, 6}, 1.0f},   // a column twice: the last write holds
                        {{2, 3, 4, 5}, 0.5f}};  // partial coverage blends
  for (const Case& c : cases) {
    // Row 0 is written: a pixel past its end would land on row 1.
    TestImage one(8, 2, deep()), four(8, 2, deep());
    for (TestImage* img : {&one, &four})
      for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 8; ++x) img->set_pixel(x, y, 7 * x, 11 + y, 13 * x, x % 2 ? 200 : 0);
    for (int k = 0; k < 4; ++k) PlotPixel(one.image(), c0[k], c1[k], c2[k], c.x[k], 0, c.k);
    PlotRow(four.image(), c0, c1, c2, c.x, 4, 0, c.k);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 8; ++x)
        for (int k = 0; k < 4; ++k)
          ASSERT_EQ(four.at(x, y, k), one.at(x, y, k))
              << "pixel " << x << "," << y << " channel " << k << " group from " << c.x[0];
  }
  // The first case by value: the clamps of a full-coverage write.
  TestImage img(8, 2, deep());
  const int four_x[4] = {2, 3, 4, 5};
  PlotRow(img.image(), c0, c1, c2, four_x, 4, 1, 1.0f);
  const int full = img.max();
  const int red[4] = {0, 0, 0, 0}, green[4] = {full - 1, full, full, full};
  const int blue[4] = {1, 100, full / 2, 0};
  for (int j = 0; j < 4; ++j) {
    EXPECT_EQ(img.at(2 + j, 1, 0), red[j]);
    EXPECT_EQ(img.at(2 + j, 1, 1), green[j]);
    EXPECT_EQ(img.at(2 + j, 1, 2), blue[j]);
    EXPECT_EQ(img.at(2 + j, 1, 3), full);
  }
  EXPECT_EQ(img.covered(), 4);
}

// A row writes its `count` pixels and no more, also when the columns past them (a batch's
// lanes left from before) would make up four neighbours with the last ones.
TEST_P(PixelWrite, RowWritesOnlyItsCountOfPixels) {
  const float c0[8] = {10, 20, 30, 40, 50, 60, 70, 80};
  const float c1[8] = {5, 5, 5, 5, 5, 5, 5, 5}, c2[8] = {9, 9, 9, 9, 9, 9, 9, 9};
  const int xs[8] = {0, 1, 2, 3, 4, 5, 6, 7};
  for (int count = 1; count <= 7; ++count) {
    TestImage img(8, 1, deep());
    PlotRow(img.image(), c0, c1, c2, xs, count, 0, 1.0f);
    EXPECT_EQ(img.covered(), count) << "count " << count;
    for (int x = 0; x < count; ++x) EXPECT_EQ(img.at(x, 0, 0), 10 * (x + 1)) << x;
  }
}

// Pixels at coverages of their own, anywhere in the image, written in one call: each the
// very write of PlotPixel, over empty and covered pixels, at coverage 1, partial, 0, negative
// and not a number, with colours in range, beyond it and not numbers; in 16 bits also with
// the channel range at the type's own limit. Pixels just outside the image on any side are
// skipped: the buffers hold a row below the image, which must stay as it was.
TEST_P(PixelWrite, EachPixelAtItsOwnCoverageMatchesOnePixelAtATime) {
  const int saved_max = _MaxChannel;
  const float nan = nanf("");
  uint32_t seed = 99;
  auto next = [&seed](int n) {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<int>((seed >> 8) % static_cast<uint32_t>(n));
  };
  int blends = 0, fills = 0, fulls = 0;
  for (int max : {deep() ? 32768 : 255, deep() ? 65535 : 255, 0}) {
    for (int round = 0; round < 200; ++round) {
      TestImage one(6, 4, deep()), each(6, 4, deep());
      Zheight = 3;  // row 3 lies outside the image
      _MaxChannel = max;
      // With a channel range of 0 (a stray setting) every write clears its pixel, so the
      // pixels start with values of an 8-bit range there, for the clearing to show.
      const int top = max > 0 ? max : 255;
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x) {
          const int a = next(3) == 0 ? 0 : next(top + 1);
          const int r = next(top + 1), g = next(top + 1), b = next(top + 1);
          one.set_pixel(x, y, r, g, b, a);
          each.set_pixel(x, y, r, g, b, a);
        }
      float c0[8], c1[8], c2[8], k[8];
      int xs[8], ys[8];
      for (int j = 0; j < 8; ++j) {
        const float colours[] = {static_cast<float>(next(max + 1)) + 0.37f, -3.0f,
                                 static_cast<float>(max) + 9.5f, nan, 0.999f};
        c0[j] = colours[next(5)], c1[j] = colours[next(5)], c2[j] = colours[next(5)];
        const float kinds[] = {1.0f, 0.0f, -0.5f, nan, 0.25f, 0.999f,
                               static_cast<float>(next(1000)) / 1000.0f};
        k[j] = kinds[next(7)];
        xs[j] = next(8) - 1;  // sometimes outside the row
        ys[j] = next(8) == 0 ? 4 * next(2) - 1 : next(3);  // sometimes row -1 or 3
        const int a = one.at(xs[j] < 0 || xs[j] > 5 ? 0 : xs[j], ys[j] < 0 ? 0 : ys[j], 3);
        blends += k[j] > 0 && k[j] < 1 && a != 0;
        fills += k[j] > 0 && k[j] < 1 && a == 0;
        fulls += k[j] == 1;
      }
      for (int j = 0; j < 8; ++j) PlotPixel(one.image(), c0[j], c1[j], c2[j], xs[j], ys[j], k[j]);
      PlotEach(each.image(), c0, c1, c2, xs, ys, k, 8);
      for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
          for (int ch = 0; ch < 4; ++ch)
            ASSERT_EQ(each.at(x, y, ch), one.at(x, y, ch))
                << "max " << max << " round " << round << " pixel " << x << "," << y
                << " channel " << ch;
    }
  }
  _MaxChannel = saved_max;
  EXPECT_GT(blends, 300);
  EXPECT_GT(fills, 100);
  EXPECT_GT(fulls, 300);
}

INSTANTIATE_TEST_SUITE_P(Depths, PixelWrite, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? std::string("Sixteen") : std::string("Eight");
                         });

// The anti-aliasing pass visits only the columns near an edge's line when nothing else can
// change: that is exact only if every pixel the edge write would cover lies in the window.
// Checked over many segments (steep, shallow, horizontal, vertical, tiny, far out), for the
// filled modes' one-sided rule and the line modes' two-sided rule, with the pass's margin and
// the fringes' narrower one.
#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"
#include "engine/raster/segment_lanes.h"
#include "engine/raster/triangle_walk.h"

namespace {

struct Lcg {
  uint32_t s = 12345;
  float Next(float lo, float hi) {
    s = s * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(s >> 8) / 16777216.0f;
  }
};

int CoveredOutsideWindow(const EdgeSegment& seg, double reach) {
  int missed = 0;
  const int x0 = static_cast<int>(std::min(seg.x1, seg.x2)) - 4;
  const int x1 = static_cast<int>(std::max(seg.x1, seg.x2)) + 4;
  const int y0 = static_cast<int>(std::min(seg.y1, seg.y2)) - 4;
  const int y1 = static_cast<int>(std::max(seg.y1, seg.y2)) + 4;
  for (int y = y0; y <= y1; ++y) {
    int c0 = x0, c1 = x1;
    triangle_walk::NearLine(seg, y, c0, c1, reach);
    for (int x = x0; x <= x1; ++x) {
      const bool covered =
          SegmentCoverage(seg, static_cast<float>(x), static_cast<float>(y), 1.0f) != 0;
      if (covered && (x < c0 || x > c1)) ++missed;
    }
  }
  return missed;
}

TEST(EdgeWindow, EveryCoveredPixelLiesInTheWindow) {
  const unsigned char saved = _DrawMode;
  Lcg r;
  for (unsigned char mode : {6, 1}) {
    _DrawMode = mode;
    for (int i = 0; i < 3000; ++i) {
      float cx = r.Next(-50.0f, 5000.0f), cy = r.Next(-50.0f, 3000.0f);
      if (i % 17 == 0) cx = r.Next(-4e5f, 4e5f), cy = r.Next(-4e5f, 4e5f);  // far out
      const float span = i % 3 == 0 ? 0.3f : (i % 3 == 1 ? 8.0f : 90.0f);
      float dx = r.Next(-span, span), dy = r.Next(-span, span);
      if (i % 7 == 0) dy = 0.0f;  // horizontal
      if (i % 11 == 0) dx = 0.0f;  // vertical
      if (i % 13 == 0) dy = r.Next(-0.01f, 0.01f);  // almost horizontal
      const EdgeSegment seg = MakeEdgeSegment(cx, cy, cx + dx, cy + dy);
      // A wide window and the one the walk uses.
      for (double reach : {2.0, triangle_walk::kEdgeReach})
        ASSERT_EQ(CoveredOutsideWindow(seg, reach), 0)
            << "mode " << int(mode) << " segment " << cx << "," << cy << " + " << dx << ","
            << dy << " reach " << reach;
    }
  }
  _DrawMode = saved;
}

// The coverage of four pixels of a row at once is, lane by lane, bit for bit the one-pixel
// coverage: steep, shallow, axis-parallel, nearly parallel and tiny segments, pixels on the
// segment, beyond its ends and far off, in the filled and the line modes.
TEST(EdgeWindow, FourPixelCoverageIsTheOnePixelCoverage) {
  const unsigned char saved = _DrawMode;
  Lcg r;
  int covered = 0, ends = 0;
  for (unsigned char mode : {6, 1}) {
    _DrawMode = mode;
    for (int i = 0; i < 4000; ++i) {
      const float cx = r.Next(-20.0f, 200.0f), cy = r.Next(-20.0f, 200.0f);
      const float span = i % 3 == 0 ? 0.3f : (i % 3 == 1 ? 6.0f : 60.0f);
      float dx = r.Next(-span, span), dy = r.Next(-span, span);
      if (i % 7 == 0) dy = 0.0f;
      if (i % 11 == 0) dx = 0.0f;
      if (i % 13 == 0) dx = r.Next(-1e-5f, 1e-5f);
      const EdgeSegment seg = MakeEdgeSegment(cx, cy, cx + dx, cy + dy);
      const float y = i % 2 ? std::floor(cy + r.Next(-3.0f, 3.0f)) : cy + r.Next(-3.0f, 3.0f);
      float xs[4];
      const float x0 = std::floor(cx + dx * r.Next(-0.3f, 1.3f)) - 1.0f;
      for (int j = 0; j < 4; ++j) xs[j] = x0 + static_cast<float>(j) + (i % 5 == 0 ? 0.37f : 0.0f);
      float four[4];
      SegmentCoverageFour(seg, xs, y, 1.0f, four);
      for (int j = 0; j < 4; ++j) {
        const float one = SegmentCoverage(seg, xs[j], y, 1.0f);
        ASSERT_EQ(memcmp(&one, &four[j], sizeof(float)), 0)
            << "mode " << int(mode) << " segment " << cx << "," << cy << " + " << dx << ","
            << dy << " pixel " << xs[j] << "," << y << ": " << one << " vs " << four[j];
        covered += one > 0.0f && one < 1.0f;
        ends += one > 0.0f &&
                (xs[j] < std::min(seg.x1, seg.x2) || xs[j] > std::max(seg.x1, seg.x2));
      }
    }
  }
  _DrawMode = saved;
  EXPECT_GT(covered, 1000) << "partial coverages, not only 0 and 1";
  EXPECT_GT(ends, 100) << "pixels covered beyond the segment's ends";
}

// The lanes the four-pixel coverage names as covered are exactly those whose coverage is not
// 0, whether the row runs along the segment or past one of its ends.
TEST(EdgeWindow, FourPixelCoverageNamesTheCoveredLanes) {
  const unsigned char saved = _DrawMode;
  _DrawMode = 6;
  Lcg r;
  int masks_seen[16] = {};
  for (int i = 0; i < 4000; ++i) {
    const float cx = r.Next(0.0f, 100.0f), cy = r.Next(0.0f, 100.0f);
    float dx = r.Next(-30.0f, 30.0f), dy = i % 9 == 0 ? 0.0f : r.Next(-30.0f, 30.0f);
    if (i % 10 == 0) dx = r.Next(-0.07f, 0.07f), dy = r.Next(-0.07f, 0.07f);  // covers nothing
    const EdgeSegment seg = MakeEdgeSegment(cx, cy, cx + dx, cy + dy);
    const float y = std::floor(cy + dy * r.Next(-0.2f, 1.2f));
    const float x0 = std::floor(cx + dx * r.Next(-0.2f, 1.2f)) - 2.0f;
    const float xs[4] = {x0, x0 + 1.0f, x0 + 2.0f, x0 + 3.0f};
    float four[4];
    const int mask = SegmentCoverageFour(seg, xs, y, 1.0f, four);
    int expected = 0;
    for (int j = 0; j < 4; ++j) expected |= (four[j] != 0.0f) << j;
    ASSERT_EQ(mask, expected) << "segment " << cx << "," << cy << " + " << dx << "," << dy;
    ++masks_seen[mask];
  }
  _DrawMode = saved;
  EXPECT_GT(masks_seen[0], 100) << "rows that miss the edge";
  int mixed = 0;
  for (int m = 1; m < 15; ++m) mixed += masks_seen[m];
  EXPECT_GT(mixed, 500) << "rows the edge crosses";
}

// The terms of a segment are taken again for any other segment: each of its line's terms and
// end points tells two segments apart.
TEST(EdgeWindow, SegmentTermsAreKeptForTheirOwnSegmentOnly) {
  const EdgeSegment seg = MakeEdgeSegment(10.0f, 20.0f, 40.5f, 7.25f);
  EXPECT_TRUE(SameSegment(seg, seg));
  for (int field = 0; field < 7; ++field) {
    EdgeSegment other = seg;
    float* const f[7] = {&other.a, &other.b, &other.c, &other.x1, &other.y1, &other.x2, &other.y2};
    *f[field] += 0.5f;
    EXPECT_FALSE(SameSegment(seg, other)) << "field " << field;
    EXPECT_FALSE(SameSegment(other, seg)) << "field " << field;
  }
}

// The window does narrow: a long diagonal edge's rows keep only a few columns.
TEST(EdgeWindow, LongEdgesKeepFewColumnsARow) {
  const EdgeSegment seg = MakeEdgeSegment(100.0f, 100.0f, 300.0f, 180.0f);
  int c0 = 90, c1 = 310;
  triangle_walk::NearLine(seg, 140, c0, c1, 2.0);
  EXPECT_LE(c1 - c0, 12);
  EXPECT_LE(c0, 200);
  EXPECT_GE(c1, 200);
  // The fringes' window: 2 x 1.25 pixels across the line, 6.7 columns at this slope.
  c0 = 90, c1 = 310;
  triangle_walk::NearLine(seg, 140, c0, c1, triangle_walk::kEdgeReach);
  EXPECT_LE(c1 - c0, 8);
  EXPECT_GE(c1 - c0, 6);
  const EdgeSegment dot = MakeEdgeSegment(5.0f, 5.0f, 5.05f, 5.0f);  // l2 <= 0.01: no cover
  c0 = 0, c1 = 10;
  triangle_walk::NearLine(dot, 5, c0, c1, 2.0);
  EXPECT_LT(c1, c0);
}

// A row's interior ends where the column-by-column search ends: the first column from
// `start` on outside the right edge (Phong: x < xr inside, flat: x <= xr), at most last + 1.
// Checked for edges between columns, on a column, before the start, past the last column,
// at the float limits and not a number.
template <bool kPhong>
int InteriorEndByColumns(float xr, int start, int last) {
  int end = start;
  while (end <= last && (kPhong ? end < xr : end <= xr)) ++end;
  return end;
}

TEST(EdgeWindow, InteriorEndIsTheFirstColumnOutsideTheRightEdge) {
  const float inf = std::numeric_limits<float>::infinity();
  const float edges[] = {-inf, -1e30f, -3.5f, -2.0f, -0.25f, 0.0f, 0.5f, 7.0f, 7.0001f,
                         12.999f, 13.0f, 13.5f, 40.0f, 41.0f, 41.5f, 1e30f, inf,
                         std::numeric_limits<float>::quiet_NaN()};
  int compared = 0;
  for (float xr : edges)
    for (int start = -2; start <= 42; ++start) {
      EXPECT_EQ(triangle_walk::InteriorEnd<true>(xr, start, 40),
                InteriorEndByColumns<true>(xr, start, 40))
          << "Phong, xr " << xr << ", start " << start;
      EXPECT_EQ(triangle_walk::InteriorEnd<false>(xr, start, 40),
                InteriorEndByColumns<false>(xr, start, 40))
          << "flat, xr " << xr << ", start " << start;
      ++compared;
    }
  EXPECT_EQ(compared, 18 * 45);
  // The two rules part on an edge that falls on a column: Phong leaves it out, flat keeps it.
  EXPECT_EQ(triangle_walk::InteriorEnd<true>(13.0f, 5, 40), 13);
  EXPECT_EQ(triangle_walk::InteriorEnd<false>(13.0f, 5, 40), 14);
  Lcg lcg;
  for (int i = 0; i < 2000; ++i) {
    const float xr = lcg.Next(-5.0f, 50.0f);
    const int start = static_cast<int>(lcg.Next(-2.0f, 42.0f));
    ASSERT_EQ(triangle_walk::InteriorEnd<true>(xr, start, 40),
              InteriorEndByColumns<true>(xr, start, 40)) << xr << " " << start;
    ASSERT_EQ(triangle_walk::InteriorEnd<false>(xr, start, 40),
              InteriorEndByColumns<false>(xr, start, 40)) << xr << " " << start;
  }
}

}  // namespace

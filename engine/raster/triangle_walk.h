// The walk shared by the three triangle rasterizers (Phong, flat, solid colour): rows from
// the top vertex down along the left chain, each row as left fringe, interior and right
// fringe, plus the anti-aliasing pass around each left-chain edge. The rasterizers differ
// only in a few span rules and in what a visited pixel does; a family record supplies both:
//
//   static constexpr bool kPhongSpans;  // the Phong span rules (table below), else flat's
//   bool CoverageOnlyCorners() const;   // a corner pixel without edge coverage changes nothing
//   bool CoverageOnlyFringes() const;   // likewise a fringe pixel
//   void StartRow();                    // a row begins: the previous-pixel record resets
//                                       // (pixels held back may be written)
//   void StartPass();                   // an anti-aliasing pass begins: as StartRow, and
//                                       // every pixel held back is written first
//   void EndScan();                     // the last row is done
//   void Visit(int x, int y, PixelRole role, const EdgeSegment& edge);
//   void VisitRun(int x0, int x1, int y, PixelRole role, const EdgeSegment& edge);
//                                       // edge pixels x0 .. x1 of row y, as Visit in turn
//   void VisitInterior(int x0, int x_end, int y, const EdgeSegment& edge);  // x0 .. x_end - 1
//   void Prefetch(int x0, int x1, int y);  // edge pixels x0 .. x1 of row y will be visited
//                                          // soon (what they read may be asked for)
//
//   rule                 Phong spans                      flat spans
//   rows of an edge      trunc(y_end) < y                 y >= y_end
//   left boundary        raised to the edge's smaller x   as computed
//   left fringe          .. x <= xl + 0.5                 .. x <= xl
//   interior             .. x < xr                        .. x <= xr
//   right fringe         from trunc(xr)                   from trunc(xr + 1)
//   anti-aliasing pass   the corner box of the edge       the edge's whole box
#pragma once

#include <math.h>

#include "engine/engine.h"
#include "engine/raster/edge_segment.h"
#include "engine/raster/right_edge.h"
#include "engine/raster/triangle_setup.h"

enum class PixelRole { kCorner, kLeftFringe, kInterior, kRightFringe };

namespace triangle_walk {

// Truncation toward zero, with values far outside any image held at +-1e9 (and a value that
// is not a number taken as -1e9): the conversion to int is always defined and the walk's
// row and column steps around the result cannot overflow.
inline int Trunc(double v) {
  if (!(v > -1e9)) return -1000000000;
  if (v > 1e9) return 1000000000;
  return static_cast<int>(v);
}

// The pixels worth visiting: the image plus a two-pixel rim, so that the previous-pixel
// record of every pixel inside the image is the same as for an unbounded walk. Pixels beyond
// it could only fail the depth test or be skipped by the writes; bounding the loops keeps a
// triangle that reaches far outside the image from costing time in proportion to its size.
struct Window {
  int x0, x1, y0, y1;  // inclusive
};

inline Window WalkWindow() { return Window{-2, Zwidth + 1, -2, Zheight + 1}; }

inline int Clamp(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// The columns near an edge's line, prepared once for the edge: NearLine narrows a row's
// columns to those within `pixels` pixels of the line. An edge pixel's coverage is non-zero
// only within one pixel of it (beyond the segment's ends the distance to the nearer end is
// larger still), and a segment of l2 <= 0.01 covers nothing; the rest of `pixels` leaves
// room for the rounding of the coverage's single precision, which grows with the size of the
// edge's coordinates and is added on. Done in double; the division by the line's x term is a
// multiplication by its inverse, whose rounding is far below that room. A value that is not a
// number leaves the columns as they are.
struct NearBand {
  bool none;  // the segment covers nothing
  bool level;  // about horizontal: a row is near or far as a whole
  double b, c, reach, inv_a;
};

inline NearBand MakeNearBand(const EdgeSegment& seg, double pixels) {
  NearBand band{};
  band.none = !(seg.l2 > 0.01f);
  if (band.none) return band;
  const double size = fabs(double(seg.x1)) + fabs(double(seg.y1)) + fabs(double(seg.x2)) +
                      fabs(double(seg.y2));
  band.b = seg.b;
  band.c = seg.c;
  band.reach = (pixels + 1e-6 * size) * seg.l;
  band.level = fabs(double(seg.a)) * 1e9 < band.reach;
  band.inv_a = band.level ? 0.0 : 1.0 / double(seg.a);
  return band;
}

inline void NearLine(const NearBand& band, int y, int& col0, int& col1) {
  if (band.none) {
    col1 = col0 - 1;
    return;
  }
  const double along = band.b * y + band.c;
  if (band.level) {
    if (!(fabs(along) < band.reach)) col1 = col0 - 1;
    return;
  }
  double lo = (-along - band.reach) * band.inv_a, hi = (-along + band.reach) * band.inv_a;
  if (lo > hi) {
    const double t = lo;
    lo = hi;
    hi = t;
  }
  if (!(lo == lo) || !(hi == hi)) return;
  if (lo > col0) col0 = lo > col1 + 1.0 ? col1 + 1 : static_cast<int>(floor(lo));
  if (hi < col1) col1 = hi < col0 - 1.0 ? col0 - 1 : static_cast<int>(ceil(hi));
}

// The same for one row of a band not kept.
inline void NearLine(const EdgeSegment& seg, int y, int& col0, int& col1, double pixels) {
  NearLine(MakeNearBand(seg, pixels), y, col0, col1);
}

// How near the edge's line a corner or fringe pixel must lie to be visited when the family's
// such pixels without coverage change nothing: coverage needs less than one pixel; the
// quarter pixel beyond is margin for rounding.
constexpr double kEdgeReach = 1.25;

// The anti-aliasing pass of edge `e`: every pixel of its box is visited as an edge pixel
// (when the family's corner pixels without coverage change nothing, only those near the
// edge's line).
template <class Family>
void EdgePass(const __Point3ds* v, const EdgeEntry& e, bool final_pass, const Window& w,
              Family& family) {
  const __Point3ds& s = v[e.start];
  const __Point3ds& t = v[e.end];
  const EdgeSegment seg = MakeEdgeSegment(s.x, s.y, t.x, t.y);
  const bool flat_tall = fabsf(t.y - s.y) < 1.0f;
  int row0, row1, col0, col1;
  if (Family::kPhongSpans) {
    // Corner box around the edge's upper end (its lower end in the final pass), reaching
    // along the edge by 1.5 rows' worth of its slope.
    const double ext = flat_tall ? fabs(double(s.x) - t.x) + 1.5
                                 : 1.5 * fabs((double(s.x) - t.x) / (double(t.y) - s.y));
    const double yc = final_pass ? (s.y < t.y ? s.y : t.y) : (s.y > t.y ? s.y : t.y);
    row0 = Trunc(yc - 1.5);
    row1 = Trunc(yc + 1.5);
    if (s.x < t.x) {  // on equal x the end counts as the smaller
      col0 = Trunc(double(s.x) - 1.5);
      col1 = Trunc(double(s.x) + ext);
    } else {
      col0 = Trunc(double(s.x) - ext);
      col1 = Trunc(double(s.x) + 1.5);
    }
  } else {
    const double ext = flat_tall ? fabs(double(s.y) - t.y) + 1.5 : 1.5;
    row0 = Trunc(double(s.y < t.y ? s.y : t.y) - 1.5);
    row1 = Trunc(double(s.y > t.y ? s.y : t.y) + 1.5);
    col0 = Trunc(double(s.x < t.x ? s.x : t.x) - 1.5);
    col1 = Trunc(double(s.x > t.x ? s.x : t.x) + ext);
  }
  row0 = Clamp(row0, w.y0, w.y1 + 1);
  row1 = Clamp(row1, w.y0 - 1, w.y1);
  col0 = Clamp(col0, w.x0, w.x1 + 1);
  col1 = Clamp(col1, w.x0 - 1, w.x1);
  const bool near_only = family.CoverageOnlyCorners();
  const NearBand band = MakeNearBand(seg, kEdgeReach);
  family.StartPass();  // the pass may visit pixels already written
  // Each row's columns are found a row ahead, so that what they need can be asked for
  // while the row before them is drawn.
  int c0 = col0, c1 = col1;
  if (near_only && row0 <= row1) NearLine(band, row0, c0, c1);
  for (int y = row0; y <= row1; ++y) {
    int next0 = col0, next1 = col1;
    if (near_only && y < row1) {
      NearLine(band, y + 1, next0, next1);
      family.Prefetch(next0, next1, y + 1);
    }
    family.VisitRun(c0, c1, y, PixelRole::kCorner, seg);
    c0 = next0, c1 = next1;
  }
}

// The last column of x0 .. x1 at or before `end` (x0 - 1 when there is none, and when `end`
// is not a number).
inline int LastColumn(double end, int x0, int x1) {
  if (!(end >= x0)) return x0 - 1;
  if (end >= x1) return x1;
  return static_cast<int>(floor(end));
}

// The end of a row's interior from column `start` on: the first column at or past the right
// edge xr (Phong spans keep x < xr inside, flat spans x <= xr), at most `last` + 1. Found at
// once rather than column by column: a column compares with xr as the float it converts to,
// which is the integer itself, so the first column outside is ceil(xr) (flat: floor(xr) + 1).
// A value that is not a number ends the interior where it starts.
template <bool kPhongSpans>
inline int InteriorEnd(float xr, int start, int last) {
  const double outside = kPhongSpans ? ceil(double(xr)) : floor(double(xr)) + 1.0;
  if (!(outside > start)) return start;
  if (outside > last + 1.0) return start > last + 1 ? start : last + 1;
  return static_cast<int>(outside);
}

// The right edge's band, made again only when the right edge changes.
struct RightBand {
  bool made = false;
  EdgeSegment seg{};  // the segment it was made for
  NearBand band{};

  const NearBand& For(const EdgeSegment& right) {
    if (!made || !SameSegment(seg, right)) {
      band = MakeNearBand(right, kEdgeReach);
      made = true;
      seg = right;
    }
    return band;
  }
};

// One row of left edge i: left fringe, interior, right fringe.
template <class Family>
void ScanRow(const __Point3ds* v, const EdgeEntry* edges, int i, const EdgeSegment& left,
             const NearBand& left_band, RightBand& right_band, float slope, float xmin, int y,
             bool quality, const Window& w, Family& family) {
  const __Point3ds& s = v[edges[i].start];
  float xl = xmin;
  if (slope != 0.0f) {
    xl = s.x + (static_cast<float>(y) - s.y) * slope;
    if (Family::kPhongSpans && xl < xmin) xl = xmin;
  }
  EdgeSegment right;
  float wr = 3.0f;
  const float xr = RightEdgeAt(3, i + 1, v, edges, static_cast<float>(y), right, wr);
  float wl = fabsf(xl - (s.x + (static_cast<float>(y) - 1.0f - s.y) * slope));
  if (!(wl > 3.0f)) wl = 3.0f;

  family.StartRow();
  // The next row's left fringe lies about where the edge crosses that row.
  if (quality) {
    const float next = slope != 0.0f ? s.x + (static_cast<float>(y - 1) - s.y) * slope : xmin;
    family.Prefetch(Trunc(double(next) - 2.0), Trunc(double(next) + 1.0), y - 1);
  }
  // Where a fringe pixel without coverage changes nothing, only those near the edge's line.
  const bool near_only = quality && family.CoverageOnlyFringes();
  if (quality) {
    const double end = double(xl) + (Family::kPhongSpans ? 0.5 : 0.0);
    int x = Clamp(Trunc(double(xl) - wl), w.x0, w.x1 + 1);
    int last = LastColumn(end, x, w.x1);
    if (near_only) NearLine(left_band, y, x, last);
    family.VisitRun(x, last, y, PixelRole::kLeftFringe, left);
  }
  const int start = Clamp(quality ? Trunc(double(xl) + 1.0) : Trunc(xl), w.x0, w.x1 + 1);
  const int end = InteriorEnd<Family::kPhongSpans>(xr, start, w.x1);
  family.VisitInterior(start, end, y, left);
  if (quality) {
    const int from = Trunc(Family::kPhongSpans ? double(xr) : double(xr) + 1.0);
    const double end = double(xr) + wr;
    int x = Clamp(from, w.x0, w.x1 + 1);
    int last = LastColumn(end, x, w.x1);
    if (near_only) NearLine(right_band.For(right), y, x, last);
    family.VisitRun(x, last, y, PixelRole::kRightFringe, right);
  }
}

// The rows of left edge i; returns the row the walk stands on afterwards.
template <class Family>
int ScanEdge(const __Point3ds* v, const EdgeEntry* edges, int i, bool quality, const Window& w,
             Family& family) {
  const __Point3ds& s = v[edges[i].start];
  const __Point3ds& e = v[edges[i].end];
  const int top = Trunc(s.y);
  // Rows less than one pixel apart have no usable slope: the row takes the smaller end x.
  const float slope = fabsf(e.y - s.y) < 1.0f ? 0.0f : (e.x - s.x) / (e.y - s.y);
  const EdgeSegment seg = MakeEdgeSegment(s.x, s.y, e.x, e.y);
  const float xmin = s.x < e.x ? s.x : e.x;
  const NearBand left_band = MakeNearBand(seg, kEdgeReach);
  RightBand right_band;
  // Lowest row of the edge: above trunc(y_end) (Phong), at or above y_end (flat).
  const int lowest = Family::kPhongSpans ? Trunc(e.y) + 1 : Trunc(ceil(double(e.y)));
  for (int y = top < w.y1 ? top : w.y1; y >= lowest && y >= w.y0; --y)
    ScanRow(v, edges, i, seg, left_band, right_band, slope, xmin, y, quality, w, family);
  return top < lowest - 1 ? top : lowest - 1;
}

}  // namespace triangle_walk

// The main loop: left edges 0 and 1 in turn, each preceded by its anti-aliasing pass when
// _Quality is set, and one last pass once the walk has reached the bottom row.
template <class Family>
void WalkTriangle(const __Point3ds* v, const EdgeEntry* edges, int bottom_row, Family& family) {
  using namespace triangle_walk;
  const bool quality = _Quality != 0;
  const Window w = WalkWindow();
  bool final_pass = false;
  int i = 0;
  for (;;) {
    if (quality) {
      EdgePass(v, edges[i], final_pass, w, family);
      // An edge less than one pixel tall still owns the row it starts on: its pass covers
      // only the pixels within half a pixel of it, so the row is scanned as well (at most
      // one row, with slope 0 as without quality) before the walk moves on. Left to the
      // pass alone, the rest of that row stayed empty: pinholes where thin triangles meet.
      if (fabsf(v[edges[i].end].y - v[edges[i].start].y) < 1.0f) {
        ScanEdge(v, edges, i, quality, w, family);
        ++i;
      }
    }
    if (i >= 2) return;
    const int y = ScanEdge(v, edges, i, quality, w, family);
    ++i;
    if (y > bottom_row) continue;
    family.EndScan();
    final_pass = true;
    if (!quality) return;
  }
}

// The coverage an edge segment gives pixels, written once over the lanes of simd_lanes.h:
// the segment's terms set up once (SegmentTerms), then each pixel's distance to the line or,
// beyond the segment's ends, to the nearer end point. One lane wide it is the per-pixel
// coverage (SegmentCoverage); four lanes give four pixels of a row at once, each lane the
// very same bits.
#pragma once

#include <math.h>
#include <string.h>

#include "engine/raster/edge_segment.h"
#include "engine/shading/simd_lanes.h"

namespace segment_lanes {

// fminf and fmaxf (a value that is not a number gives way to the other); the box they make
// is only compared against, so which zero a tie of zeros gives does not matter.
inline float MinNum(float a, float b) {
  if (a != a) return b;
  if (b != b) return a;
  return a < b ? a : b;
}
inline float MaxNum(float a, float b) {
  if (a != a) return b;
  if (b != b) return a;
  return a > b ? a : b;
}

// Not a number and at most 0 give +0, above 1 gives 1.
template <class L>
typename L::V ClampUnit(typename L::V v) {
  return L::Min(L::KeepWhere(L::Greater(v, L::Zero()), v), L::Set(1.0f));
}

// The coverage by the distance to the line, `along` being a x + b y + c of the pixel: 0
// without a line (a zero-length edge); in line and wire modes (both_sides) both sides
// alike, in a filled mode up to half a pixel inside counts as on the edge and deeper pixels
// get nothing (the interior draws them).
template <class L>
typename L::V LineCover(bool has_line, bool both_sides, typename L::V along, float l, float h) {
  if (!has_line) return L::Zero();
  const typename L::V vh = L::Set(h);
  typename L::V t = L::Div(along, L::Set(l));
  if (both_sides) {
    t = L::Abs(t);
  } else {
    const auto near = L::Less(L::Neg(t), L::Set(0.5f));
    t = L::Select(L::Less(t, L::Zero()), L::ZeroWhere(near, vh), t);
  }
  return ClampUnit<L>(L::Sub(vh, t));
}

// The terms of a segment for the drawing mode (_DrawMode), in lanes of L.
template <class L>
struct SegmentTerms {
  using V = typename L::V;
  EdgeSegment seg;  // the segment they were made for
  bool covers;  // l2 > 0.01: a segment shorter than 0.1 pixel has no usable direction
  bool axis_parallel;  // a or b is 0: the foot's rounding noise is taken out
  bool only_y, only_x;  // a box thinner than 1e-4 across: only the other direction decides
  bool has_line;  // l > 0
  bool both_sides;  // line and wire modes: distances on both sides alike
  V a, b, c, l2, xmin, xmax, ymin, ymax, x1, y1, x2, y2;
};

template <class L>
SegmentTerms<L> MakeSegmentTerms(const EdgeSegment& seg, int mode) {
  SegmentTerms<L> s;
  s.seg = seg;
  s.covers = !(seg.l2 <= 0.01f);
  s.axis_parallel = seg.a == 0 || seg.b == 0;
  const float xmin = MinNum(seg.x1, seg.x2), xmax = MaxNum(seg.x1, seg.x2);
  const float ymin = MinNum(seg.y1, seg.y2), ymax = MaxNum(seg.y1, seg.y2);
  s.only_y = fabsf(xmax - xmin) < 1e-4f;
  s.only_x = !s.only_y && fabsf(ymax - ymin) < 1e-4f;
  s.has_line = seg.l > 0;
  s.both_sides = mode <= 2;
  s.a = L::Set(seg.a), s.b = L::Set(seg.b), s.c = L::Set(seg.c), s.l2 = L::Set(seg.l2);
  s.xmin = L::Set(xmin), s.xmax = L::Set(xmax), s.ymin = L::Set(ymin), s.ymax = L::Set(ymax);
  s.x1 = L::Set(seg.x1), s.y1 = L::Set(seg.y1), s.x2 = L::Set(seg.x2), s.y2 = L::Set(seg.y2);
  return s;
}

// The coverages of pixels (x[j], y[j]) at half-width h into out[0 .. L::kWidth - 1];
// returns the lanes that are not 0, lane j as bit j.
template <class L>
int Coverage(const SegmentTerms<L>& s, typename L::V x, typename L::V y, float h, float* out) {
  using V = typename L::V;
  if (!s.covers) {
    L::Store(out, L::Zero());
    return 0;
  }
  const V along = L::Add(L::Add(L::Mul(s.a, x), L::Mul(s.b, y)), s.c);
  // Foot of the perpendicular from the pixel onto the line; on an axis-parallel edge,
  // offsets below 1e-4 are rounding noise that would push the foot just off the segment's
  // zero-width box.
  const V q = L::Div(along, s.l2);
  V off_x = L::Mul(s.a, q), off_y = L::Mul(s.b, q);
  if (s.axis_parallel) {
    const V noise = L::Set(1e-4f);
    off_x = L::ZeroWhere(L::Less(L::Abs(off_x), noise), off_x);
    off_y = L::ZeroWhere(L::Less(L::Abs(off_y), noise), off_y);
  }
  const V fx = L::Sub(x, off_x), fy = L::Sub(y, off_y);
  const auto beyond_y = L::Either(L::Less(fy, s.ymin), L::Greater(fy, s.ymax));
  const auto beyond_x = L::Either(L::Greater(fx, s.xmax), L::Less(fx, s.xmin));
  const auto outside =
      s.only_y ? beyond_y : (s.only_x ? beyond_x : L::Either(beyond_x, beyond_y));
  // The distance to the line where a pixel's foot lies on the segment.
  constexpr int kAll = (1 << L::kWidth) - 1;
  const int outside_mask = L::Mask(outside);
  V cover = L::Zero();
  if (outside_mask != kAll) cover = LineCover<L>(s.has_line, s.both_sides, along, s.seg.l, h);
  if (outside_mask != 0) {
    // Beyond an end: coverage falls off with the distance to the nearer end point, so the
    // segment's ends are round.
    const auto first_nearer =
        L::Less(L::Add(L::Abs(L::Sub(fx, s.x1)), L::Abs(L::Sub(fy, s.y1))),
                L::Add(L::Abs(L::Sub(fx, s.x2)), L::Abs(L::Sub(fy, s.y2))));
    const V dx = L::Sub(x, L::Select(first_nearer, s.x1, s.x2));
    const V dy = L::Sub(y, L::Select(first_nearer, s.y1, s.y2));
    const V dist = L::Sqrt(L::Add(L::Mul(dx, dx), L::Mul(dy, dy)));
    cover = L::Select(outside, ClampUnit<L>(L::Sub(L::Set(h), dist)), cover);
  }
  L::Store(out, cover);
  return L::Mask(L::NotEqual(cover, L::Zero()));
}

using simd_lanes::RowLanes;

// Four pixels (x[j], y[j]) at RowLanes' width.
inline int CoverageOfFour(const SegmentTerms<RowLanes>& s, const float x[4], const float y[4],
                          float h, float out[4]) {
  int mask = 0;
  for (int j = 0; j < 4; j += RowLanes::kWidth)
    mask |= Coverage<RowLanes>(s, RowLanes::Load(x + j), RowLanes::Load(y + j), h, out + j)
            << j;
  return mask;
}

}  // namespace segment_lanes

// The terms the rows' four-pixel coverages use.
using SegmentLanes = segment_lanes::SegmentTerms<segment_lanes::RowLanes>;

inline SegmentLanes MakeSegmentLanes(const EdgeSegment& seg, int mode) {
  return segment_lanes::MakeSegmentTerms<segment_lanes::RowLanes>(seg, mode);
}

// Pixels x .. x + 3 of row y (|x| below 2^24, so the columns convert exactly).
inline int SegmentCoverageAt(const SegmentLanes& s, int x, float y, float h, float out[4]) {
  using L = segment_lanes::RowLanes;
  int mask = 0;
  for (int j = 0; j < 4; j += L::kWidth)
    mask |= segment_lanes::Coverage<L>(s, L::Counting(x + j), L::Set(y), h, out + j) << j;
  return mask;
}

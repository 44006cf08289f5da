// The coverage an edge segment gives four neighbouring pixels of a row, side by side: the
// segment's terms are set up once (SegmentLanes), so that each row's four pixels cost a few
// vector operations. Each lane is bit for bit the one-pixel coverage (SegmentCoverage).
#pragma once

#include <emmintrin.h>
#include <math.h>

#include "engine/raster/edge_segment.h"

namespace segment_lanes {

inline __m128 Abs(__m128 v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }

// ClampUnit lane by lane: not a number and at most 0 give +0, above 1 gives 1.
inline __m128 ClampUnit(__m128 v) {
  return _mm_min_ps(_mm_and_ps(_mm_cmpgt_ps(v, _mm_setzero_ps()), v), _mm_set1_ps(1.0f));
}

// Lanes of `when` set take `yes`, the others `no`.
inline __m128 Select(__m128 when, __m128 yes, __m128 no) {
  return _mm_or_ps(_mm_and_ps(when, yes), _mm_andnot_ps(when, no));
}

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

}  // namespace segment_lanes

struct SegmentLanes {
  EdgeSegment seg;  // the segment they were made for
  bool covers;  // l2 > 0.01: a shorter segment covers nothing
  bool axis_parallel;  // a or b is 0: the foot's rounding noise is taken out
  bool only_y, only_x;  // a box thinner than 1e-4 across: only the other direction decides
  bool has_line;  // l > 0
  bool both_sides;  // line and wire modes: distances on both sides alike
  __m128 a, b, c, l2, l, xmin, xmax, ymin, ymax, x1, y1, x2, y2;
};

// The terms of `seg` for the drawing mode `mode` (_DrawMode).
inline SegmentLanes MakeSegmentLanes(const EdgeSegment& seg, int mode) {
  using namespace segment_lanes;
  SegmentLanes s;
  s.seg = seg;
  s.covers = !(seg.l2 <= 0.01f);
  s.axis_parallel = seg.a == 0 || seg.b == 0;
  const float xmin = MinNum(seg.x1, seg.x2), xmax = MaxNum(seg.x1, seg.x2);
  const float ymin = MinNum(seg.y1, seg.y2), ymax = MaxNum(seg.y1, seg.y2);
  s.only_y = fabsf(xmax - xmin) < 1e-4f;
  s.only_x = !s.only_y && fabsf(ymax - ymin) < 1e-4f;
  s.has_line = seg.l > 0;
  s.both_sides = mode <= 2;
  s.a = _mm_set1_ps(seg.a), s.b = _mm_set1_ps(seg.b), s.c = _mm_set1_ps(seg.c);
  s.l2 = _mm_set1_ps(seg.l2), s.l = _mm_set1_ps(seg.l);
  s.xmin = _mm_set1_ps(xmin), s.xmax = _mm_set1_ps(xmax);
  s.ymin = _mm_set1_ps(ymin), s.ymax = _mm_set1_ps(ymax);
  s.x1 = _mm_set1_ps(seg.x1), s.y1 = _mm_set1_ps(seg.y1);
  s.x2 = _mm_set1_ps(seg.x2), s.y2 = _mm_set1_ps(seg.y2);
  return s;
}

// The coverages of pixels (x[j], y[j]) at half-width h into out[0 .. 3]; returns the lanes
// that are not 0, lane j as bit j.
inline int SegmentCoverageLanes(const SegmentLanes& s, __m128 x, __m128 vy, float h,
                                float out[4]) {
  using namespace segment_lanes;
  if (!s.covers) {
    _mm_storeu_ps(out, _mm_setzero_ps());
    return 0;
  }
  const __m128 vh = _mm_set1_ps(h);
  const __m128 along = _mm_add_ps(_mm_add_ps(_mm_mul_ps(s.a, x), _mm_mul_ps(s.b, vy)), s.c);
  // Foot of the perpendicular, with the axis-parallel edge's rounding noise taken out.
  const __m128 q = _mm_div_ps(along, s.l2);
  __m128 off_x = _mm_mul_ps(s.a, q), off_y = _mm_mul_ps(s.b, q);
  if (s.axis_parallel) {
    const __m128 noise = _mm_set1_ps(1e-4f);
    off_x = _mm_andnot_ps(_mm_cmplt_ps(Abs(off_x), noise), off_x);
    off_y = _mm_andnot_ps(_mm_cmplt_ps(Abs(off_y), noise), off_y);
  }
  const __m128 fx = _mm_sub_ps(x, off_x), fy = _mm_sub_ps(vy, off_y);
  const __m128 beyond_y = _mm_or_ps(_mm_cmplt_ps(fy, s.ymin), _mm_cmpgt_ps(fy, s.ymax));
  const __m128 beyond_x = _mm_or_ps(_mm_cmpgt_ps(fx, s.xmax), _mm_cmplt_ps(fx, s.xmin));
  const __m128 outside =
      s.only_y ? beyond_y : (s.only_x ? beyond_x : _mm_or_ps(beyond_x, beyond_y));

  // On the segment: the distance to the line; in a filled mode up to half a pixel inside
  // counts as on the edge and deeper pixels get nothing.
  __m128 line = _mm_setzero_ps();
  if (s.has_line) {
    __m128 t = _mm_div_ps(along, s.l);
    if (s.both_sides) {
      t = Abs(t);
    } else {
      const __m128 inside = _mm_cmplt_ps(t, _mm_setzero_ps());
      const __m128 near = _mm_cmplt_ps(_mm_xor_ps(t, _mm_set1_ps(-0.0f)), _mm_set1_ps(0.5f));
      t = Select(inside, _mm_andnot_ps(near, vh), t);
    }
    line = ClampUnit(_mm_sub_ps(vh, t));
  }
  // Along an edge's length no pixel lies beyond an end: the end points need no distance.
  __m128 cover = line;
  if (_mm_movemask_ps(outside) != 0) {
    // Beyond an end: the distance to the nearer end point.
    const __m128 first_nearer =
        _mm_cmplt_ps(_mm_add_ps(Abs(_mm_sub_ps(fx, s.x1)), Abs(_mm_sub_ps(fy, s.y1))),
                     _mm_add_ps(Abs(_mm_sub_ps(fx, s.x2)), Abs(_mm_sub_ps(fy, s.y2))));
    const __m128 dx = _mm_sub_ps(x, Select(first_nearer, s.x1, s.x2));
    const __m128 dy = _mm_sub_ps(vy, Select(first_nearer, s.y1, s.y2));
    const __m128 dist = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)));
    cover = Select(outside, ClampUnit(_mm_sub_ps(vh, dist)), line);
  }
  _mm_storeu_ps(out, cover);
  return _mm_movemask_ps(_mm_cmpneq_ps(cover, _mm_setzero_ps()));
}

// Pixels x .. x + 3 of row y (|x| below 2^24, so the columns convert exactly).
inline int SegmentCoverageAt(const SegmentLanes& s, int x, float y, float h, float out[4]) {
  const __m128i cols = _mm_add_epi32(_mm_set1_epi32(x), _mm_setr_epi32(0, 1, 2, 3));
  return SegmentCoverageLanes(s, _mm_cvtepi32_ps(cols), _mm_set1_ps(y), h, out);
}

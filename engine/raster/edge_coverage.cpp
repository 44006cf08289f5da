// Anti-aliased edge pixels: coverage from a pixel's distance to an edge's line or segment,
// with the depth of the pixel's z-buffer cell given back afterwards when asked.
#include "engine/raster/pixel_write.h"

#include <emmintrin.h>
#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/truncate.h"
#include "engine/zbuffer.h"

namespace {

float ClampUnit(float v) {
  if (!(v > 0)) return 0;
  return v < 1 ? v : 1;
}

// fminf and fmaxf (a value that is not a number gives way to the other), inline: the box
// they make is only compared against, so which zero a tie of zeros gives does not matter.
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

// Fringe pixels never occlude: the cell gets back the depth it had before the test.
void RestoreDepth(const DepthRestore* restore) {
  if (restore && ZBuffCellValid(restore->cell)) ZBuff[restore->cell] = restore->old_depth;
}

void PlotAt(unsigned char* image, float c0, float c1, float c2, float x, float y, float k) {
  PlotPixel(image, c0, c1, c2, TruncToInt(x), TruncToInt(y), k);
}

// The coverage by the distance to the edge's line (0: nothing is written).
float LineCoverage(const EdgeSegment& edge, float x, float y, float h) {
  if (!(edge.l > 0)) return 0;  // a zero-length edge has no line to measure against
  float t = (edge.a * x + edge.b * y + edge.c) / edge.l;
  if (_DrawMode <= 2) {
    t = fabsf(t);  // lines and wires: both sides alike
  } else if (t < 0) {
    // Inside a filled triangle: up to half a pixel in counts as on the edge; deeper pixels
    // belong to the interior, which draws them itself.
    t = -t < 0.5f ? 0 : h;
  }
  return ClampUnit(h - t);
}

// PlotByLineDistance without the depth write-back.
void PlotLineCoverage(unsigned char* image, float c0, float c1, float c2,
                      const EdgeSegment& edge, float x, float y, float h, float f) {
  const float k = LineCoverage(edge, x, y, h);
  if (k != 0) PlotAt(image, c0, c1, c2, x, y, k * f);
}

}  // namespace

void GiveBackDepth(const DepthRestore* restore) { RestoreDepth(restore); }

void PlotByLineDistance(unsigned char* image, float c0, float c1, float c2,
                        const EdgeSegment& edge, float x, float y, float h, float f,
                        const DepthRestore* restore) {
  PlotLineCoverage(image, c0, c1, c2, edge, x, y, h, f);
  RestoreDepth(restore);
}

float SegmentCoverage(const EdgeSegment& edge, float x, float y, float h) {
  // L2 at most 0.01: a segment shorter than 0.1 pixel has no usable direction.
  if (edge.l2 <= 0.01f) return 0;
  // Foot of the perpendicular from (x, y) onto the line.
  float q = (edge.a * x + edge.b * y + edge.c) / edge.l2;
  float off_x = edge.a * q;
  float off_y = edge.b * q;
  if (edge.a == 0 || edge.b == 0) {
    // Axis-parallel edge: offsets below 1e-4 are rounding noise that would push the foot
    // just off the segment's zero-width box.
    if (fabsf(off_x) < 1e-4f) off_x = 0;
    if (fabsf(off_y) < 1e-4f) off_y = 0;
  }
  float fx = x - off_x;
  float fy = y - off_y;

  float xmin = MinNum(edge.x1, edge.x2), xmax = MaxNum(edge.x1, edge.x2);
  float ymin = MinNum(edge.y1, edge.y2), ymax = MaxNum(edge.y1, edge.y2);
  bool outside;
  // A box thinner than 1e-4 in one direction is a vertical or horizontal segment: only
  // the position along its length decides.
  if (fabsf(xmax - xmin) < 1e-4f) {
    outside = fy < ymin || fy > ymax;
  } else if (fabsf(ymax - ymin) < 1e-4f) {
    outside = fx < xmin || fx > xmax;
  } else {
    outside = fx > xmax || fx < xmin || fy > ymax || fy < ymin;
  }
  if (!outside) return LineCoverage(edge, x, y, h);
  // Beyond an end: coverage falls off with the distance to the nearer end point, so the
  // segment's ends are round.
  bool first_nearer = fabsf(fx - edge.x1) + fabsf(fy - edge.y1) <
                      fabsf(fx - edge.x2) + fabsf(fy - edge.y2);
  float ex = first_nearer ? edge.x1 : edge.x2;
  float ey = first_nearer ? edge.y1 : edge.y2;
  float dist = sqrtf((x - ex) * (x - ex) + (y - ey) * (y - ey));
  return ClampUnit(h - dist);
}

namespace {

__m128 AbsFour(__m128 v) { return _mm_andnot_ps(_mm_set1_ps(-0.0f), v); }

// ClampUnit lane by lane: not a number and at most 0 give +0, above 1 gives 1.
__m128 ClampUnitFour(__m128 v) {
  return _mm_min_ps(_mm_and_ps(_mm_cmpgt_ps(v, _mm_setzero_ps()), v), _mm_set1_ps(1.0f));
}

// Lanes of `when` set take `yes`, the others `no`.
__m128 Select(__m128 when, __m128 yes, __m128 no) {
  return _mm_or_ps(_mm_and_ps(when, yes), _mm_andnot_ps(when, no));
}

// Stores the four coverages and returns the lanes that are not 0 (a coverage is never a
// value that is not a number).
int CoveredLanes(float out[4], __m128 cover) {
  _mm_storeu_ps(out, cover);
  return _mm_movemask_ps(_mm_cmpneq_ps(cover, _mm_setzero_ps()));
}

}  // namespace

int SegmentCoverageFour(const EdgeSegment& edge, const float xs[4], float y, float h,
                        float out[4]) {
  if (edge.l2 <= 0.01f) {
    _mm_storeu_ps(out, _mm_setzero_ps());
    return 0;
  }
  const __m128 x = _mm_loadu_ps(xs), vy = _mm_set1_ps(y), vh = _mm_set1_ps(h);
  const __m128 a = _mm_set1_ps(edge.a), b = _mm_set1_ps(edge.b);
  const __m128 along = _mm_add_ps(_mm_add_ps(_mm_mul_ps(a, x), _mm_mul_ps(b, vy)),
                                  _mm_set1_ps(edge.c));
  // Foot of the perpendicular, with the axis-parallel edge's rounding noise taken out.
  const __m128 q = _mm_div_ps(along, _mm_set1_ps(edge.l2));
  __m128 off_x = _mm_mul_ps(a, q), off_y = _mm_mul_ps(b, q);
  if (edge.a == 0 || edge.b == 0) {
    const __m128 noise = _mm_set1_ps(1e-4f);
    off_x = _mm_andnot_ps(_mm_cmplt_ps(AbsFour(off_x), noise), off_x);
    off_y = _mm_andnot_ps(_mm_cmplt_ps(AbsFour(off_y), noise), off_y);
  }
  const __m128 fx = _mm_sub_ps(x, off_x), fy = _mm_sub_ps(vy, off_y);

  const float xmin = MinNum(edge.x1, edge.x2), xmax = MaxNum(edge.x1, edge.x2);
  const float ymin = MinNum(edge.y1, edge.y2), ymax = MaxNum(edge.y1, edge.y2);
  const __m128 beyond_y = _mm_or_ps(_mm_cmplt_ps(fy, _mm_set1_ps(ymin)),
                                    _mm_cmpgt_ps(fy, _mm_set1_ps(ymax)));
  const __m128 beyond_x = _mm_or_ps(_mm_cmpgt_ps(fx, _mm_set1_ps(xmax)),
                                    _mm_cmplt_ps(fx, _mm_set1_ps(xmin)));
  __m128 outside;
  if (fabsf(xmax - xmin) < 1e-4f)
    outside = beyond_y;
  else if (fabsf(ymax - ymin) < 1e-4f)
    outside = beyond_x;
  else
    outside = _mm_or_ps(beyond_x, beyond_y);

  // On the segment: LineCoverage.
  __m128 line = _mm_setzero_ps();
  if (edge.l > 0) {
    __m128 t = _mm_div_ps(along, _mm_set1_ps(edge.l));
    if (_DrawMode <= 2) {
      t = AbsFour(t);
    } else {
      const __m128 inside = _mm_cmplt_ps(t, _mm_setzero_ps());
      const __m128 near = _mm_cmplt_ps(_mm_xor_ps(t, _mm_set1_ps(-0.0f)), _mm_set1_ps(0.5f));
      t = Select(inside, _mm_andnot_ps(near, vh), t);
    }
    line = ClampUnitFour(_mm_sub_ps(vh, t));
  }
  // Along an edge's length no pixel lies beyond an end: the end points need no distance.
  if (_mm_movemask_ps(outside) == 0) return CoveredLanes(out, line);
  // Beyond an end: the distance to the nearer end point.
  const __m128 x1 = _mm_set1_ps(edge.x1), y1 = _mm_set1_ps(edge.y1);
  const __m128 x2 = _mm_set1_ps(edge.x2), y2 = _mm_set1_ps(edge.y2);
  const __m128 first_nearer =
      _mm_cmplt_ps(_mm_add_ps(AbsFour(_mm_sub_ps(fx, x1)), AbsFour(_mm_sub_ps(fy, y1))),
                   _mm_add_ps(AbsFour(_mm_sub_ps(fx, x2)), AbsFour(_mm_sub_ps(fy, y2))));
  const __m128 dx = _mm_sub_ps(x, Select(first_nearer, x1, x2));
  const __m128 dy = _mm_sub_ps(vy, Select(first_nearer, y1, y2));
  const __m128 dist = _mm_sqrt_ps(_mm_add_ps(_mm_mul_ps(dx, dx), _mm_mul_ps(dy, dy)));
  const __m128 end = ClampUnitFour(_mm_sub_ps(vh, dist));
  return CoveredLanes(out, Select(outside, end, line));
}

void PlotBySegmentDistance(unsigned char* image, float c0, float c1, float c2,
                           const EdgeSegment& edge, float x, float y, float h, float f,
                           const DepthRestore* restore) {
  PlotWithCoverage(image, c0, c1, c2, x, y, SegmentCoverage(edge, x, y, h), f, restore);
}

void PlotWithCoverage(unsigned char* image, float c0, float c1, float c2, float x, float y,
                      float k, float f, const DepthRestore* restore) {
  if (k != 0) PlotAt(image, c0, c1, c2, x, y, k * f);
  RestoreDepth(restore);
}

// Anti-aliased edge pixels: coverage from a pixel's distance to an edge's line or segment,
// with the depth of the pixel's z-buffer cell given back afterwards when asked.
#include "engine/raster/pixel_write.h"

#include <emmintrin.h>
#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/segment_lanes.h"
#include "engine/raster/truncate.h"
#include "engine/zbuffer.h"

namespace {

using segment_lanes::MaxNum;
using segment_lanes::MinNum;

float ClampUnit(float v) {
  if (!(v > 0)) return 0;
  return v < 1 ? v : 1;
}

// Fringe pixels never occlude: the cell gets back the depth it had before the test.
void RestoreDepth(const DepthRestore* restore) {
  if (restore && ZBuffCellValid(restore->cell)) ZBuff[restore->cell] = restore->old_depth;
}

void PlotAt(const FrameImage& image, float c0, float c1, float c2, float x, float y, float k) {
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
void PlotLineCoverage(const FrameImage& image, float c0, float c1, float c2,
                      const EdgeSegment& edge, float x, float y, float h, float f) {
  const float k = LineCoverage(edge, x, y, h);
  if (k != 0) PlotAt(image, c0, c1, c2, x, y, k * f);
}

}  // namespace

void GiveBackDepth(const DepthRestore* restore) { RestoreDepth(restore); }

void PlotByLineDistance(const FrameImage& image, float c0, float c1, float c2,
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

int SegmentCoverageFour(const EdgeSegment& edge, const float xs[4], float y, float h,
                        float out[4]) {
  return SegmentCoverageLanes(MakeSegmentLanes(edge, _DrawMode), _mm_loadu_ps(xs),
                              _mm_set1_ps(y), h, out);
}

void PlotBySegmentDistance(const FrameImage& image, float c0, float c1, float c2,
                           const EdgeSegment& edge, float x, float y, float h, float f,
                           const DepthRestore* restore) {
  PlotWithCoverage(image, c0, c1, c2, x, y, SegmentCoverage(edge, x, y, h), f, restore);
}

void PlotWithCoverage(const FrameImage& image, float c0, float c1, float c2, float x, float y,
                      float k, float f, const DepthRestore* restore) {
  if (k != 0) PlotAt(image, c0, c1, c2, x, y, k * f);
  RestoreDepth(restore);
}

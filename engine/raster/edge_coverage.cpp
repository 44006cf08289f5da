// Anti-aliased edge pixels: coverage from a pixel's distance to an edge's line or segment,
// with the depth of the pixel's z-buffer cell given back afterwards when asked.
#include "engine/raster/pixel_write.h"

#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/segment_lanes.h"
#include "engine/raster/truncate.h"
#include "engine/zbuffer.h"

namespace {

using simd_lanes::Lanes1;

// Fringe pixels never occlude: the cell gets back the depth it had before the test.
void RestoreDepth(const DepthRestore* restore) {
  if (restore && ZBuffCellValid(restore->cell)) ZBuff[restore->cell] = restore->old_depth;
}

void PlotAt(const FrameImage& image, float c0, float c1, float c2, float x, float y, float k) {
  PlotPixel(image, c0, c1, c2, TruncToInt(x), TruncToInt(y), k);
}

// The coverage by the distance to the edge's line (0: nothing is written).
float LineCoverage(const EdgeSegment& edge, float x, float y, float h) {
  return segment_lanes::LineCover<Lanes1>(edge.l > 0, _DrawMode <= 2,
                                          edge.a * x + edge.b * y + edge.c, edge.l, h);
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
  float k;
  segment_lanes::Coverage<Lanes1>(segment_lanes::MakeSegmentTerms<Lanes1>(edge, _DrawMode), x, y,
                                  h, &k);
  return k;
}

int SegmentCoverageFour(const EdgeSegment& edge, const float xs[4], float y, float h,
                        float out[4]) {
  const float ys[4] = {y, y, y, y};
  return segment_lanes::CoverageOfFour(MakeSegmentLanes(edge, _DrawMode), xs, ys, h, out);
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

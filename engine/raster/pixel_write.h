// Pixel writes with coverage, and the anti-aliasing writes that turn a pixel's distance
// from an edge into coverage, into an image of the frame. All skip pixels outside the image's
// window and outside Zwidth x Zheight.
#pragma once

#include "engine/raster/edge_segment.h"
#include "engine/raster/frame_image.h"

// Channel access in 8 or 16 bits, as _Deep says.
int ReadChannel(const unsigned char* image, int index);
void WriteChannel(unsigned char* image, int index, int value);

// Writes colour (channel units) at coverage k: k = 1 replaces, k <= 0 leaves the pixel,
// otherwise blends over a covered pixel or fills an empty one (alpha = k * _MaxChannel).
// Pixels outside the image's window are skipped; writes into the layer note their spans.
void PlotPixel(const FrameImage& image, float c0, float c1, float c2, int x, int y, float k);

// PlotPixel at coverage k for pixels (x[j], y), j < count, in order, the row checked once.
void PlotRow(const FrameImage& image, const float* c0, const float* c1, const float* c2,
             const int* x, int count, int y, float k);

// PlotPixel of pixels (x[j], y[j]) at coverages k[j], j < count, in order.
void PlotEach(const FrameImage& image, const float* c0, const float* c1, const float* c2,
              const int* x, const int* y, const float* k, int count);

// A depth to give back to a z-buffer cell after an edge pixel (fringes never occlude).
struct DepthRestore {
  float old_depth;
  int cell;
};

// Coverage from the distance to the edge's line, for half-width h and coverage factor f:
// _DrawMode <= 2 measures both sides alike; filled modes count up to half a pixel inside as
// on the edge and leave deeper pixels to the interior. A zero-length edge writes nothing.
// `restore` (may be null) gives the z-buffer cell its old depth back afterwards.
void PlotByLineDistance(const FrameImage& image, float c0, float c1, float c2,
                        const EdgeSegment& edge, float x, float y, float h, float f,
                        const DepthRestore* restore);

// The coverage PlotBySegmentDistance gives (x, y) before the factor f: 0 when it writes
// nothing there.
float SegmentCoverage(const EdgeSegment& edge, float x, float y, float h);

// SegmentCoverage of pixels (xs[j], y), j < 4, side by side: each lane bit for bit the
// coverage SegmentCoverage gives that pixel. Returns the lanes whose coverage is not 0, lane
// j as bit j.
int SegmentCoverageFour(const EdgeSegment& edge, const float xs[4], float y, float h,
                        float out[4]);

// Gives the z-buffer cell its old depth back, as the edge writes do afterwards.
void GiveBackDepth(const DepthRestore* restore);

// As PlotByLineDistance, with round ends: beyond the segment the distance is taken to the
// nearer end point. A segment with l2 <= 0.01 writes nothing but still restores the depth.
void PlotBySegmentDistance(const FrameImage& image, float c0, float c1, float c2,
                           const EdgeSegment& edge, float x, float y, float h, float f,
                           const DepthRestore* restore);

// PlotBySegmentDistance with the coverage k already found (SegmentCoverage with the same
// edge, position and half-width).
void PlotWithCoverage(const FrameImage& image, float c0, float c1, float c2, float x, float y,
                      float k, float f, const DepthRestore* restore);

// Four neighbouring samples of a curved patch's row computed side by side: their weights,
// positions and normals, and where they land in the image. Every lane is, bit for bit, what
// WeightsAt and EvaluateNet give its sample alone (the same products and sums in the same
// order, in double). A sample costs mostly its ten-term sums; four at once take hardly longer
// than one. Two lanes at a time with SSE2, or all four with AVX where the CPU has it (the one
// path built for AVX lives in its own file and sees only this record); one at a time in a
// build without SIMD.
#pragma once

#include <stdint.h>

struct CubicNet;

struct SampleQuad {
  static constexpr int kLanes = 4;
  // The factors of the four sums, each repeated in every lane, so that a product reads its
  // factor straight from memory: x, y and z of the position net, z, x and y of the normal
  // net.
  alignas(16) double net[6][10][kLanes];
  bool avx;  // compute with AVX
  int64_t first;  // index i of lane 0; -1: none yet
  double t;  // the row
  alignas(16) double s[kLanes], w2[kLanes];
  alignas(16) double x[kLanes], y[kLanes], z[kLanes], nz[kLanes], nx[kLanes], ny[kLanes];
  // The image: the origin, and the box of image coordinates that round to its pixels.
  double ox, oy, x0, x1, y0, y1;
  // Each sample's Chebyshev distance outside that box (0 inside; infinite for a position
  // that is not a number) and, where it is 0, its pixel: trunc(x + origin + 0.5), likewise
  // the row.
  alignas(16) double miss[kLanes];
  alignas(16) int column[kLanes], row[kLanes];
};

// A quad for the patch with these nets, holding no samples yet, for an image with origin
// (ox, oy) whose pixels take the image coordinates x0 .. x1, y0 .. y1.
void StartSampleQuad(SampleQuad& q, const CubicNet& position, const CubicNet& normal,
                     double ox, double oy, double x0, double x1, double y0, double y1);

// Samples i .. i + 3 of row t (steps of ds in s) into the quad.
void ComputeSampleQuad(SampleQuad& q, int64_t i, double ds, double row_t);
#if QUORVEL_SIMD
void ComputeSampleQuadAvx(SampleQuad& q, int64_t i, double ds, double row_t);
#endif


// The sample walk of the curved modes: a cubic patch sampled densely in its parameters,
// t (weight of corner b) in the outer loop from 0 while t <= 1, s (weight of corner a) in
// the inner loop from 0 while s < 1, w = 1 - s - t for corner c. Each sample is one pixel,
// column trunc(x + origin_x + 0.5), row likewise.
//
// The walk is bounded for any input. Parameters run in double from integer indices, so a
// step always advances. A patch with a position or normal that is not finite, a zero or
// non-finite step, or a screen extent beyond kMaxPatchExtent draws nothing. Samples that
// cannot land in the image are skipped in bulk, using a bound on how far the patch moves
// per unit of parameter, so a patch far larger than the image costs in proportion to the
// part of it over the image. Steps finer than the patch's screen extent needs are widened,
// and a patch stops after a budget of evaluations proportional to the image's area.
#pragma once

#include <stdint.h>

#include "engine/engine_state.h"
#include "engine/raster/cubic_patch.h"
#include "engine/raster/sample_quad.h"
#include "engine/raster/truncate.h"

// 2^24 pixels: beyond this a float position no longer resolves single pixels.
constexpr double kMaxPatchExtent = 16777216.0;

// The box of image coordinates (origin added) that can round to a pixel of the image.
struct SampleBounds {
  double x0, x1, y0, y1;
};

struct SamplePlan {
  bool draws;  // false: nothing of the patch can reach the image
  double ds, dt;  // parameter steps
  double speed;  // screen distance the patch can move per unit of s or t, at most
  double ox, oy;  // the origin
  SampleBounds image;
  int64_t budget;  // evaluations left
};

// The steps ds = 1 / (2 |a - c|) and dt = 1 / (2 |b - c|) (a zero distance gives the step
// 1) and the bounds that keep the walk finite.
SamplePlan PlanPatchSamples(const CubicPatch& patch, int origin_x, int origin_y);

// The Chebyshev distance from the hull of row t of the patch (the cubic curve s -> P(s, t))
// to the bounds; 0 where the hull reaches them. (A sample's own distance is found with its
// position, in the sample quad.)
double RowDistanceOutside(const CubicNet& net, const SamplePlan& plan, double t);

// Steps that cannot leave the region a distance `miss` outside the bounds, at least one.
int64_t StepsToSkip(double miss, double step, double speed);

// One sample: its weights, position and normal, and where it lands.
struct PatchSample {
  double w[3];  // barycentric weights of corners a, b, c: s, t, 1 - s - t
  PatchPoint position;  // without the origin
  double nz, nx, ny;  // the normal net there
  double miss;  // Chebyshev distance outside the image's bounds, origin added; 0 inside
  int column, row;  // its pixel, where miss is 0
};

// Sample i of row t, computing the quad it falls in when it is not the one held.
inline void TakeSample(SampleQuad& quad, int64_t i, double ds, double row_t, PatchSample& out) {
  const bool held = quad.first >= 0 && quad.t == row_t && i >= quad.first &&
                    i < quad.first + SampleQuad::kLanes;
  if (!held) ComputeSampleQuad(quad, i, ds, row_t);
  const int lane = static_cast<int>(i - quad.first);
  out.w[0] = quad.s[lane], out.w[1] = row_t, out.w[2] = quad.w2[lane];
  out.position = PatchPoint{quad.x[lane], quad.y[lane], quad.z[lane]};
  out.nz = quad.nz[lane];
  out.nx = quad.nx[lane];
  out.ny = quad.ny[lane];
  out.miss = quad.miss[lane];
  out.column = quad.column[lane];
  out.row = quad.row[lane];
}

// Walks the samples in order. The visitor gets Break() wherever the previous sample of the
// row stops being a neighbour (the start of each row, a skipped sample beyond the
// triangle or outside the image) and Sample() for every sample on a pixel of the image.
template <typename Visitor>
void WalkPatchSamples(const CubicPatch& patch, SamplePlan& plan, Visitor& visitor) {
  if (!plan.draws) return;
  SampleQuad quad;
  StartSampleQuad(quad, patch.position, patch.normal, plan.ox, plan.oy, plan.image.x0,
                  plan.image.x1, plan.image.y0, plan.image.y1);
  for (int64_t j = 0;;) {
    const double t = static_cast<double>(j) * plan.dt;
    if (!(t <= 1.0) || plan.budget <= 0) return;
    visitor.Break();
    --plan.budget;
    const double row_miss = RowDistanceOutside(patch.position, plan, t);
    if (row_miss > 0.0) {
      j += StepsToSkip(row_miss, plan.dt, plan.speed);
      continue;
    }
    for (int64_t i = 0;;) {
      const double s = static_cast<double>(i) * plan.ds;
      if (!(s < 1.0)) break;
      if (s + t > 1.0) {  // beyond the triangle; every later s is too
        visitor.Break();
        break;
      }
      if (--plan.budget < 0) return;
      // Every member is set here; the record is not zeroed first (that cost a block
      // store per sample).
      PatchSample sample;
      TakeSample(quad, i, plan.ds, t, sample);
      if (sample.miss > 0.0) {
        visitor.Break();
        i += StepsToSkip(sample.miss, plan.ds, plan.speed);
        continue;
      }
      if (sample.column < 0 || sample.row < 0 || sample.column >= Zwidth ||
          sample.row >= Zheight)
        visitor.Break();
      else
        visitor.Sample(sample);
      ++i;
    }
    ++j;
  }
}

// The bounds of the curved modes' sample walk: the steps, the screen box and speed of the
// patch, and the hull of one row of samples.
#include "engine/raster/patch_sampling.h"

#include <math.h>

#include <algorithm>

#include "engine/raster/geometry.h"
#include "platform/exact_math.h"

namespace {

// The ten control points of a net.
template <typename Each>
void ForEachPoint(const CubicNet& net, Each each) {
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) each(net.point[i][j]);
  each(net.centre);
}

bool NetFinite(const CubicNet& net) {
  bool finite = true;
  ForEachPoint(net, [&finite](const PatchVec& v) {
    finite = finite && isfinite(v.x) && isfinite(v.y) && isfinite(v.z);
  });
  return finite;
}

// One over twice the distance of two corners: two samples per unit of edge length; the
// step 1 for corners that coincide.
double StepAlong(const PatchVec& p, const PatchVec& q) {
  const float d = PointDistance(p.x, p.y, p.z, q.x, q.y, q.z);
  if (d == 0.0f) return 1.0;
  return 1.0 / (2.0 * static_cast<double>(d));
}

struct ScreenBox {
  double x0, x1, y0, y1;
};

// The box of the net's control points in image coordinates: the patch lies inside it.
ScreenBox NetBox(const CubicNet& net, double ox, double oy) {
  ScreenBox b{INFINITY, -INFINITY, INFINITY, -INFINITY};
  ForEachPoint(net, [&](const PatchVec& v) {
    b.x0 = std::min(b.x0, v.x + ox), b.x1 = std::max(b.x1, v.x + ox);
    b.y0 = std::min(b.y0, v.y + oy), b.y1 = std::max(b.y1, v.y + oy);
  });
  return b;
}

double BoxDistanceOutside(const SampleBounds& r, const ScreenBox& b) {
  const double dx = std::max({0.0, r.x0 - b.x1, b.x0 - r.x1});
  const double dy = std::max({0.0, r.y0 - b.y1, b.y0 - r.y1});
  return std::max(dx, dy);
}

void AddScaled(double q[2], const PatchVec& v, double k) {
  q[0] += v.x * k;
  q[1] += v.y * k;
}

}  // namespace

SamplePlan PlanPatchSamples(const CubicPatch& patch, int origin_x, int origin_y) {
  SamplePlan plan{};
  plan.ox = origin_x;
  plan.oy = origin_y;
  // A column is trunc(X + 0.5): it is in the image for -1.5 < X < width - 0.5.
  plan.image = SampleBounds{-1.5, Zwidth - 0.5, -1.5, Zheight - 0.5};
  const CubicNet& pos = patch.position;
  if (Zwidth <= 0 || Zheight <= 0 || !NetFinite(pos) || !NetFinite(patch.normal)) return plan;

  plan.ds = StepAlong(pos.point[0][0], pos.point[2][2]);
  plan.dt = StepAlong(pos.point[1][1], pos.point[2][2]);
  if (!(plan.ds > 0.0) || !(plan.dt > 0.0)) return plan;  // a distance that overflowed

  const ScreenBox box = NetBox(pos, plan.ox, plan.oy);
  const double extent = exact_math::ExactHypot(box.x1 - box.x0, box.y1 - box.y0);
  if (!(extent <= kMaxPatchExtent) || BoxDistanceOutside(plan.image, box) > 0.0) return plan;

  // A cubic patch moves at most 3 times its net's extent per unit of parameter. Steps of
  // 1 / (4 extent + 2) keep neighbouring samples within 0.75 pixel: finer steps (edges
  // long in depth, short on screen) would only land on the same pixels again.
  plan.speed = 3.0 * extent;
  const double finest = 1.0 / (4.0 * extent + 2.0);
  plan.ds = std::max(plan.ds, finest);
  plan.dt = std::max(plan.dt, finest);
  // Sixteen evaluations per pixel of the image, and a floor for small images: far more
  // than any patch needs (two samples per unit of edge over the visible part).
  plan.budget = 16 * static_cast<int64_t>(Zwidth) * Zheight + (int64_t{1} << 20);
  plan.draws = true;
  return plan;
}

// Row t is the cubic curve u -> P(a u, t) with a = 1 - t; its Bezier points, from the
// row's start (s = 0) to its end (s = a):
//   Q0 = t^3 B + 3 t^2 a Ebc + 3 t a^2 Ecb + a^3 C
//   Q1 = t^3 B + t^2 a (Eba + 2 Ebc) + t a^2 (2 centre + Ecb) + a^3 Eca
//   Q2 = t^3 B + t^2 a (2 Eba + Ebc) + t a^2 (2 centre + Eab) + a^3 Eac
//   Q3 = t^3 B + 3 t^2 a Eba + 3 t a^2 Eab + a^3 A
// and the row lies in their hull.
double RowDistanceOutside(const CubicNet& net, const SamplePlan& plan, double t) {
  const double a = 1.0 - t, t3 = t * t * t, t2a = t * t * a, ta2 = t * a * a, a3 = a * a * a;
  const PatchVec &A = net.point[0][0], &B = net.point[1][1], &C = net.point[2][2];
  const PatchVec &Eab = net.point[0][1], &Eac = net.point[0][2], &Eba = net.point[1][0];
  const PatchVec &Ebc = net.point[1][2], &Eca = net.point[2][0], &Ecb = net.point[2][1];
  double q[4][2] = {};
  for (auto& p : q) AddScaled(p, B, t3);
  AddScaled(q[0], Ebc, 3 * t2a), AddScaled(q[0], Ecb, 3 * ta2), AddScaled(q[0], C, a3);
  AddScaled(q[1], Eba, t2a), AddScaled(q[1], Ebc, 2 * t2a), AddScaled(q[1], net.centre, 2 * ta2);
  AddScaled(q[1], Ecb, ta2), AddScaled(q[1], Eca, a3);
  AddScaled(q[2], Eba, 2 * t2a), AddScaled(q[2], Ebc, t2a), AddScaled(q[2], net.centre, 2 * ta2);
  AddScaled(q[2], Eab, ta2), AddScaled(q[2], Eac, a3);
  AddScaled(q[3], Eba, 3 * t2a), AddScaled(q[3], Eab, 3 * ta2), AddScaled(q[3], A, a3);
  ScreenBox box{INFINITY, -INFINITY, INFINITY, -INFINITY};
  for (const auto& p : q) {
    box.x0 = std::min(box.x0, p[0] + plan.ox), box.x1 = std::max(box.x1, p[0] + plan.ox);
    box.y0 = std::min(box.y0, p[1] + plan.oy), box.y1 = std::max(box.y1, p[1] + plan.oy);
  }
  return BoxDistanceOutside(plan.image, box);
}

int64_t StepsToSkip(double miss, double step, double speed) {
  // Within `miss` of a point that far outside, nothing reaches the bounds.
  const double steps = floor(miss / (speed * step));
  if (!(steps >= 1.0)) return 1;
  if (steps >= 4.0e18) return int64_t{4000000000000000000};
  return static_cast<int64_t>(steps);
}

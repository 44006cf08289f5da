// The plain (linear) Phong normal over a row of pixels at once, written over the lanes of
// simd_lanes.h: each lane does AreaWeights' and InterpolatePhongWith's operations in their
// order, so every lane is bit for bit the per-pixel normal. Included by the files that build
// it at one width each.
#pragma once

#include "engine/raster/interpolation.h"
#include "engine/shading/simd_lanes.h"

// Internal to each file that includes it: the file built for AVX and the others never
// share a copy of any of these functions.
namespace interpolation_lanes {
namespace {

// Lanes j of w[0..2]: the area weights of pixel j (negative ones 0, the rest scaled to sum 1
// when their sum is positive).
template <class L>
void AreaWeights(const AreaMatrix& s, typename L::V rx, typename L::V ry, typename L::V w[3]) {
  using V = typename L::V;
  constexpr int kP[3] = {1, 2, 0}, kQ[3] = {2, 0, 1};
  const V zero = L::Zero();
  if (s.det == 0) {
    w[0] = w[1] = w[2] = zero;
    return;
  }
  for (int k = 0; k < 3; ++k) {  // AreaDet(p, q, (x, y)) for the edge opposite vertex k
    const V px = L::Set(s.x[kP[k]]), py = L::Set(s.y[kP[k]]);
    const V qx = L::Set(s.x[kQ[k]]), qy = L::Set(s.y[kQ[k]]);
    const V det = L::Add(L::Sub(L::Mul(px, L::Sub(qy, ry)), L::Mul(qx, L::Sub(py, ry))),
                         L::Mul(rx, L::Sub(py, qy)));
    const V v = L::Div(det, L::Set(s.det));
    w[k] = L::ZeroWhere(L::Less(v, zero), v);  // below 0 becomes +0
  }
  const V t = L::Add(L::Add(w[0], w[1]), w[2]);
  const auto scale = L::Greater(t, zero);  // only a positive sum rescales
  for (int k = 0; k < 3; ++k) w[k] = L::Select(scale, L::Div(w[k], t), w[k]);
}

// The interpolated normal of L::kWidth pixels (x[j], y[j]) of one triangle.
template <class L>
void Normals(const UnitNormals& units, const AreaMatrix& area, const float* x, const float* y,
             float* nx, float* ny, float* nz) {
  using V = typename L::V;
  V w[3];
  AreaWeights<L>(area, L::LoadEach(x), L::LoadEach(y), w);
  V sum[3] = {L::Zero(), L::Zero(), L::Zero()};
  for (int k = 0; k < 3; ++k) {  // AddScaled for vertex k, in the vertices' order
    const __Point& n = units.n[k];
    sum[0] = L::Add(sum[0], L::Mul(w[k], L::Set(n.x)));
    sum[1] = L::Add(sum[1], L::Mul(w[k], L::Set(n.y)));
    sum[2] = L::Add(sum[2], L::Mul(w[k], L::Set(n.z)));
  }
  L::Store(nx, sum[0]);
  L::Store(ny, sum[1]);
  L::Store(nz, sum[2]);
}

}  // namespace
}  // namespace interpolation_lanes

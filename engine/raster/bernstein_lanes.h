// The cubic Bernstein sample written once over lanes of doubles (simd_lanes.h): the ten
// weights at barycentric (s, t, 1 - s - t) and the net's sums with them, from 0 in the net's
// order. One lane wide (Doubles1) it is the single sample (WeightsAt, EvaluateNet); the
// curved modes' sample quad runs it two or four samples wide, each lane the very same bits.
#pragma once

#include <math.h>
#include <stdint.h>

#include "engine/raster/sample_quad.h"
#include "engine/shading/simd_lanes.h"

// Internal to each file that includes it: the file built for AVX and the others never
// share a copy of any of these functions.
namespace bernstein {
namespace {

// The weights in the net's order: point[a][b] row by row (w_a^3 on the diagonal,
// 3 w_a^2 w_b beside it), then the centre's 6 w_0 w_1 w_2.
template <class D>
void Weights(typename D::V s, typename D::V t, typename D::V u, typename D::V k[10]) {
  const typename D::V w[3] = {s, t, u};
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b)
      k[3 * a + b] = b == a ? D::Mul(D::Mul(w[a], w[a]), w[a])
                            : D::Mul(D::Mul(D::Mul(D::Set(3.0), w[a]), w[a]), w[b]);
  k[9] = D::Mul(D::Mul(D::Mul(D::Set(6.0), w[0]), w[1]), w[2]);
}

// The sum of factor(n) k[n] over the net's ten points, from 0 in their order.
template <class D, class Factor>
typename D::V NetSum(Factor factor, const typename D::V k[10]) {
  typename D::V sum = D::Zero();
  for (int n = 0; n < 10; ++n) sum = D::Add(sum, D::Mul(factor(n), k[n]));
  return sum;
}

// Lanes h .. h + D::kWidth - 1 of the quad: samples i + h and on of row t (steps of ds in
// s), their weights, position and normal, and where they land: the Chebyshev distance
// outside the image's bounds (infinite for a position that is not a number) and the pixel's
// truncation, as the walk takes them.
template <class D>
void QuadLanes(SampleQuad& q, int64_t i, double ds, double t, int h) {
  using V = typename D::V;
  const V sv = D::Mul(D::Counting(i + h), D::Set(ds));
  const V tv = D::Set(t);
  const V uv = D::Sub(D::Sub(D::Set(1.0), sv), tv);
  D::Store(q.s + h, sv);
  D::Store(q.w2 + h, uv);
  V k[10];
  Weights<D>(sv, tv, uv, k);
  double* const out[6] = {q.x, q.y, q.z, q.nz, q.nx, q.ny};
  V sums[6];
  for (int c = 0; c < 6; ++c) {
    sums[c] = NetSum<D>([&q, c, h](int n) { return D::Load(q.net[c][n] + h); }, k);
    D::Store(out[c] + h, sums[c]);
  }
  const V x = D::Add(sums[0], D::Set(q.ox));
  const V y = D::Add(sums[1], D::Set(q.oy));
  const V dx = D::Max(D::Max(D::Zero(), D::Sub(D::Set(q.x0), x)), D::Sub(x, D::Set(q.x1)));
  const V dy = D::Max(D::Max(D::Zero(), D::Sub(D::Set(q.y0), y)), D::Sub(y, D::Set(q.y1)));
  const auto nan = D::Either(D::Unordered(x, x), D::Unordered(y, y));
  D::Store(q.miss + h, D::Select(nan, D::Set(INFINITY), D::Max(dx, dy)));
  const V half = D::Set(0.5);
  D::StoreTruncated(q.column + h, D::Add(x, half));
  D::StoreTruncated(q.row + h, D::Add(y, half));
}

}  // namespace
}  // namespace bernstein

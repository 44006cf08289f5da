// The default shader's plain-material lighting over a row of pixels at once, written over
// the lanes of simd_lanes.h: the per-pixel shader's operations in its order, lane by lane, so
// every lane is bit for bit that pixel's colour. Included by the files that build it at one
// width each.
#pragma once

#include <math.h>

#include "engine/engine_state.h"
#include "engine/shading/plain_shading.h"
#include "engine/shading/simd_lanes.h"
#include "platform/exact_math.h"

// Internal to each file that includes it: the file built for AVX and the others never
// share a copy of any of these functions.
namespace plain_shading_lanes {
namespace {

// a / b where b is not zero, a where it is (the shader's "divide unless zero length").
template <class L>
typename L::V DivideUnlessZero(typename L::V a, typename L::V b) {
  const typename L::V zero = L::Equal(b, L::Zero());
  return L::Or(L::And(zero, a), L::AndNot(zero, L::Div(a, b)));
}

template <class L>
typename L::V Length(typename L::V x, typename L::V y, typename L::V z) {
  return L::Sqrt(L::Add(L::Add(L::Mul(x, x), L::Mul(y, y)), L::Mul(z, z)));
}

// Scaled to channel units and clamped: not a number or below 0 gives 0, above full gives full.
template <class L>
void ToChannels(typename L::V v, float* out) {
  const typename L::V full = L::Set(static_cast<float>(_MaxChannel));
  v = L::Mul(v, full);
  v = L::And(L::GreaterEqual(v, L::Zero()), v);
  L::Store(out, L::Min(v, full));
}

// Lanes 0 .. L::kWidth - 1 of the pixel arrays (positions relative to the origin, depth,
// normal not yet unit length) lit by the prepared material: their colour in channel units.
template <class L>
void Shade(const PlainShading& p, const float* px, const float* py, const float* pz,
           const float* pnx, const float* pny, const float* pnz, float* c0, float* c1, float* c2) {
  using V = typename L::V;
  constexpr int kWidth = L::kWidth;
  if (p.light_count == 0) {
    for (int j = 0; j < kWidth; ++j) c0[j] = c1[j] = c2[j] = 0.0f;
    return;
  }
  // The normal faces the current pass's viewer and is made unit length.
  V nx = L::Load(pnx), ny = L::Load(pny), nz = L::Load(pnz);
  const V sign = L::Set(-0.0f);
  if (_DrawBackFaces1) {
    nx = L::Xor(nx, sign);
    ny = L::Xor(ny, sign);
    nz = L::Xor(nz, sign);
  }
  if (_DubleSide) nz = L::Xor(nz, L::And(L::Less(nz, L::Zero()), sign));
  const V len = Length<L>(nx, ny, nz);
  nx = DivideUnlessZero<L>(nx, len);
  ny = DivideUnlessZero<L>(ny, len);
  nz = DivideUnlessZero<L>(nz, len);

  const V x = L::Load(px), y = L::Load(py), z = L::Load(pz);
  V out[3] = {L::Zero(), L::Zero(), L::Zero()};
  for (int i = 0; i < p.light_count; ++i) {
    const light3ds& light = p.lights[i];
    V lx = L::Sub(L::Set(light.position[0]), x);
    V ly = L::Sub(L::Set(light.position[1]), y);
    V lz = L::Sub(L::Set(light.position[2]), z);
    const V l = Length<L>(lx, ly, lz);
    lx = DivideUnlessZero<L>(lx, l);
    ly = DivideUnlessZero<L>(ly, l);
    lz = DivideUnlessZero<L>(lz, l);
    V d = L::Add(L::Add(L::Mul(nx, lx), L::Mul(ny, ly)), L::Mul(nz, lz));
    d = L::Mul(d, L::Set(light.multiplier));
    d = L::AndNot(L::LessEqual(d, L::Zero()), d);  // at or below 0: 0
    // The specular power only where it does not underflow to 0 (and for not a number).
    V power = L::Zero();
    const V below = L::Less(d, L::Set(p.underflow));
    const int below_mask = L::Mask(below);
    constexpr int kAll = (1 << kWidth) - 1;
    if (below_mask != kAll) {
      // The power in the lanes; a lane the lane power does not cover (0 not below the bound,
      // infinite, not a number, or an exponent that is 0 or not finite) one by one.
      const int usual = L::Mask(L::And(L::Greater(d, L::Zero()), L::Less(d, L::Set(INFINITY))));
      if ((usual | below_mask) == kAll && !exact_math::PowIsSpecial(1.0f, p.exponent)) {
        power = L::AndNot(below, exact_math::PowLanes<L>(d, p.exponent));
      } else {
        float lanes[kWidth];
        L::Store(lanes, d);
        for (int j = 0; j < kWidth; ++j)
          lanes[j] = (below_mask >> j) & 1 ? 0.0f : exact_math::ExactPowf(lanes[j], p.exponent);
        power = L::Load(lanes);
      }
    }
    const V highlight = L::Mul(power, L::Set(p.strength));
    const V dif = L::Add(L::Mul(d, L::Set(p.f0)), L::Set(p.self_illumination));
    for (int k = 0; k < 3; ++k) {
      const V term =
          L::Add(L::Mul(L::Set(p.diffuse[k]), dif), L::Mul(L::Set(p.specular[k]), highlight));
      out[k] = L::Add(out[k], L::Mul(term, L::Set(light.colour[k])));
    }
  }
  ToChannels<L>(out[0], c0);
  ToChannels<L>(out[1], c1);
  ToChannels<L>(out[2], c2);
}

}  // namespace
}  // namespace plain_shading_lanes

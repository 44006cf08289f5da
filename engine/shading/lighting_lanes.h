// The default shader's lighting written once over the lanes of simd_lanes.h: the normal made
// to face the viewer and unit length, the point lights summed, the sums turned into channel
// units. The per-pixel shader runs it one lane wide (Lanes1), the plain-material path four
// or eight pixels wide; each lane does the same operations in the same order, so a pixel's
// colour is the same bits at every width.
#pragma once

#include <math.h>

#include "engine/engine_state.h"
#include "engine/shading/plain_shading.h"
#include "engine/shading/simd_lanes.h"
#include "platform/exact_math.h"

// Internal to each file that includes it: the file built for AVX and the others never
// share a copy of any of these functions.
namespace lighting {
namespace {

// a / b where b is not zero, a where it is (the shader's "divide unless zero length").
template <class L>
typename L::V DivideUnlessZero(typename L::V a, typename L::V b) {
  return L::Select(L::Equal(b, L::Zero()), a, L::Div(a, b));
}

template <class L>
typename L::V Length(typename L::V x, typename L::V y, typename L::V z) {
  return L::Sqrt(L::Add(L::Add(L::Mul(x, x), L::Mul(y, y)), L::Mul(z, z)));
}

// The normal faces the viewer's side of the current pass and is made unit length (a zero
// normal stays zero).
template <class L>
void PrepareNormal(typename L::V& nx, typename L::V& ny, typename L::V& nz) {
  if (_DrawBackFaces1) {
    nx = L::Neg(nx);
    ny = L::Neg(ny);
    nz = L::Neg(nz);
  }
  if (_DubleSide) nz = L::NegateWhere(L::Less(nz, L::Zero()), nz);
  const typename L::V len = Length<L>(nx, ny, nz);
  nx = DivideUnlessZero<L>(nx, len);
  ny = DivideUnlessZero<L>(ny, len);
  nz = DivideUnlessZero<L>(nz, len);
}

// The specular power d^exponent, 0 where `below` (where it is known to be 0).
template <class L>
typename L::V SpecularPower(typename L::V d, float exponent, typename L::M below) {
  constexpr int kAll = (1 << L::kWidth) - 1;
  const int below_mask = L::Mask(below);
  if (below_mask == kAll) return L::Zero();
  // The power in the lanes; a lane the lane power does not cover (0 not below the bound,
  // infinite, not a number, or an exponent that is 0 or not finite) one by one.
  const int usual =
      L::Mask(L::Both(L::Greater(d, L::Zero()), L::Less(d, L::Set(INFINITY))));
  if ((usual | below_mask) == kAll && !exact_math::PowIsSpecial(1.0f, exponent))
    return L::ZeroWhere(below, exact_math::PowLanes<L>(d, exponent));
  float lanes[L::kWidth];
  L::Store(lanes, d);
  for (int j = 0; j < L::kWidth; ++j)
    lanes[j] = (below_mask >> j) & 1 ? 0.0f : exact_math::ExactPowf(lanes[j], exponent);
  return L::Load(lanes);
}

// Whether unit normal n faces away from the light vector (lx, ly, lz) in every lane by so
// much that N.L, with the light vector made unit length, comes out below 0 whatever its
// roundings: the plain dot product below -2^-18 times the vector's length (its square
// compared, so no root is taken), where the roundings of both products stay under 2^-21.
// Vectors too short for that bound, and lanes not a number, are never taken to face away.
template <class L>
bool FacingAway(const typename L::V n[3], typename L::V lx, typename L::V ly,
                typename L::V lz) {
  using V = typename L::V;
  constexpr int kAll = (1 << L::kWidth) - 1;
  const V dot = L::Add(L::Add(L::Mul(n[0], lx), L::Mul(n[1], ly)), L::Mul(n[2], lz));
  const V square = L::Add(L::Add(L::Mul(lx, lx), L::Mul(ly, ly)), L::Mul(lz, lz));
  const auto away = L::Both(
      L::Both(L::Less(dot, L::Zero()), L::Greater(square, L::Set(0x1p-60f))),
      L::Greater(L::Mul(dot, dot), L::Mul(square, L::Set(0x1p-36f))));
  return L::Mask(away) == kAll;
}

// Adds to out[0..2] the point lights' terms for unit normal n at positions (x, y, z)
// relative to the origin: diffuse d = N.L x multiplier, specular d^E x strength, the self
// illumination lifting the diffuse factor, summed over the lights per channel.
// underflows(d) gives the lanes whose specular term d^exponent is known to be 0 (and need
// no power).
template <class L, class Underflows>
void AddLights(const MaterialValues& m, Underflows underflows, int light_count,
               const light3ds* lights, const typename L::V n[3], typename L::V x,
               typename L::V y, typename L::V z, typename L::V out[3]) {
  using V = typename L::V;
  const float f0 = 1.0f - m.self_illumination;
  for (int i = 0; i < light_count; ++i) {
    const light3ds& light = lights[i];
    V lx = L::Sub(L::Set(light.position[0]), x);
    V ly = L::Sub(L::Set(light.position[1]), y);
    V lz = L::Sub(L::Set(light.position[2]), z);
    V d = L::Zero();  // at or below 0: 0
    if (!(light.multiplier > 0.0f && FacingAway<L>(n, lx, ly, lz))) {
      const V l = Length<L>(lx, ly, lz);
      lx = DivideUnlessZero<L>(lx, l);
      ly = DivideUnlessZero<L>(ly, l);
      lz = DivideUnlessZero<L>(lz, l);
      d = L::Add(L::Add(L::Mul(n[0], lx), L::Mul(n[1], ly)), L::Mul(n[2], lz));
      d = L::Mul(d, L::Set(light.multiplier));
      d = L::ZeroWhere(L::LessEqual(d, L::Zero()), d);
    }
    const V highlight = L::Mul(SpecularPower<L>(d, m.exponent, underflows(d)), L::Set(m.strength));
    const V dif = L::Add(L::Mul(d, L::Set(f0)), L::Set(m.self_illumination));
    for (int k = 0; k < 3; ++k) {
      const V term =
          L::Add(L::Mul(L::Set(m.diffuse[k]), dif), L::Mul(L::Set(m.specular[k]), highlight));
      out[k] = L::Add(out[k], L::Mul(term, L::Set(light.colour[k])));
    }
  }
}

// Scaled to channel units and clamped first below, then above: a value that is not a number
// (an infinite specular term times zero) counts as 0 rather than reaching the pixel write.
template <class L>
void ToChannels(typename L::V v, float* out) {
  const typename L::V full = L::Set(static_cast<float>(_MaxChannel));
  v = L::Mul(v, full);
  v = L::KeepWhere(L::GreaterEqual(v, L::Zero()), v);
  L::Store(out, L::Min(v, full));
}

// Lanes 0 .. L::kWidth - 1 of the pixel arrays (positions relative to the origin, depth,
// normal not yet unit length) lit by the prepared plain material: their colour in channel
// units.
template <class L>
void Shade(const PlainShading& p, const float* px, const float* py, const float* pz,
           const float* pnx, const float* pny, const float* pnz, float* c0, float* c1, float* c2) {
  using V = typename L::V;
  if (p.light_count == 0) {
    for (int j = 0; j < L::kWidth; ++j) c0[j] = c1[j] = c2[j] = 0.0f;
    return;
  }
  V n[3] = {L::Load(pnx), L::Load(pny), L::Load(pnz)};
  PrepareNormal<L>(n[0], n[1], n[2]);
  V out[3] = {L::Zero(), L::Zero(), L::Zero()};
  const V underflow = L::Set(p.underflow);
  AddLights<L>(
      p, [underflow](V d) { return L::Less(d, underflow); }, p.light_count, p.lights, n,
      L::LoadEach(px), L::LoadEach(py), L::LoadEach(pz), out);
  ToChannels<L>(out[0], c0);
  ToChannels<L>(out[1], c1);
  ToChannels<L>(out[2], c2);
}

}  // namespace
}  // namespace lighting

// The engine's lanes under one set of names, so that a kernel written once runs one pixel at
// a time (Lanes1, a plain float: the scalar path), four wide with SSE2 (always there on
// x86-64) or eight wide with AVX (in a file built for it, used where the CPU has it). Every
// operation is the IEEE one, lane by lane: the same inputs give the same bits at any width.
// No fused multiply-add is ever formed. A comparison gives a mask (L::M: a bool for one
// lane, all bits of a lane set for the wider ones), which only Select, ZeroWhere,
// NegateWhere, Both, Either and Mask take.
//
// Built with QUORVEL_SIMD 0, the engine has the width-1 lanes alone.
#pragma once

#include "platform/exact_math.h"

#if !defined(QUORVEL_SIMD)
#error "QUORVEL_SIMD must be defined (0 or 1) by the build"
#endif
#if QUORVEL_SIMD
#include <immintrin.h>
#endif

// Internal to each file that includes it: the file built for AVX and the others never
// share a copy of any of these functions.
namespace simd_lanes {
namespace {

using exact_math::Doubles1;
using exact_math::Lanes1;

#if QUORVEL_SIMD

// Double lanes for the float lanes' doubles-width arithmetic (exact_math.h's power).
struct Doubles2 {
  using V = __m128d;
  using M = __m128d;
  static constexpr int kWidth = 2;
  static V Load(const double* p) { return _mm_loadu_pd(p); }
  static void Store(double* p, V v) { _mm_storeu_pd(p, v); }
  static V Set(double d) { return _mm_set1_pd(d); }
  static V Zero() { return _mm_setzero_pd(); }
  static V Counting(int64_t first) {
    return _mm_setr_pd(static_cast<double>(first), static_cast<double>(first + 1));
  }
  static M Unordered(V a, V b) { return _mm_cmpunord_pd(a, b); }
  static M Either(M a, M b) { return _mm_or_pd(a, b); }
  static void StoreTruncated(int* out, V v) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_cvttpd_epi32(v));
  }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static V Neg(V a) { return _mm_xor_pd(a, _mm_set1_pd(-0.0)); }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  static V Div(V a, V b) { return _mm_div_pd(a, b); }
  static V Min(V a, V b) { return _mm_min_pd(a, b); }
  static V Max(V a, V b) { return _mm_max_pd(a, b); }
  static V Greater(V a, V b) { return _mm_cmpgt_pd(a, b); }
  static V Select(V m, V a, V b) { return _mm_or_pd(_mm_and_pd(m, a), _mm_andnot_pd(m, b)); }
  // 2^n for integers n in [-1022, 1023].
  static V PowerOfTwo(V n) {
    const __m128i i = _mm_add_epi32(_mm_cvtpd_epi32(n), _mm_set1_epi32(1023));
    return _mm_castsi128_pd(_mm_slli_epi64(_mm_unpacklo_epi32(i, _mm_setzero_si128()), 52));
  }
};

// The mask operations of the wide float lanes, whose masks are all bits of a lane set: one
// source for each width (L is the lane type, complete when these are used).
template <class L>
struct BitMasks {
  template <class M>
  static M Both(M a, M b) { return L::And(a, b); }
  template <class M>
  static M Either(M a, M b) { return L::Or(a, b); }
  template <class M, class V>
  static V Select(M m, V a, V b) { return L::Or(L::And(m, a), L::AndNot(m, b)); }
  template <class M, class V>
  static V ZeroWhere(M m, V v) { return L::AndNot(m, v); }
  template <class M, class V>
  static V KeepWhere(M m, V v) { return L::And(m, v); }
  template <class M, class V>
  static V NegateWhere(M m, V v) { return L::Xor(v, L::And(m, L::Set(-0.0f))); }
};

// A float read as it is, hidden from the compiler's merging of neighbouring reads.
inline float LaneRead(float f) {
  asm("" : "+x"(f));
  return f;
}

struct Lanes4 : BitMasks<Lanes4> {
  using V = __m128;
  using M = __m128;
  static constexpr int kWidth = 4;
  static V Load(const float* p) { return _mm_loadu_ps(p); }
  // Lanes stored one at a time just before: each read on its own, which the processor
  // serves from the pending stores instead of waiting for them to reach the cache (the
  // compiler would merge the reads into one).
  static V LoadEach(const float* p) {
    return _mm_setr_ps(LaneRead(p[0]), LaneRead(p[1]), LaneRead(p[2]), LaneRead(p[3]));
  }
  static void Store(float* p, V v) { _mm_storeu_ps(p, v); }
  static V Set(float f) { return _mm_set1_ps(f); }
  static V Zero() { return _mm_setzero_ps(); }
  // Lanes 0 .. 3 of their own.
  static V SetLanes(float a, float b, float c, float d) { return _mm_setr_ps(a, b, c, d); }
  // first, first + 1, ... (each below 2^24 in magnitude, so exact).
  static V Counting(int first) {
    return _mm_cvtepi32_ps(_mm_add_epi32(_mm_set1_epi32(first), _mm_setr_epi32(0, 1, 2, 3)));
  }
  static V Add(V a, V b) { return _mm_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm_sub_ps(a, b); }
  static V Mul(V a, V b) { return _mm_mul_ps(a, b); }
  static V Div(V a, V b) { return _mm_div_ps(a, b); }
  static V Sqrt(V a) { return _mm_sqrt_ps(a); }
  static V Min(V a, V b) { return _mm_min_ps(a, b); }
  static V And(V a, V b) { return _mm_and_ps(a, b); }
  static V Or(V a, V b) { return _mm_or_ps(a, b); }
  static V AndNot(V a, V b) { return _mm_andnot_ps(a, b); }  // ~a & b
  static V Xor(V a, V b) { return _mm_xor_ps(a, b); }
  static V Abs(V a) { return AndNot(Set(-0.0f), a); }
  static V Neg(V a) { return Xor(a, Set(-0.0f)); }
  static M Equal(V a, V b) { return _mm_cmpeq_ps(a, b); }
  static M NotEqual(V a, V b) { return _mm_cmpneq_ps(a, b); }
  static M Less(V a, V b) { return _mm_cmplt_ps(a, b); }
  static M LessEqual(V a, V b) { return _mm_cmple_ps(a, b); }
  static M Greater(V a, V b) { return _mm_cmpgt_ps(a, b); }
  static M GreaterEqual(V a, V b) { return _mm_cmpge_ps(a, b); }
  static M Unordered(V a, V b) { return _mm_cmpunord_ps(a, b); }
  static int Mask(M a) { return _mm_movemask_ps(a); }
  // Positive finite normal x as m 2^e, m in [1, 2): exact, as with the scalar bit fields.
  static void Split(V x, V& m, V& e) {
    const __m128i bits = _mm_castps_si128(x);
    const __m128 field = _mm_cvtepi32_ps(_mm_and_si128(bits, _mm_set1_epi32(0x7f800000)));
    e = Sub(Mul(field, Set(0x1p-23f)), Set(127.0f));
    m = _mm_castsi128_ps(
        _mm_or_si128(_mm_and_si128(bits, _mm_set1_epi32(0x007fffff)), _mm_set1_epi32(0x3f800000)));
  }
  using D = Doubles2;
  static constexpr int kDoubles = 2;
  static void Widen(V x, D::V* out) {
    out[0] = _mm_cvtps_pd(x);
    out[1] = _mm_cvtps_pd(_mm_movehl_ps(x, x));
  }
  static V Narrow(const D::V* in) {
    return _mm_movelh_ps(_mm_cvtpd_ps(in[0]), _mm_cvtpd_ps(in[1]));
  }

  static V Max(V a, V b) { return _mm_max_ps(a, b); }
  // Lane j set where bit j of `lanes` is.
  static M MaskOf(int lanes) {
    const __m128i bit = _mm_setr_epi32(1, 2, 4, 8);
    return _mm_castsi128_ps(_mm_cmpeq_epi32(_mm_and_si128(_mm_set1_epi32(lanes), bit), bit));
  }

  // Channels of an image, one a lane: read as floats; stored from lanes already within the
  // channel's range, truncated.
  static V LoadChannels(const uint8_t* p) {
    int four;
    memcpy(&four, p, 4);
    const __m128i zero = _mm_setzero_si128();
    return _mm_cvtepi32_ps(
        _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(four), zero), zero));
  }
  static V LoadChannels(const uint16_t* p) {
    const __m128i four = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
    return _mm_cvtepi32_ps(_mm_unpacklo_epi16(four, _mm_setzero_si128()));
  }
  static void StoreChannels(uint8_t* p, V v) {
    const __m128i zero = _mm_setzero_si128();
    const int four =
        _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(_mm_cvttps_epi32(v), zero), zero));
    memcpy(p, &four, 4);
  }
  static void StoreChannels(uint16_t* p, V v) {
    // Words up to 65535 through the signed pack: shifted down by 32768 and back.
    const __m128i low = _mm_sub_epi32(_mm_cvttps_epi32(v), _mm_set1_epi32(32768));
    const __m128i words = _mm_xor_si128(_mm_packs_epi32(low, _mm_setzero_si128()),
                                        _mm_set1_epi16(static_cast<short>(0x8000)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(p), words);
  }
  // Four pixels of four channels from lanes of red, green and blue within the channel's
  // range (truncated), each with the given alpha.
  static void StorePixels(uint8_t* p, V r, V g, V b, int alpha) {
    const __m128i a = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(alpha) << 24));
    const __m128i pixels =
        _mm_or_si128(_mm_or_si128(_mm_cvttps_epi32(r), _mm_slli_epi32(_mm_cvttps_epi32(g), 8)),
                     _mm_or_si128(_mm_slli_epi32(_mm_cvttps_epi32(b), 16), a));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), pixels);
  }
  static void StorePixels(uint16_t* p, V r, V g, V b, int alpha) {
    const __m128i low = _mm_or_si128(_mm_cvttps_epi32(r), _mm_slli_epi32(_mm_cvttps_epi32(g), 16));
    const __m128i a = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(alpha) << 16));
    const __m128i high = _mm_or_si128(_mm_cvttps_epi32(b), a);
    __m128i* out = reinterpret_cast<__m128i*>(p);
    _mm_storeu_si128(out, _mm_unpacklo_epi32(low, high));
    _mm_storeu_si128(out + 1, _mm_unpackhi_epi32(low, high));
  }

  // Lanes of 32 raw bits (a pixel of 8-bit channels, or two 16-bit channels, a lane).
  using B = __m128i;
  static B LoadBits(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
  static void StoreBits(void* p, B v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }
  static B SetBits(uint32_t b) { return _mm_set1_epi32(static_cast<int>(b)); }
  static B BitsOf(M m) { return _mm_castps_si128(m); }
  static B AndBits(B a, B b) { return _mm_and_si128(a, b); }
  // a's bits where `keep` has them, b's elsewhere.
  static B MergeBits(B keep, B a, B b) {
    return _mm_or_si128(_mm_and_si128(keep, a), _mm_andnot_si128(keep, b));
  }
  static M EqualBits(B a, B b) { return _mm_castsi128_ps(_mm_cmpeq_epi32(a, b)); }
};

#if defined(__AVX__)
struct Doubles4 {
  using V = __m256d;
  using M = __m256d;
  static constexpr int kWidth = 4;
  static V Load(const double* p) { return _mm256_loadu_pd(p); }
  // Stored as two halves: lanes read back one at a time at once are handed on by a store of
  // 16 bytes directly.
  static void Store(double* p, V v) {
    _mm_storeu_pd(p, _mm256_castpd256_pd128(v));
    _mm_storeu_pd(p + 2, _mm256_extractf128_pd(v, 1));
  }
  static V Set(double d) { return _mm256_set1_pd(d); }
  static V Zero() { return _mm256_setzero_pd(); }
  static V Counting(int64_t first) {
    return _mm256_setr_pd(static_cast<double>(first), static_cast<double>(first + 1),
                          static_cast<double>(first + 2), static_cast<double>(first + 3));
  }
  static M Unordered(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_UNORD_Q); }
  static M Either(M a, M b) { return _mm256_or_pd(a, b); }
  static void StoreTruncated(int* out, V v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_cvttpd_epi32(v));
  }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static V Neg(V a) { return _mm256_xor_pd(a, _mm256_set1_pd(-0.0)); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Div(V a, V b) { return _mm256_div_pd(a, b); }
  static V Min(V a, V b) { return _mm256_min_pd(a, b); }
  static V Max(V a, V b) { return _mm256_max_pd(a, b); }
  static V Greater(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_GT_OS); }
  static V Select(V m, V a, V b) {
    return _mm256_or_pd(_mm256_and_pd(m, a), _mm256_andnot_pd(m, b));
  }
  static V PowerOfTwo(V n) {
    const __m128i i = _mm_add_epi32(_mm256_cvtpd_epi32(n), _mm_set1_epi32(1023));
    const __m128i lo = _mm_slli_epi64(_mm_unpacklo_epi32(i, _mm_setzero_si128()), 52);
    const __m128i hi = _mm_slli_epi64(_mm_unpackhi_epi32(i, _mm_setzero_si128()), 52);
    return _mm256_castsi256_pd(_mm256_insertf128_si256(_mm256_castsi128_si256(lo), hi, 1));
  }
};

// The ordered, quiet-or-signalling predicates that match the SSE comparisons' results.
struct Lanes8 : BitMasks<Lanes8> {
  using V = __m256;
  using M = __m256;
  static constexpr int kWidth = 8;
  static V Load(const float* p) { return _mm256_loadu_ps(p); }
  static V LoadEach(const float* p) {
    return _mm256_setr_ps(LaneRead(p[0]), LaneRead(p[1]), LaneRead(p[2]), LaneRead(p[3]),
                          LaneRead(p[4]), LaneRead(p[5]), LaneRead(p[6]), LaneRead(p[7]));
  }
  static void Store(float* p, V v) { _mm256_storeu_ps(p, v); }
  static V Set(float f) { return _mm256_set1_ps(f); }
  static V Zero() { return _mm256_setzero_ps(); }
  static V Add(V a, V b) { return _mm256_add_ps(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_ps(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_ps(a, b); }
  static V Div(V a, V b) { return _mm256_div_ps(a, b); }
  static V Sqrt(V a) { return _mm256_sqrt_ps(a); }
  static V Min(V a, V b) { return _mm256_min_ps(a, b); }
  static V And(V a, V b) { return _mm256_and_ps(a, b); }
  static V Or(V a, V b) { return _mm256_or_ps(a, b); }
  static V AndNot(V a, V b) { return _mm256_andnot_ps(a, b); }
  static V Xor(V a, V b) { return _mm256_xor_ps(a, b); }
  static V Abs(V a) { return AndNot(Set(-0.0f), a); }
  static V Neg(V a) { return Xor(a, Set(-0.0f)); }
  static M Equal(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
  static M NotEqual(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_NEQ_UQ); }
  static M Less(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_LT_OS); }
  static M LessEqual(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_LE_OS); }
  static M Greater(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_GT_OS); }
  static M GreaterEqual(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_GE_OS); }
  static M Unordered(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_UNORD_Q); }
  static int Mask(M a) { return _mm256_movemask_ps(a); }
  static void Split(V x, V& m, V& e) {
    const V field = _mm256_cvtepi32_ps(_mm256_castps_si256(And(x, Bits(0x7f800000))));
    e = Sub(Mul(field, Set(0x1p-23f)), Set(127.0f));
    m = Or(And(x, Bits(0x007fffff)), Bits(0x3f800000));
  }
  static V Bits(int b) { return _mm256_castsi256_ps(_mm256_set1_epi32(b)); }
  using D = Doubles4;
  static constexpr int kDoubles = 2;
  static void Widen(V x, D::V* out) {
    out[0] = _mm256_cvtps_pd(_mm256_castps256_ps128(x));
    out[1] = _mm256_cvtps_pd(_mm256_extractf128_ps(x, 1));
  }
  static V Narrow(const D::V* in) {
    return _mm256_insertf128_ps(_mm256_castps128_ps256(_mm256_cvtpd_ps(in[0])),
                                _mm256_cvtpd_ps(in[1]), 1);
  }
};
// Two groups of lanes L side by side, each operation done on both: a kernel run over the pair
// works two independent groups of pixels whose long operations (divisions, roots) overlap,
// lane by lane the same operations as L's.
template <class L>
struct LanePair {
  struct V {
    typename L::V lo, hi;
  };
  struct M {
    typename L::M lo, hi;
  };
  static constexpr int kWidth = 2 * L::kWidth;
  static V Load(const float* p) { return {L::Load(p), L::Load(p + L::kWidth)}; }
  static V LoadEach(const float* p) { return {L::LoadEach(p), L::LoadEach(p + L::kWidth)}; }
  static void Store(float* p, V v) {
    L::Store(p, v.lo);
    L::Store(p + L::kWidth, v.hi);
  }
  static V Set(float f) { return {L::Set(f), L::Set(f)}; }
  static V Zero() { return {L::Zero(), L::Zero()}; }
  static V Add(V a, V b) { return {L::Add(a.lo, b.lo), L::Add(a.hi, b.hi)}; }
  static V Sub(V a, V b) { return {L::Sub(a.lo, b.lo), L::Sub(a.hi, b.hi)}; }
  static V Mul(V a, V b) { return {L::Mul(a.lo, b.lo), L::Mul(a.hi, b.hi)}; }
  static V Div(V a, V b) { return {L::Div(a.lo, b.lo), L::Div(a.hi, b.hi)}; }
  static V Sqrt(V a) { return {L::Sqrt(a.lo), L::Sqrt(a.hi)}; }
  static V Min(V a, V b) { return {L::Min(a.lo, b.lo), L::Min(a.hi, b.hi)}; }
  static V Neg(V a) { return {L::Neg(a.lo), L::Neg(a.hi)}; }
  static M Equal(V a, V b) { return {L::Equal(a.lo, b.lo), L::Equal(a.hi, b.hi)}; }
  static M Less(V a, V b) { return {L::Less(a.lo, b.lo), L::Less(a.hi, b.hi)}; }
  static M LessEqual(V a, V b) { return {L::LessEqual(a.lo, b.lo), L::LessEqual(a.hi, b.hi)}; }
  static M Greater(V a, V b) { return {L::Greater(a.lo, b.lo), L::Greater(a.hi, b.hi)}; }
  static M GreaterEqual(V a, V b) {
    return {L::GreaterEqual(a.lo, b.lo), L::GreaterEqual(a.hi, b.hi)};
  }
  static M Both(M a, M b) { return {L::Both(a.lo, b.lo), L::Both(a.hi, b.hi)}; }
  static int Mask(M a) { return L::Mask(a.lo) | L::Mask(a.hi) << L::kWidth; }
  static V Select(M m, V a, V b) { return {L::Select(m.lo, a.lo, b.lo), L::Select(m.hi, a.hi, b.hi)}; }
  static V ZeroWhere(M m, V v) { return {L::ZeroWhere(m.lo, v.lo), L::ZeroWhere(m.hi, v.hi)}; }
  static V KeepWhere(M m, V v) { return {L::KeepWhere(m.lo, v.lo), L::KeepWhere(m.hi, v.hi)}; }
  static V NegateWhere(M m, V v) {
    return {L::NegateWhere(m.lo, v.lo), L::NegateWhere(m.hi, v.hi)};
  }
  static void Split(V x, V& m, V& e) {
    L::Split(x.lo, m.lo, e.lo);
    L::Split(x.hi, m.hi, e.hi);
  }
  using D = typename L::D;
  static constexpr int kDoubles = 2 * L::kDoubles;
  static void Widen(V x, typename D::V* out) {
    L::Widen(x.lo, out);
    L::Widen(x.hi, out + L::kDoubles);
  }
  static V Narrow(const typename D::V* in) { return {L::Narrow(in), L::Narrow(in + L::kDoubles)}; }
};
#endif  // __AVX__
#endif  // QUORVEL_SIMD

// The lanes every processor runs, in which the engine computes a row's pixels four at a
// time: SSE2's four, or one (four times over) in a build without SIMD.
#if QUORVEL_SIMD
using RowLanes = Lanes4;
#else
using RowLanes = Lanes1;
#endif

}  // namespace
}  // namespace simd_lanes

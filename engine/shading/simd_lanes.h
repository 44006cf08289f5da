// Single-precision SIMD lanes under one set of names, so that a computation written once runs
// four pixels wide with SSE2 (always there on x86-64) or eight wide with AVX (in a file built
// for it, used where the CPU has it). Every operation is the IEEE one, lane by lane: the same
// inputs give the same bits at either width and as the scalar instructions. No fused
// multiply-add is ever formed.
#pragma once

#include <immintrin.h>

// Internal to each file that includes it: the file built for AVX and the others never
// share a copy of any of these functions.
namespace simd_lanes {
namespace {

struct Lanes4 {
  using V = __m128;
  static constexpr int kWidth = 4;
  static V Load(const float* p) { return _mm_loadu_ps(p); }
  static void Store(float* p, V v) { _mm_storeu_ps(p, v); }
  static V Set(float f) { return _mm_set1_ps(f); }
  static V Zero() { return _mm_setzero_ps(); }
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
  static V Equal(V a, V b) { return _mm_cmpeq_ps(a, b); }
  static V Less(V a, V b) { return _mm_cmplt_ps(a, b); }
  static V LessEqual(V a, V b) { return _mm_cmple_ps(a, b); }
  static V Greater(V a, V b) { return _mm_cmpgt_ps(a, b); }
  static V GreaterEqual(V a, V b) { return _mm_cmpge_ps(a, b); }
  static int Mask(V a) { return _mm_movemask_ps(a); }
};

#if defined(__AVX__)
// The ordered, quiet-or-signalling predicates that match the SSE comparisons' results.
struct Lanes8 {
  using V = __m256;
  static constexpr int kWidth = 8;
  static V Load(const float* p) { return _mm256_loadu_ps(p); }
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
  static V Equal(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_EQ_OQ); }
  static V Less(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_LT_OS); }
  static V LessEqual(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_LE_OS); }
  static V Greater(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_GT_OS); }
  static V GreaterEqual(V a, V b) { return _mm256_cmp_ps(a, b, _CMP_GE_OS); }
  static int Mask(V a) { return _mm256_movemask_ps(a); }
};
#endif

}  // namespace
}  // namespace simd_lanes

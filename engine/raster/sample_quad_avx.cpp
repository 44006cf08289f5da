// The sample quad's computation four lanes at a time. This file alone of the curved modes is
// built with AVX (see CMakeLists.txt) and includes nothing with inline code of the module's,
// so no AVX instruction reaches a CPU without it. The same products and sums as the SSE2
// path, lane for lane; without FMA, so none is contracted.
#include "engine/raster/sample_quad.h"

#include <immintrin.h>
#include <math.h>

#if !defined(__AVX__)
#error "sample_quad_avx.cpp must be built with AVX"
#endif

namespace {
// Stored as two halves: the lanes are read back one at a time at once, which a store of
// 16 bytes hands on to the loads directly.
void Store(double* to, __m256d v) {
  _mm_storeu_pd(to, _mm256_castpd256_pd128(v));
  _mm_storeu_pd(to + 2, _mm256_extractf128_pd(v, 1));
}
}  // namespace

void ComputeSampleQuadAvx(SampleQuad& q, int64_t i, double ds, double row_t) {
  const __m256d sv = _mm256_mul_pd(
      _mm256_set_pd(static_cast<double>(i + 3), static_cast<double>(i + 2),
                    static_cast<double>(i + 1), static_cast<double>(i)),
      _mm256_set1_pd(ds));
  const __m256d tv = _mm256_set1_pd(row_t);
  const __m256d w2v = _mm256_sub_pd(_mm256_sub_pd(_mm256_set1_pd(1.0), sv), tv);
  Store(q.s, sv);
  Store(q.w2, w2v);
  const __m256d w[3] = {sv, tv, w2v};
  __m256d k[10];
  for (int a = 0; a < 3; ++a)
    for (int b = 0; b < 3; ++b)
      k[3 * a + b] =
          b == a ? _mm256_mul_pd(_mm256_mul_pd(w[a], w[a]), w[a])
                 : _mm256_mul_pd(
                       _mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(3.0), w[a]), w[a]), w[b]);
  k[9] = _mm256_mul_pd(_mm256_mul_pd(_mm256_mul_pd(_mm256_set1_pd(6.0), w[0]), w[1]), w[2]);
  double* const out[6] = {q.x, q.y, q.z, q.nz, q.nx, q.ny};
  __m256d sums[6];
  for (int c = 0; c < 6; ++c) {
    __m256d sum = _mm256_setzero_pd();
    for (int n = 0; n < 10; ++n)
      sum = _mm256_add_pd(sum, _mm256_mul_pd(_mm256_loadu_pd(q.net[c][n]), k[n]));
    Store(out[c], sum);
    sums[c] = sum;
  }
  // The positions from the registers: loaded back from the halves just stored, they would
  // wait for both stores.
  const __m256d x = _mm256_add_pd(sums[0], _mm256_set1_pd(q.ox));
  const __m256d y = _mm256_add_pd(sums[1], _mm256_set1_pd(q.oy));
  const __m256d zero = _mm256_setzero_pd();
  const __m256d dx = _mm256_max_pd(_mm256_max_pd(zero, _mm256_sub_pd(_mm256_set1_pd(q.x0), x)),
                                   _mm256_sub_pd(x, _mm256_set1_pd(q.x1)));
  const __m256d dy = _mm256_max_pd(_mm256_max_pd(zero, _mm256_sub_pd(_mm256_set1_pd(q.y0), y)),
                                   _mm256_sub_pd(y, _mm256_set1_pd(q.y1)));
  const __m256d nan =
      _mm256_or_pd(_mm256_cmp_pd(x, x, _CMP_UNORD_Q), _mm256_cmp_pd(y, y, _CMP_UNORD_Q));
  Store(q.miss, _mm256_blendv_pd(_mm256_max_pd(dx, dy), _mm256_set1_pd(INFINITY), nan));
  const __m256d half = _mm256_set1_pd(0.5);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(q.column),
                   _mm256_cvttpd_epi32(_mm256_add_pd(x, half)));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(q.row), _mm256_cvttpd_epi32(_mm256_add_pd(y, half)));
}

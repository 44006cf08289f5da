// The sample quad's set-up and its two-lanes-at-a-time computation (SSE2, always there on a
// 64-bit processor).
#include "engine/raster/sample_quad.h"

#include <emmintrin.h>
#include <math.h>

#include "engine/cpu_paths.h"
#include "engine/raster/cubic_patch.h"
#include "engine/shading/plain_eight_avx.h"

void StartSampleQuad(SampleQuad& q, const CubicNet& position, const CubicNet& normal,
                     double ox, double oy, double x0, double x1, double y0, double y1) {
  const NetInDoubles p = InDoubles(position), n = InDoubles(normal);
  for (int j = 0; j < 10; ++j)
    for (int lane = 0; lane < SampleQuad::kLanes; ++lane) {
      q.net[0][j][lane] = p.x[j];
      q.net[1][j][lane] = p.y[j];
      q.net[2][j][lane] = p.z[j];
      q.net[3][j][lane] = n.z[j];
      q.net[4][j][lane] = n.x[j];
      q.net[5][j][lane] = n.y[j];
    }
  q.ox = ox, q.oy = oy, q.x0 = x0, q.x1 = x1, q.y0 = y0, q.y1 = y1;
  q.avx = g_cpu_paths.avx;
  q.first = -1;
  q.t = 0.0;
}

void ComputeSampleQuad(SampleQuad& q, int64_t i, double ds, double row_t) {
  q.first = i;
  q.t = row_t;
  if (q.avx) {
    ComputeSampleQuadAvx(q, i, ds, row_t);
    return;
  }
  const __m128d tv = _mm_set1_pd(row_t);
  for (int h = 0; h < SampleQuad::kLanes; h += 2) {
    const double i0 = static_cast<double>(i + h), i1 = static_cast<double>(i + h + 1);
    const __m128d sv = _mm_mul_pd(_mm_set_pd(i1, i0), _mm_set1_pd(ds));
    const __m128d w2v = _mm_sub_pd(_mm_sub_pd(_mm_set1_pd(1.0), sv), tv);
    _mm_storeu_pd(q.s + h, sv);
    _mm_storeu_pd(q.w2 + h, w2v);
    // WeightsAt's products, in its order.
    const __m128d w[3] = {sv, tv, w2v};
    for (int a = 0; a < 3; ++a)
      for (int b = 0; b < 3; ++b)
        _mm_storeu_pd(
            q.k[3 * a + b] + h,
            b == a ? _mm_mul_pd(_mm_mul_pd(w[a], w[a]), w[a])
                   : _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_set1_pd(3.0), w[a]), w[a]), w[b]));
    _mm_storeu_pd(q.k[9] + h,
                  _mm_mul_pd(_mm_mul_pd(_mm_mul_pd(_mm_set1_pd(6.0), w[0]), w[1]), w[2]));
  }
  // EvaluateNet's sums, from 0 in the net's order.
  double* const out[6] = {q.x, q.y, q.z, q.nz, q.nx, q.ny};
  for (int h = 0; h < SampleQuad::kLanes; h += 2)
    for (int c = 0; c < 6; ++c) {
      __m128d sum = _mm_setzero_pd();
      for (int n = 0; n < 10; ++n)
        sum = _mm_add_pd(sum, _mm_mul_pd(_mm_loadu_pd(q.net[c][n]), _mm_loadu_pd(q.k[n] + h)));
      _mm_storeu_pd(out[c] + h, sum);
    }
  // Where they land: the Chebyshev distance outside the image's bounds (infinite for a
  // position that is not a number) and the pixel's truncation, as the walk takes them.
  for (int h = 0; h < SampleQuad::kLanes; h += 2) {
    const __m128d x = _mm_add_pd(_mm_loadu_pd(q.x + h), _mm_set1_pd(q.ox));
    const __m128d y = _mm_add_pd(_mm_loadu_pd(q.y + h), _mm_set1_pd(q.oy));
    const __m128d zero = _mm_setzero_pd();
    const __m128d dx = _mm_max_pd(_mm_max_pd(zero, _mm_sub_pd(_mm_set1_pd(q.x0), x)),
                                  _mm_sub_pd(x, _mm_set1_pd(q.x1)));
    const __m128d dy = _mm_max_pd(_mm_max_pd(zero, _mm_sub_pd(_mm_set1_pd(q.y0), y)),
                                  _mm_sub_pd(y, _mm_set1_pd(q.y1)));
    const __m128d nan = _mm_or_pd(_mm_cmpunord_pd(x, x), _mm_cmpunord_pd(y, y));
    const __m128d miss = _mm_or_pd(_mm_and_pd(nan, _mm_set1_pd(INFINITY)),
                                   _mm_andnot_pd(nan, _mm_max_pd(dx, dy)));
    _mm_storeu_pd(q.miss + h, miss);
    const __m128d half = _mm_set1_pd(0.5);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(q.column + h),
                     _mm_cvttpd_epi32(_mm_add_pd(x, half)));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(q.row + h), _mm_cvttpd_epi32(_mm_add_pd(y, half)));
  }
}

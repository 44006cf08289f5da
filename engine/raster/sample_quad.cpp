// The sample quad's set-up and its computation: two lanes at a time with SSE2 (always there
// on a 64-bit processor), four with AVX where the table of processor paths chose it, one at
// a time in a build without SIMD.
#include "engine/raster/sample_quad.h"

#include "engine/cpu_paths.h"
#include "engine/raster/bernstein_lanes.h"
#include "engine/raster/cubic_patch.h"

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
  using D = simd_lanes::RowLanes::D;
  q.first = i;
  q.t = row_t;
#if QUORVEL_SIMD
  if (q.avx) {
    ComputeSampleQuadAvx(q, i, ds, row_t);
    return;
  }
#endif
  for (int h = 0; h < SampleQuad::kLanes; h += D::kWidth)
    bernstein::QuadLanes<D>(q, i, ds, row_t, h);
}

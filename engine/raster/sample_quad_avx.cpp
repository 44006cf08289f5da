// The sample quad's computation four lanes at a time. This file alone of the curved modes is
// built with AVX (see CMakeLists.txt); everything it uses is its own copy (the lane
// templates keep their functions internal), so no AVX instruction reaches a CPU without it.
#include "engine/raster/bernstein_lanes.h"

#if !defined(__AVX__)
#error "sample_quad_avx.cpp must be built with AVX"
#endif

void ComputeSampleQuadAvx(SampleQuad& q, int64_t i, double ds, double row_t) {
  bernstein::QuadLanes<simd_lanes::Doubles4>(q, i, ds, row_t, 0);
}

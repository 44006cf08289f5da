// The plain-material normals and lighting eight pixels wide. This file alone is built with
// AVX (see CMakeLists.txt); everything it uses is its own copy (simd_lanes.h and the lane
// templates keep their functions internal), so no AVX instruction reaches a CPU without it.
#include "engine/shading/plain_eight_avx.h"

#include "engine/raster/interpolation_lanes.h"
#include "engine/shading/lighting_lanes.h"

#if !defined(__AVX__)
#error "plain_eight_avx.cpp must be built with AVX"
#endif

void ShadePlainEightAvx(const PlainShading& p, const EightPixels& in, float c0[8], float c1[8],
                        float c2[8]) {
  lighting::Shade<simd_lanes::Lanes8>(p, in.x, in.y, in.z, in.nx, in.ny, in.nz, c0, c1,
                                                 c2);
}

void ShadePlainSixteenAvx(const PlainShading& p, const SixteenPixels& in, int count,
                          float c0[16], float c1[16], float c2[16]) {
  if (count > 8)
    lighting::Shade<simd_lanes::LanePair<simd_lanes::Lanes8>>(p, in.x, in.y, in.z, in.nx, in.ny,
                                                              in.nz, c0, c1, c2);
  else
    lighting::Shade<simd_lanes::Lanes8>(p, in.x, in.y, in.z, in.nx, in.ny, in.nz, c0, c1, c2);
}

void InterpolateNormalsSixteenAvx(const UnitNormals& units, const AreaMatrix& area,
                                  const float x[16], const float y[16], float nx[16],
                                  float ny[16], float nz[16], int count) {
  if (count > 8)
    interpolation_lanes::Normals<simd_lanes::LanePair<simd_lanes::Lanes8>>(units, area, x, y, nx,
                                                                           ny, nz);
  else
    interpolation_lanes::Normals<simd_lanes::Lanes8>(units, area, x, y, nx, ny, nz);
}

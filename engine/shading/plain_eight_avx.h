// The plain-material path eight pixels wide, from the one file built for AVX; called only
// where the table of processor paths (engine/cpu_paths.h) says the processor runs AVX code.
#pragma once

#include "engine/raster/interpolation.h"
#include "engine/shading/plain_shading.h"

void ShadePlainEightAvx(const PlainShading& p, const EightPixels& in, float c0[8], float c1[8],
                        float c2[8]);
// Sixteen as two groups of eight side by side when count is above 8, else the first eight.
void ShadePlainSixteenAvx(const PlainShading& p, const SixteenPixels& in, int count,
                          float c0[16], float c1[16], float c2[16]);
void InterpolateNormalsSixteenAvx(const UnitNormals& units, const AreaMatrix& area,
                                  const float x[16], const float y[16], float nx[16],
                                  float ny[16], float nz[16], int count);

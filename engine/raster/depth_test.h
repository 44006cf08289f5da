// The per-pixel depth test against ZBuff.
#pragma once

#include <emmintrin.h>
#include <math.h>

#include "engine/engine.h"
#include "engine/raster/truncate.h"

// The z-buffer as the rasterizers index it, read from the globals once per triangle so that
// the per-pixel test reads none: cells (x, y) with x < cols and y < rows (the recorded size
// limited to the buffer's real extent), at y * stride + x, below `limit` (the real cell
// count). Without a z-buffer `cells` is null. The same rules as ZBuffCellIndex.
struct DepthGrid {
  float* cells;
  int stride;  // Zwidth
  int cols, rows;
  long long limit;
};

DepthGrid CurrentDepthGrid();

// Depth z of the plane at (x, y) (vertex 0's z when |nz| < 0.01) and, with a z-buffer, the
// index of its cell at (trunc(x + ox), trunc(y + oy)), -1 outside the buffer. False without
// a z-buffer. Cells are checked against the buffer's real extent (engine/zbuffer.h).
inline bool DepthCellOf(const DepthGrid& g, float x, float y, float nx, float ny, float nz,
                        float d, const __Point3ds* vertices, int ox, int oy, float& z,
                        long long& index) {
  // |nz| below 0.01: the plane is seen almost edge-on and its depth formula blows up, so
  // the whole face takes vertex 0's depth.
  const bool flat_depth = fabsf(nz) < 0.01f;
  if (!g.cells) {
    z = flat_depth ? vertices[0].z : -((ny * y + nx * x) + d) / nz;
    return false;
  }
  const int cx = TruncToInt(static_cast<double>(x) + ox);
  const int cy = TruncToInt(static_cast<double>(y) + oy);
  if (flat_depth) {
    z = vertices[0].z;
  } else {
    const double plane = static_cast<double>(ny) * y + static_cast<double>(nx) * x;
    z = static_cast<float>(-(plane + d) / nz);
  }
  index = -1;
  if (cx < 0 || cy < 0 || cx >= g.cols || cy >= g.rows) return true;
  const long long i = static_cast<long long>(cy) * g.stride + cx;
  if (i < g.limit) index = i;
  return true;
}

// The depth test of a pixel at (x, y): passes when its depth z is strictly greater than the
// stored value, which is then delivered as old_depth and replaced by z; fails outside the
// buffer. Without a z-buffer every pixel passes; cell is -1 unless a z-buffer cell was
// written.
inline bool DepthTestIn(const DepthGrid& g, float x, float y, float nx, float ny, float nz,
                        float d, const __Point3ds* vertices, int ox, int oy, float& z,
                        int& cell, float& old_depth) {
  cell = -1;
  long long index = -1;
  if (!DepthCellOf(g, x, y, nx, ny, nz, d, vertices, ox, oy, z, index)) return true;
  if (index < 0) return false;
  const float stored = g.cells[index];
  if (!(z > stored)) return false;  // equal depth fails: the first triangle keeps the pixel
  old_depth = stored;
  g.cells[index] = z;
  cell = static_cast<int>(index);
  return true;
}

// Whether DepthTestIn would pass, without writing the cell: for an edge pixel, whose depth
// would be given back at once (edge pixels never occlude).
inline bool DepthWouldPass(const DepthGrid& g, float x, float y, float nx, float ny, float nz,
                           float d, const __Point3ds* vertices, float& z) {
  long long index = -1;
  if (!DepthCellOf(g, x, y, nx, ny, nz, d, vertices, 0, 0, z, index)) return true;
  return index >= 0 && z > g.cells[index];
}

// The depths DepthCellOf gives the pixels of row y, four side by side, the row's terms set up
// once: the plane's products are exact in double, so two lanes give the very sums and
// quotients.
struct PlaneRowDepths {
  bool flat;  // |nz| < 0.01: vertex 0's depth everywhere
  __m128 flat_z;
  __m128d plane_y, nx, d, nz;

  PlaneRowDepths(int y, float nx_, float ny_, float nz_, float d_, const __Point3ds* vertices)
      : flat(fabsf(nz_) < 0.01f),
        flat_z(_mm_set1_ps(vertices[0].z)),
        plane_y(_mm_set1_pd(static_cast<double>(ny_) * static_cast<float>(y))),
        nx(_mm_set1_pd(nx_)),
        d(_mm_set1_pd(d_)),
        nz(_mm_set1_pd(nz_)) {}

  // Pixels x .. x + 3.
  __m128 Four(int x) const {
    if (flat) return flat_z;
    __m128 half[2];
    for (int h = 0; h < 2; ++h) {
      const __m128d xs =
          _mm_setr_pd(static_cast<float>(x + 2 * h), static_cast<float>(x + 2 * h + 1));
      const __m128d plane = _mm_add_pd(plane_y, _mm_mul_pd(nx, xs));
      half[h] = _mm_cvtpd_ps(_mm_div_pd(_mm_xor_pd(_mm_add_pd(plane, d), _mm_set1_pd(-0.0)), nz));
    }
    return _mm_movelh_ps(half[0], half[1]);
  }
};

// DepthWouldPass of the four pixels x .. x + 3 of row y side by side, with a z-buffer (g.cells
// not null), given their depths (PlaneRowDepths): the lanes that would pass, lane j as bit j.
// (cmpgt is false for a depth or cell that is not a number, as the scalar test is.) The
// second form computes the depths itself, into z[0 .. 3].
inline int DepthWouldPassFour(const DepthGrid& g, int x, int y, __m128 depths) {
  if (y < 0 || y >= g.rows) return 0;
  const long long row = static_cast<long long>(y) * g.stride;
  if (x >= 0 && x + 3 < g.cols && row + x + 3 < g.limit)  // four cells side by side
    return _mm_movemask_ps(_mm_cmpgt_ps(depths, _mm_loadu_ps(g.cells + row + x)));
  alignas(16) float z[4];
  _mm_store_ps(z, depths);
  int pass = 0;
  for (int j = 0; j < 4; ++j) {
    const long long cx = x + j, i = row + cx;
    if (cx >= 0 && cx < g.cols && i < g.limit && z[j] > g.cells[i]) pass |= 1 << j;
  }
  return pass;
}
inline int DepthWouldPassFour(const DepthGrid& g, int x, int y, float nx, float ny, float nz,
                              float d, const __Point3ds* vertices, float z[4]) {
  const __m128 depths = PlaneRowDepths(y, nx, ny, nz, d, vertices).Four(x);
  _mm_storeu_ps(z, depths);
  return DepthWouldPassFour(g, x, y, depths);
}

// DepthTestIn against the z-buffer the globals describe now.
bool DepthTest(float x, float y, float nx, float ny, float nz, float d,
               const __Point3ds* vertices, int ox, int oy, float& z, int& cell,
               float& old_depth);

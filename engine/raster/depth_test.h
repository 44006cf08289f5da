// The per-pixel depth test against ZBuff, and the depths of a row's pixels computed over the
// lanes of simd_lanes.h (the plane's depth written once: one lane wide it is the per-pixel
// depth).
#pragma once

#include <math.h>
#include <string.h>

#include "engine/engine.h"
#include "engine/raster/truncate.h"
#include "engine/shading/simd_lanes.h"

namespace depth_rows {

// The depth of the plane nx x + ny y + nz z + d = 0 at x, given ny y: -(ny y + nx x + d) / nz
// in doubles, where the products of two floats are exact.
template <class D>
typename D::V PlaneDepth(typename D::V ny_y, typename D::V nx, typename D::V x, typename D::V d,
                         typename D::V nz) {
  return D::Div(D::Neg(D::Add(D::Add(ny_y, D::Mul(nx, x)), d)), nz);
}

// A row's terms: the plane at row y.
struct RowPlane {
  bool flat;  // |nz| < 0.01: vertex 0's depth everywhere
  float flat_z;
  double ny_y, nx, d, nz;
};

inline RowPlane MakeRowPlane(int y, float nx, float ny, float nz, float d,
                             const __Point3ds* vertices) {
  return RowPlane{fabsf(nz) < 0.01f, vertices[0].z,
                  static_cast<double>(ny) * static_cast<float>(y), nx, d, nz};
}

// The depths of pixels x .. x + L::kWidth - 1 of the row.
template <class L>
typename L::V RowDepths(const RowPlane& p, int x) {
  using D = typename L::D;
  if (p.flat) return L::Set(p.flat_z);
  typename D::V xs[L::kDoubles], z[L::kDoubles];
  L::Widen(L::Counting(x), xs);
  for (int i = 0; i < L::kDoubles; ++i)
    z[i] = PlaneDepth<D>(D::Set(p.ny_y), D::Set(p.nx), xs[i], D::Set(p.d), D::Set(p.nz));
  return L::Narrow(z);
}

}  // namespace depth_rows

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
    z = static_cast<float>(depth_rows::PlaneDepth<simd_lanes::Doubles1>(
        static_cast<double>(ny) * y, nx, x, d, nz));
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

// The depths DepthCellOf gives the pixels of row y, four side by side (at the row lanes'
// width), the row's terms set up once.
struct PlaneRowDepths {
  depth_rows::RowPlane plane;

  PlaneRowDepths(int y, float nx, float ny, float nz, float d, const __Point3ds* vertices)
      : plane(depth_rows::MakeRowPlane(y, nx, ny, nz, d, vertices)) {}

  // Pixels x .. x + RowLanes::kWidth - 1.
  simd_lanes::RowLanes::V Lanes(int x) const {
    return depth_rows::RowDepths<simd_lanes::RowLanes>(plane, x);
  }
  // Pixels x .. x + 3, into z[0 .. 3].
  void Four(int x, float z[4]) const {
    using L = simd_lanes::RowLanes;
    for (int j = 0; j < 4; j += L::kWidth) L::Store(z + j, Lanes(x + j));
  }
};

// DepthWouldPass of the four pixels x .. x + 3 of row y side by side, with a z-buffer (g.cells
// not null), given their depths (PlaneRowDepths): the lanes that would pass, lane j as bit j.
// (A depth or cell that is not a number fails, as in the scalar test.) The second form
// computes the depths itself, into z[0 .. 3].
inline int DepthWouldPassFour(const DepthGrid& g, int x, int y, const float z[4]) {
  using L = simd_lanes::RowLanes;
  if (y < 0 || y >= g.rows) return 0;
  const long long row = static_cast<long long>(y) * g.stride;
  int pass = 0;
  if (x >= 0 && x + 3 < g.cols && row + x + 3 < g.limit) {  // four cells side by side
    for (int j = 0; j < 4; j += L::kWidth)
      pass |= L::Mask(L::Greater(L::Load(z + j), L::Load(g.cells + row + x + j))) << j;
    return pass;
  }
  for (int j = 0; j < 4; ++j) {
    const long long cx = x + j, i = row + cx;
    if (cx >= 0 && cx < g.cols && i < g.limit && z[j] > g.cells[i]) pass |= 1 << j;
  }
  return pass;
}
inline int DepthWouldPassFour(const DepthGrid& g, int x, int y, float nx, float ny, float nz,
                              float d, const __Point3ds* vertices, float z[4]) {
  PlaneRowDepths(y, nx, ny, nz, d, vertices).Four(x, z);
  return DepthWouldPassFour(g, x, y, z);
}

// DepthTestIn against the z-buffer the globals describe now.
bool DepthTest(float x, float y, float nx, float ny, float nz, float d,
               const __Point3ds* vertices, int ox, int oy, float& z, int& cell,
               float& old_depth);

// The per-pixel depth test against ZBuff.
#pragma once

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

// Depth of the plane at (x, y) (vertex 0's z when |nz| < 0.01) tested against the z-buffer
// cell at (trunc(x + ox), trunc(y + oy)). Passes when z is strictly greater than the stored
// value, which is then delivered as old_depth and replaced by z; fails outside the buffer.
// Without a z-buffer every pixel passes; cell is -1 unless a z-buffer cell was written.
// Cells are checked against the buffer's real extent (engine/zbuffer.h).
inline bool DepthTestIn(const DepthGrid& g, float x, float y, float nx, float ny, float nz,
                        float d, const __Point3ds* vertices, int ox, int oy, float& z,
                        int& cell, float& old_depth) {
  // |nz| below 0.01: the plane is seen almost edge-on and its depth formula blows up, so
  // the whole face takes vertex 0's depth.
  const bool flat_depth = fabsf(nz) < 0.01f;
  cell = -1;
  if (!g.cells) {
    z = flat_depth ? vertices[0].z : -((ny * y + nx * x) + d) / nz;
    return true;
  }
  const int cx = TruncToInt(static_cast<double>(x) + ox);
  const int cy = TruncToInt(static_cast<double>(y) + oy);
  if (flat_depth) {
    z = vertices[0].z;
  } else {
    const double plane = static_cast<double>(ny) * y + static_cast<double>(nx) * x;
    z = static_cast<float>(-(plane + d) / nz);
  }
  if (cx < 0 || cy < 0 || cx >= g.cols || cy >= g.rows) return false;
  const long long index = static_cast<long long>(cy) * g.stride + cx;
  if (index >= g.limit) return false;
  const float stored = g.cells[index];
  if (!(z > stored)) return false;  // equal depth fails: the first triangle keeps the pixel
  old_depth = stored;
  g.cells[index] = z;
  cell = static_cast<int>(index);
  return true;
}

// DepthTestIn against the z-buffer the globals describe now.
bool DepthTest(float x, float y, float nx, float ny, float nz, float d,
               const __Point3ds* vertices, int ox, int oy, float& z, int& cell,
               float& old_depth);

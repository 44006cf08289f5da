// The per-pixel depth test against ZBuff.
#pragma once

#include "engine/engine.h"

// Depth of the plane at (x, y) (vertex 0's z when |nz| < 0.01) tested against the z-buffer
// cell at (trunc(x + ox), trunc(y + oy)). Passes when z is strictly greater than the stored
// value, which is then delivered as old_depth and replaced by z; fails outside the buffer.
// Without a z-buffer every pixel passes; cell is -1 unless a z-buffer cell was written.
// Cells are checked against the buffer's real extent (engine/zbuffer.h).
bool DepthTest(float x, float y, float nx, float ny, float nz, float d,
               const __Point3ds* vertices, int ox, int oy, float& z, int& cell,
               float& old_depth);

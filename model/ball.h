// The generated glass ball: a latitude-longitude sphere whose density follows the faces
// number, with one pole lengthened to 1.1 radius.
#pragma once

#include "engine/engine.h"

// Builds the ball for `faces` faces and the given radius. With n = int(1.5 * sqrt(faces))
// meridian strips and m = faces / n vertices per meridian it makes (n + 1) * m + 2 vertices
// (pole A, vertex 0, at (0, 0, r); pole B, the last vertex, at (0, 0, -1.1 r)) and
// 2 * n * m triangles of material 0.
//
// On success the four outputs hold the new arrays and their counts; both arrays come from
// PageAlloc and the caller releases them with PageFree. Fewer than 9 faces build nothing:
// success with null arrays and zero counts. Failure (a null output, counts that do not fit
// the engine's 32-bit indices, or no memory) leaves null arrays and zero counts.
bool BuildBall(int faces, float radius, __Point3ds** vertices, __Triangle3ds** triangles,
               int* vertex_count, int* triangle_count);

// Triangle set-up helpers: the edge list, its rotation to the top vertex, the orientation
// test, the face normal and the line through an edge.
#pragma once

#include <stdint.h>

#include "engine/engine.h"

// One entry of a triangle's edge list: start and end vertex index (0..2) and a spare byte.
struct EdgeEntry {
  uint8_t start;
  uint8_t end;
  uint8_t spare;
};

// Index of the entry whose start vertex has the largest y (the last of equal largest
// values wins; 1 when no y reaches -1e11); *smallest_y receives the smallest start y.
int TopEdgeIndex(int count, const __Point3ds* vertices, const EdgeEntry* edges,
                 float* smallest_y);

// New entry k = old entry (start + k) mod count.
void RotateEdgeList(int count, int start, EdgeEntry* edges);

// Direction of the vector from (x1, y1) to (x2, y2), in [0, 2 pi).
float AngleOf(float x1, float y1, float x2, float y2);

// False for a degenerate triangle; may swap the vertex records P1 and P2 (and the spare
// bytes of entries 0 and 2) so that entries 0 and 1 form the left chain.
bool OrientTriangle(EdgeEntry* edges, __Point3ds* vertices);

// (R0 - R1) x (R2 - R1) over three consecutive records; not normalised.
void FaceNormal(const __Point3ds* records, float& nx, float& ny, float& nz);

// A*x + B*y + C = 0 through (x1, y1) and (x2, y2): A = y2 - y1, B = x1 - x2.
void EdgeLine(float x1, float y1, float x2, float y2, float& a, float& b, float& c);

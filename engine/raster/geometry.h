// Small geometry helpers of the curved modes: projection onto a plane and distance.
#pragma once

// Orthogonal projection of (a, b, c) onto nx*X + ny*Y + nz*Z + m = 0; nx2, ny2, nz2 are the
// squares of the normal's components.
void ProjectOntoPlane(float a, float b, float c, float nx, float ny, float nz, float nx2,
                      float ny2, float nz2, float m, float& out_x, float& out_y, float& out_z);

float PointDistance(float x1, float y1, float z1, float x2, float y2, float z2);

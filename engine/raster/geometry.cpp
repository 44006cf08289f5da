// Geometry helpers of the curved modes: orthogonal projection onto a plane, distance.
#include "engine/raster/geometry.h"

#include <math.h>

void ProjectOntoPlane(float a, float b, float c, float nx, float ny, float nz, float nx2,
                      float ny2, float nz2, float m, float& out_x, float& out_y,
                      float& out_z) {
  float q = nx2 + ny2 + nz2;
  // Solve for Y when the normal leans more to y than to x, else for X when it has an x
  // part, else for Z; the other two coordinates follow along the normal from (a, b, c).
  if (fabsf(ny) > fabsf(nx)) {
    out_y = (b * (nx2 + nz2) - ny * (m + nx * a + nz * c)) / q;
    out_x = a + nx * (out_y - b) / ny;
    out_z = c + nz * (out_y - b) / ny;
  } else if (nx != 0) {
    out_x = (a * (ny2 + nz2) - nx * (m + ny * b + nz * c)) / q;
    out_y = b + ny * (out_x - a) / nx;
    out_z = c + nz * (out_x - a) / nx;
  } else {
    out_z = (c * (nx2 + ny2) - nz * (m + nx * a + ny * b)) / q;
    out_x = a + nx * (out_z - c) / nz;
    out_y = b + ny * (out_z - c) / nz;
  }
}

float PointDistance(float x1, float y1, float z1, float x2, float y2, float z2) {
  float dx = x1 - x2;
  float dy = y1 - y2;
  float dz = z1 - z2;
  return sqrtf(dx * dx + dy * dy + dz * dz);
}

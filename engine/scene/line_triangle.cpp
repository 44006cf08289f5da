// Mode 1: a triangle's three edges as shaded lines, shaded with the triangle's plane.
#include <math.h>

#include "engine/raster/triangle_setup.h"
#include "engine/scene/line_modes.h"

void DrawLineTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri) {
  // 1. The vertices with the origin added.
  __Point3ds p[3] = {d.points[tri->a], d.points[tri->b], d.points[tri->c]};
  for (__Point3ds& v : p) {
    v.x += static_cast<float>(d.origin_x);
    v.y += static_cast<float>(d.origin_y);
  }
  // 2. The unit face normal (P0 - P1) x (P2 - P1) and the plane through P0.
  float nx, ny, nz;
  FaceNormal(p, nx, ny, nz);
  float len = sqrtf(nx * nx + ny * ny + nz * nz);
  if (len == 0) len = 1;
  nx /= len;
  ny /= len;
  nz /= len;
  const Plane plane{nx, ny, nz, -(nx * p[0].x + ny * p[0].y + nz * p[0].z)};
  // 3. The edges P0-P1, P1-P2, P2-P0.
  const LineShading s{image, f, d, tri};
  for (int k = 0; k < 3; ++k) {
    const __Point3ds& a = p[k];
    const __Point3ds& b = p[(k + 1) % 3];
    DrawShadedLine(s, a.x, a.y, b.x, b.y, _WireSize, plane);
  }
}

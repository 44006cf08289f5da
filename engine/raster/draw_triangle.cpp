// The per-triangle drivers of the flat, Phong and solid modes: the triangle's local copy
// with the origin added, its edge list turned to the top vertex, its orientation and its
// face plane, handed to the rasterizer.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/shaded_triangle.h"
#include "engine/raster/triangle_walk.h"

namespace {

// Copies and orders the triangle; false when it is degenerate (nothing is drawn).
bool SetUpTriangle(const __Triangle3ds& tri, const __Point3ds* points, int origin_x,
                   int origin_y, LocalTriangle& t) {
  t.v[0] = points[tri.a];
  t.v[1] = points[tri.b];
  t.v[2] = points[tri.c];
  for (__Point3ds& p : t.v) {
    p.x += static_cast<float>(origin_x);
    p.y += static_cast<float>(origin_y);
  }
  t.edges[0] = EdgeEntry{0, 1, 0};
  t.edges[1] = EdgeEntry{1, 2, 0};
  t.edges[2] = EdgeEntry{2, 0, 0};
  float smallest_y = 0.0f;
  const int top = TopEdgeIndex(3, t.v, t.edges, &smallest_y);
  RotateEdgeList(3, top, t.edges);
  if (!OrientTriangle(t.edges, t.v)) return false;
  t.bottom_row = triangle_walk::Trunc(smallest_y);
  return true;
}

// Unit face normal (R0 - R1) x (R2 - R1) and plane constant. After orientation a drawable
// face has nz <= 0; a positive nz only comes from a nearly flat triangle the orientation
// turned the wrong way, which is skipped.
bool FacePlane(const LocalTriangle& t, Plane& p) {
  FaceNormal(t.v, p.nx, p.ny, p.nz);
  if (p.nz > 0.0f) return false;
  float len = sqrtf(p.nx * p.nx + p.ny * p.ny + p.nz * p.nz);
  if (len == 0.0f) len = 1.0f;
  p.nx /= len;
  p.ny /= len;
  p.nz /= len;
  p.d = -(p.nx * t.v[0].x + p.ny * t.v[0].y + p.nz * t.v[0].z);
  return true;
}

using ShadedRasterizer = void (*)(const Frame&, const FrameImage&, const Draw&, __Triangle3ds*,
                                  LocalTriangle&, const Plane&);

void DrawShaded(ShadedRasterizer raster, const Frame& f, const FrameImage& image, const Draw& d,
                __Triangle3ds* tri) {
  LocalTriangle t;
  if (!SetUpTriangle(*tri, d.points, d.origin_x, d.origin_y, t)) return;
  Plane plane;
  if (!FacePlane(t, plane)) return;
  raster(f, image, d, tri, t, plane);
}

}  // namespace

void DrawPhongTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri) {
  DrawShaded(RasterPhongTriangle, f, image, d, tri);
}

void DrawFlatTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri) {
  DrawShaded(RasterFlatTriangle, f, image, d, tri);
}

void DrawSolidTriangle(const FrameImage& image, const __Triangle3ds& tri, const __Point3ds* points,
                       int origin_x, int origin_y, const float c[3], float opacity) {
  LocalTriangle t;
  if (!SetUpTriangle(tri, points, origin_x, origin_y, t)) return;
  RasterSolidTriangle(image, t, c, opacity);
}

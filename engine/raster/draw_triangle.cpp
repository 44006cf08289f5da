// The per-triangle drivers of the flat, Phong and solid modes: the triangle's local copy
// with the origin added, its edge list turned to the top vertex, its orientation and its
// face plane, handed to the rasterizer.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/shaded_triangle.h"
#include "engine/raster/triangle_walk.h"

namespace {

// One triangle made ready for a rasterizer.
struct LocalTriangle {
  __Point3ds v[3];
  EdgeEntry edges[3];
  int bottom_row;
};

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
bool FacePlane(const LocalTriangle& t, float& nx, float& ny, float& nz, float& d) {
  FaceNormal(t.v, nx, ny, nz);
  if (nz > 0.0f) return false;
  float len = sqrtf(nx * nx + ny * ny + nz * nz);
  if (len == 0.0f) len = 1.0f;
  nx /= len;
  ny /= len;
  nz /= len;
  d = -(nx * t.v[0].x + ny * t.v[0].y + nz * t.v[0].z);
  return true;
}

using ShadedRasterizer = void (*)(unsigned char*, unsigned char*, int, int, __Texture*,
                                  material3ds*, int, __Triangle3ds*, int, __Point3ds*,
                                  EdgeEntry*, int, int, int, float, float, float, float, int,
                                  light3ds*, GlassProp*);

void DrawShaded(ShadedRasterizer raster, unsigned char* image, unsigned char* background,
                int width, int height, __Texture* textures, material3ds* mats, int mat_count,
                __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                int light_count, light3ds* lights, GlassProp* glass) {
  LocalTriangle t;
  if (!SetUpTriangle(*tri, points, origin_x, origin_y, t)) return;
  float nx, ny, nz, d;
  if (!FacePlane(t, nx, ny, nz, d)) return;
  raster(image, background, width, height, textures, mats, mat_count, tri, 3, t.v, t.edges,
         t.bottom_row, origin_x, origin_y, nx, ny, nz, d, light_count, lights, glass);
}

}  // namespace

void DrawPhongTriangle(unsigned char* image, unsigned char* background, int width, int height,
                       __Texture* textures, material3ds* mats, int mat_count,
                       __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                       int light_count, light3ds* lights, GlassProp* glass) {
  DrawShaded(RasterPhongTriangle, image, background, width, height, textures, mats, mat_count,
             tri, points, origin_x, origin_y, light_count, lights, glass);
}

void DrawFlatTriangle(unsigned char* image, unsigned char* background, int width, int height,
                      __Texture* textures, material3ds* mats, int mat_count, __Triangle3ds* tri,
                      __Point3ds* points, int origin_x, int origin_y, int light_count,
                      light3ds* lights, GlassProp* glass) {
  DrawShaded(RasterFlatTriangle, image, background, width, height, textures, mats, mat_count,
             tri, points, origin_x, origin_y, light_count, lights, glass);
}

void DrawSolidTriangle(unsigned char* image, int width, int height, __Triangle3ds* tri,
                       __Point3ds* points, int origin_x, int origin_y, float c0, float c1,
                       float c2, float opacity) {
  LocalTriangle t;
  if (!SetUpTriangle(*tri, points, origin_x, origin_y, t)) return;
  RasterSolidTriangle(image, width, height, tri, 3, t.v, t.edges, t.bottom_row, origin_x,
                      origin_y, c0, c1, c2, opacity);
}

// The ball generator: poles, meridian vertices and triangle strips, in that order.
#include "model/ball.h"

#include <math.h>
#include <stdint.h>

#include "platform/exact_math.h"
#include "platform/os/page_alloc.h"

namespace {

constexpr double kPi = 3.141592653589793;
constexpr int kMinFaces = 9;  // fewer faces give n < 4 strips: no ball

void SetPole(__Point3ds* p, float z, float nz, float v) {
  p->z = z;
  p->nz = nz;
  p->has_uv = 1;
  p->has_normal = 1;
  p->u = 0.01f;
  p->v = v;
}

// Meridian n closes the ball where it started: its longitude, summed up step by step in
// single precision, lands only near 2 pi, and the few ulps between its vertices and meridian
// 0's open a crack one pixel wide along that meridian (rows whose truncation falls between
// the two copies belong to neither strip). It takes meridian 0's positions and normals
// exactly and keeps its own texture coordinates.
void CloseSeam(__Point3ds* vertices, int n, int m) {
  for (int j = 0; j < m; ++j) {
    const __Point3ds& first = vertices[1 + j];
    __Point3ds& last = vertices[1 + n * m + j];
    last.x = first.x, last.y = first.y, last.z = first.z;
    last.nx = first.nx, last.ny = first.ny, last.nz = first.nz;
  }
}

// Meridians 0..n, each from pole B's side (j = 0) to pole A's side (j = m - 1). Longitude
// and latitude advance by repeated single-precision addition of their steps.
void SetMeridians(__Point3ds* vertices, int n, int m, float r) {
  const float lon_step = static_cast<float>(2.0 * kPi / n);
  const float lat_step = static_cast<float>(kPi / (m + 1));
  float lon = 0.0f;
  for (int i = 0; i <= n; ++i) {
    float lat = static_cast<float>(lat_step + -1.5707963267948966);
    for (int j = 0; j < m; ++j) {
      __Point3ds* p = &vertices[1 + i * m + j];
      p->nx = exact_math::ExactCosf(lat) * exact_math::ExactCosf(lon);
      p->ny = exact_math::ExactCosf(lat) * exact_math::ExactSinf(lon);
      p->nz = exact_math::ExactSinf(lat);
      p->x = r * p->nx;
      p->y = r * p->ny;
      p->z = r * p->nz;
      p->has_uv = 1;
      p->has_normal = 1;
      p->u = static_cast<float>(i) / static_cast<float>(n + 1) + 0.01f;
      p->v = static_cast<float>(j) / static_cast<float>(m + 1);
      lat += lat_step;
    }
    lon += lon_step;
  }
  CloseSeam(vertices, n, m);
}

void SetTriangle(__Triangle3ds* t, int a, int b, int c) {
  t->a = a;
  t->b = b;
  t->c = c;
  t->reserved = 0;
  t->material = 0;
}

// Per strip: the fan triangle at pole B, two triangles per meridian gap, the fan triangle
// at pole A.
void SetTriangles(__Triangle3ds* t, int n, int m, int vertex_count) {
  for (int i = 0; i < n; ++i) {
    const int base = 1 + i * m;
    SetTriangle(t++, vertex_count - 1, base + m, base);
    for (int j = 0; j <= m - 2; ++j) {
      SetTriangle(t++, base + m + j, base + m + j + 1, base + j);
      SetTriangle(t++, base + j, base + m + j + 1, base + j + 1);
    }
    SetTriangle(t++, base + 2 * m - 1, 0, base + m - 1);
  }
}

}  // namespace

bool BuildBall(int faces, float radius, __Point3ds** vertices, __Triangle3ds** triangles,
               int* vertex_count, int* triangle_count) {
  if (!vertices || !triangles || !vertex_count || !triangle_count) return false;
  *vertices = nullptr;
  *triangles = nullptr;
  *vertex_count = 0;
  *triangle_count = 0;
  if (faces < kMinFaces) return true;

  const int n = static_cast<int>(1.5 * sqrtf(static_cast<float>(faces)));
  const int m = faces / n;
  const int64_t v_count = static_cast<int64_t>(n + 1) * m + 2;
  const int64_t t_count = 2 * static_cast<int64_t>(n) * m;
  if (v_count > INT32_MAX || t_count > INT32_MAX) return false;  // beyond 32-bit indices

  __Point3ds* v = static_cast<__Point3ds*>(PageAlloc(sizeof(__Point3ds) * v_count));
  __Triangle3ds* t = static_cast<__Triangle3ds*>(PageAlloc(sizeof(__Triangle3ds) * t_count));
  if (!v || !t) {
    PageFree(v);
    PageFree(t);
    return false;
  }
  const int vn = static_cast<int>(v_count);
  SetPole(&v[0], radius, 1.0f, 0.99f);
  SetPole(&v[vn - 1], -radius - radius / 10, -1.0f, 0.01f);
  SetMeridians(v, n, m, radius);
  SetTriangles(t, n, m, vn);

  *vertices = v;
  *triangles = t;
  *vertex_count = vn;
  *triangle_count = static_cast<int>(t_count);
  return true;
}

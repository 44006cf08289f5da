// Interpolation across a triangle by area weights: the per-pixel normal of the Phong
// rasterizer (plain or with mid-edge normals) and the texture coordinates.
#include "engine/raster/interpolation.h"

#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/interpolation_lanes.h"
#include "engine/shading/plain_shading.h"
#if QUORVEL_SIMD
#include "engine/shading/plain_eight_avx.h"
#endif

AreaMatrix MakeAreaMatrix(float x0, float y0, float x1, float y1, float x2, float y2) {
  AreaMatrix m;
  m.x[0] = x0;
  m.x[1] = x1;
  m.x[2] = x2;
  m.y[0] = y0;
  m.y[1] = y1;
  m.y[2] = y2;
  m.det = AreaDet(x0, y0, x1, y1, x2, y2);
  return m;
}

namespace {

// Area weights of (x, y): negative ones (outside the opposite edge) become 0, and the rest
// are scaled to sum 1 when their sum is positive. With SIMD the three weights are computed
// side by side in the lanes of one register: each lane does the very operations, in the
// very order, of AreaDet and the scalar divisions, so the weights are bit for bit the same
// at a third of the dependent divisions' latency. Without, the lanes' weights one lane wide.
void AreaWeights(const AreaMatrix& s, float x, float y, float w[3]) {
#if QUORVEL_SIMD
  using L = simd_lanes::Lanes4;
  w[0] = w[1] = w[2] = 0;
  if (s.det == 0) return;  // no area: no weights (the rasterizers reject such triangles)
  // Lane k holds AreaDet(p, q, (x, y)) for the edge opposite vertex k: w0 from (P1, P2),
  // w1 from (P2, P0), w2 from (P0, P1).
  const L::V px = L::SetLanes(s.x[1], s.x[2], s.x[0], 0.0f);
  const L::V py = L::SetLanes(s.y[1], s.y[2], s.y[0], 0.0f);
  const L::V qx = L::SetLanes(s.x[2], s.x[0], s.x[1], 0.0f);
  const L::V qy = L::SetLanes(s.y[2], s.y[0], s.y[1], 0.0f);
  const L::V rx = L::Set(x), ry = L::Set(y);
  const L::V det = L::Add(L::Sub(L::Mul(px, L::Sub(qy, ry)), L::Mul(qx, L::Sub(py, ry))),
                          L::Mul(rx, L::Sub(py, qy)));
  L::V v = L::Div(det, L::Set(s.det));
  v = L::ZeroWhere(L::Less(v, L::Zero()), v);  // below 0 becomes +0
  float lanes[4];
  L::Store(lanes, v);
  const float t = lanes[0] + lanes[1] + lanes[2];
  if (t > 0) L::Store(lanes, L::Div(v, L::Set(t)));
  w[0] = lanes[0];
  w[1] = lanes[1];
  w[2] = lanes[2];
#else
  interpolation_lanes::AreaWeights<simd_lanes::Lanes1>(s, x, y, w);
#endif
}

// The vertex normal, unit length unless it has none.
__Point UnitNormal(const __Point3ds& p) {
  __Point n = {p.nx, p.ny, p.nz};
  float len = sqrtf(n.x * n.x + n.y * n.y + n.z * n.z);
  if (len > 0) {
    n.x /= len;
    n.y /= len;
    n.z /= len;
  }
  return n;
}

void AddScaled(__Point& sum, const __Point& n, float k) {
  sum.x += k * n.x;
  sum.y += k * n.y;
  sum.z += k * n.z;
}

void PlainUV(const __Point3ds* vertices, const float w[3], float& u, float& v) {
  u = w[0] * vertices[0].u + w[1] * vertices[1].u + w[2] * vertices[2].u;
  v = w[0] * vertices[0].v + w[1] * vertices[1].v + w[2] * vertices[2].v;
}

}  // namespace

UnitNormals MakeUnitNormals(const __Point3ds* vertices) {
  return UnitNormals{{UnitNormal(vertices[0]), UnitNormal(vertices[1]), UnitNormal(vertices[2])}};
}

void InterpolatePhong(float x, float y, float z, const __Point3ds* vertices,
                      const AreaMatrix& area, const AreaMatrix* projected, bool has_uv,
                      const MidNormals* mid, int ox, int oy, __Point& normal, float& u,
                      float& v) {
  InterpolatePhongWith(MakeUnitNormals(vertices), x, y, z, vertices, area, projected, has_uv,
                       mid, ox, oy, normal, u, v);
}

void InterpolatePhongWith(const UnitNormals& units, float x, float y, float z,
                          const __Point3ds* vertices, const AreaMatrix& area,
                          const AreaMatrix* projected, bool has_uv, const MidNormals* mid,
                          int ox, int oy, __Point& normal, float& u, float& v) {
  float w[3];
  AreaWeights(area, x, y, w);
  const __Point& n0 = units.n[0];
  const __Point& n1 = units.n[1];
  const __Point& n2 = units.n[2];
  normal = {0, 0, 0};
  if (_Quality && _UsePhong2 && mid) {
    // Quadratic blend through the mid-edge normals; only the M12 term carries the 2.
    AddScaled(normal, n0, w[0] * w[0]);
    AddScaled(normal, n1, w[1] * w[1]);
    AddScaled(normal, n2, w[2] * w[2]);
    AddScaled(normal, mid->m01, w[0] * w[1]);
    AddScaled(normal, mid->m12, 2 * w[1] * w[2]);
    AddScaled(normal, mid->m20, w[2] * w[0]);
  } else {
    AddScaled(normal, n0, w[0]);
    AddScaled(normal, n1, w[1]);
    AddScaled(normal, n2, w[2]);
  }
  if (!has_uv) return;
  if (_Persp_Val != 0 && projected) {
    TexCoordsAtPixel(u, v, x, y, z, ox, oy, *projected, vertices);
  } else {
    PlainUV(vertices, w, u, v);
  }
}

void InterpolateNormalsFour(const UnitNormals& units, const AreaMatrix& area, const float x[4],
                            const float y[4], float nx[4], float ny[4], float nz[4]) {
  using L = simd_lanes::RowLanes;
  for (int j = 0; j < 4; j += L::kWidth)
    interpolation_lanes::Normals<L>(units, area, x + j, y + j, nx + j, ny + j, nz + j);
}

void InterpolateNormalsSixteen(const UnitNormals& units, const AreaMatrix& area,
                               const float x[16], const float y[16], float nx[16], float ny[16],
                               float nz[16], int count) {
#if QUORVEL_SIMD
  if (PlainLaneWidth() == 8) {
    InterpolateNormalsSixteenAvx(units, area, x, y, nx, ny, nz, count);
    return;
  }
#endif
  using L = simd_lanes::RowLanes;
  for (int j = 0; j < count; j += L::kWidth)
    interpolation_lanes::Normals<L>(units, area, x + j, y + j, nx + j, ny + j, nz + j);
}

void InterpolateUV(float x, float y, float z, const __Point3ds* vertices,
                   const AreaMatrix& area, const AreaMatrix* projected, bool has_uv, int ox,
                   int oy, float& u, float& v) {
  if (!has_uv) return;
  if (_Persp_Val != 0 && projected) {
    TexCoordsAtPixel(u, v, x, y, z, ox, oy, *projected, vertices);
    return;
  }
  float w[3];
  AreaWeights(area, x, y, w);
  PlainUV(vertices, w, u, v);
}

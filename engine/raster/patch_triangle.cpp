// The patch mode's split of a triangle into four on the curved surface its vertex normals
// describe: each edge's midpoint is pulled halfway towards the average of its projections
// onto the two end points' tangent planes.
#include "engine/engine_state.h"
#include "engine/raster/face_culling.h"
#include "engine/raster/geometry.h"
#include "engine/raster/shaded_triangle.h"

namespace {

// Orthogonal projection of p onto the tangent plane through `at` with the normal of `at`.
void ProjectOntoTangent(const float p[3], const __Point3ds& at, float out[3]) {
  const float nx = at.nx, ny = at.ny, nz = at.nz;
  const float m = -(nx * at.x + ny * at.y + nz * at.z);
  ProjectOntoPlane(p[0], p[1], p[2], nx, ny, nz, nx * nx, ny * ny, nz * nz, m, out[0], out[1],
                   out[2]);
}

bool HasLength(const __Point3ds& p) { return p.nx != 0.0f || p.ny != 0.0f || p.nz != 0.0f; }

// The curved midpoint of edge (a, b) with its averaged normal and texture coordinates.
__Point3ds CurvedMidpoint(const __Point3ds& a, const __Point3ds& b, bool has_uv) {
  __Point3ds r{};
  const float mid[3] = {(a.x + b.x) / 2.0f, (a.y + b.y) / 2.0f, (a.z + b.z) / 2.0f};
  float pos[3] = {mid[0], mid[1], mid[2]};
  // A zero normal has no tangent plane: such an edge keeps its plain midpoint.
  if (HasLength(a) && HasLength(b)) {
    float qa[3], qb[3];
    ProjectOntoTangent(mid, a, qa);
    ProjectOntoTangent(mid, b, qb);
    for (int k = 0; k < 3; ++k) pos[k] = (mid[k] + (qa[k] + qb[k]) / 2.0f) / 2.0f;
  }
  r.x = pos[0];
  r.y = pos[1];
  r.z = pos[2];
  r.has_normal = 1;
  r.nx = (a.nx + b.nx) / 2.0f;
  r.ny = (a.ny + b.ny) / 2.0f;
  r.nz = (a.nz + b.nz) / 2.0f;
  if (has_uv) {
    r.has_uv = 1;
    r.u = (a.u + b.u) / 2.0f;
    r.v = (a.v + b.v) / 2.0f;
  }
  return r;
}

}  // namespace

void BuildPatchVertices(const __Triangle3ds& tri, const __Point3ds* points, __Point3ds out[6]) {
  out[0] = points[tri.a];
  out[1] = points[tri.b];
  out[2] = points[tri.c];
  const bool has_uv = out[0].has_uv && out[1].has_uv && out[2].has_uv;
  out[3] = CurvedMidpoint(out[0], out[1], has_uv);
  out[4] = CurvedMidpoint(out[1], out[2], has_uv);
  out[5] = CurvedMidpoint(out[0], out[2], has_uv);
}

void DrawPatchTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri) {
  __Point3ds v[6];
  BuildPatchVertices(*tri, d.points, v);
  Draw parts = d;  // the parts' corners index the six vertices
  parts.points = v;
  static const int kParts[4][3] = {{0, 3, 5}, {3, 1, 4}, {4, 2, 5}, {3, 4, 5}};
  for (const auto& part : kParts) {
    __Triangle3ds sub = *tri;
    sub.a = part[0];
    sub.b = part[1];
    sub.c = part[2];
    if (!FacesCurrentPass(OrientationNz(v[sub.a], v[sub.b], v[sub.c]))) continue;
    DrawPhongTriangle(f, image, parts, &sub);
  }
}

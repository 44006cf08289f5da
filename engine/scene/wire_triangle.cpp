// Mode 2: the edges of the cubic triangular patch built on a triangle from its vertex
// normals, drawn as polylines of shaded lines so that the wireframe follows the rounded
// surface.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/geometry.h"
#include "engine/scene/line_modes.h"

namespace {

struct Vec {
  float x, y, z;
};

Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(Vec a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// Control points of the patch: corners, edge points Bij (near Pi, towards Pj) and centre,
// for positions and for normals alike. Index [i][j] with i != j; [i][i] is the corner.
struct CubicNet {
  Vec edge[3][3];
  Vec centre;
};

// The cubic combination of a control net at barycentric weights w.
Vec Evaluate(const CubicNet& net, const float w[3]) {
  Vec p{0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    p = p + net.edge[i][i] * (w[i] * w[i] * w[i]);
    for (int j = 0; j < 3; ++j)
      if (j != i) p = p + net.edge[i][j] * (3 * w[i] * w[i] * w[j]);
  }
  return p + net.centre * (6 * w[0] * w[1] * w[2]);
}

// Qij = (2/3) Pi + (1/3) Pj projected onto the tangent plane of Pi; a zero normal has no
// plane, and the point stays at Qij.
Vec EdgeControlPoint(Vec pi, Vec pj, Vec ni) {
  const Vec q = pi * (2.0f / 3.0f) + pj * (1.0f / 3.0f);
  const float nx2 = ni.x * ni.x, ny2 = ni.y * ni.y, nz2 = ni.z * ni.z;
  if (nx2 + ny2 + nz2 == 0) return q;
  Vec b;
  ProjectOntoPlane(q.x, q.y, q.z, ni.x, ni.y, ni.z, nx2, ny2, nz2, -Dot(ni, pi), b.x, b.y, b.z);
  return b;
}

// Steps 1 to 3: the position and normal nets of the patch.
void BuildNets(const Vec p[3], const Vec n[3], CubicNet& pos, CubicNet& nrm) {
  Vec sum{0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    pos.edge[i][i] = p[i];
    nrm.edge[i][i] = n[i];
    for (int j = 0; j < 3; ++j) {
      if (j == i) continue;
      pos.edge[i][j] = EdgeControlPoint(p[i], p[j], n[i]);
      nrm.edge[i][j] = (n[i] + (n[i] + n[j]) * 0.5f) * 0.5f;
      sum = sum + pos.edge[i][j];
    }
  }
  nrm.centre = (n[0] + n[1] + n[2]) * (1.0f / 3.0f);
  const Vec q10 = p[1] * (2.0f / 3.0f) + p[0] * (1.0f / 3.0f);
  const Vec b10 = pos.edge[1][0];
  const float lift = PointDistance(q10.x, q10.y, q10.z, b10.x, b10.y, b10.z);
  pos.centre = sum * (1.0f / 6.0f) + nrm.centre * lift;
}

// One over a distance, 1 when the distance is 0.
float Reciprocal(float d) { return d == 0 ? 1.0f : 1.0f / d; }

// Step 5: the parameter step, the same for all three edges. Steps finer than the smallest
// below would take more segments than any image has pixels along an edge: edges that long
// (or with end points that are not numbers) are walked at that smallest step.
float ParameterStep(const Vec p[3]) {
  const float r1 = Reciprocal(PointDistance(p[0].x, p[0].y, p[0].z, p[2].x, p[2].y, p[2].z));
  const float r2 = Reciprocal(PointDistance(p[1].x, p[1].y, p[1].z, p[2].x, p[2].y, p[2].z));
  const float delta = 4.0f * (r1 < r2 ? r1 : r2);
  const float smallest = 1.0f / 16384.0f;
  return delta >= smallest ? delta : smallest;
}

// Step 6: the barycentric weights of edge e at t.
void EdgeWeights(int edge, float t, float w[3]) {
  switch (edge) {
    case 0: w[0] = 0; w[1] = t; w[2] = 1 - t; break;
    case 1: w[0] = t; w[1] = 0; w[2] = 1 - t; break;
    default: w[0] = 1 - t; w[1] = t; w[2] = 0; break;
  }
}

// A segment is drawn when its patch normal faces the current pass (front faces leaning
// up to -0.2 away still count), or on both sides with _DubleSide.
bool SegmentVisible(float nz) {
  return (nz >= -0.2f && !_DrawBackFaces1) || (nz < 0 && _DrawBackFaces1) || _DubleSide;
}

Vec PositionOf(const __Point3ds& v) { return {v.x, v.y, v.z}; }
Vec NormalOf(const __Point3ds& v) { return {v.nx, v.ny, v.nz}; }

}  // namespace

void DrawWireEdge(int edge, unsigned char* dst, unsigned char* src, int, int,
                  __Texture* textures, material3ds* mats, int mat_count, __Triangle3ds* tri,
                  __Point3ds* points, int origin_x, int origin_y, int light_count,
                  light3ds* lights, GlassProp* glass) {
  const __Point3ds* v[3] = {&points[tri->a], &points[tri->b], &points[tri->c]};
  const Vec p[3] = {PositionOf(*v[0]), PositionOf(*v[1]), PositionOf(*v[2])};
  const Vec n[3] = {NormalOf(*v[0]), NormalOf(*v[1]), NormalOf(*v[2])};
  CubicNet pos, nrm;
  BuildNets(p, n, pos, nrm);
  const float delta = ParameterStep(p);
  const LineShading s{dst, src, textures, mats, mat_count, tri, origin_x, origin_y,
                      light_count, lights, glass};
  const float ox = static_cast<float>(origin_x), oy = static_cast<float>(origin_y);
  float w[3];
  EdgeWeights(edge, 0.0f, w);
  Vec prev = Evaluate(pos, w);
  // Step 7: from t = 0 in steps of delta, the last step landing on exactly 1.
  for (float t = delta;; t += delta) {
    const bool last = t >= 1.0f;
    if (last) t = 1.0f;
    EdgeWeights(edge, t, w);
    const Vec pt = Evaluate(pos, w);
    const Vec ns = Evaluate(nrm, w);
    if (SegmentVisible(ns.z)) {
      const float plane[4] = {-ns.x, -ns.y, -ns.z, Dot(pt, ns)};
      DrawShadedLine(s, prev.x + ox, prev.y + oy, pt.x + ox, pt.y + oy, _WireSize, plane);
    }
    prev = pt;
    if (last) break;
  }
}

void DrawWireTriangle(unsigned char* dst, unsigned char* src, int width, int height,
                      __Texture* textures, material3ds* mats, int mat_count,
                      __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                      int light_count, light3ds* lights, GlassProp* glass) {
  for (int edge = 0; edge < 3; ++edge)
    DrawWireEdge(edge, dst, src, width, height, textures, mats, mat_count, tri, points,
                 origin_x, origin_y, light_count, lights, glass);
}

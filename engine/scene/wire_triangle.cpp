// Mode 2: the edges of the cubic triangular patch built on a triangle from its vertex
// normals, drawn as polylines of shaded lines so that the wireframe follows the rounded
// surface.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/cubic_patch.h"
#include "engine/raster/geometry.h"
#include "engine/scene/line_modes.h"

namespace {

struct Vec {
  float x, y, z;
};

float Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

// The cubic combination of a net at barycentric weights w, in the wire's float positions.
Vec Evaluate(const CubicNet& net, const float w[3]) {
  const double wd[3] = {w[0], w[1], w[2]};
  const PatchPoint p = EvaluateNet(net, wd);
  return {static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z)};
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

}  // namespace

void DrawWireEdge(int edge, const Frame& f, const FrameImage& image, const Draw& d,
                  __Triangle3ds* tri) {
  const __Point3ds* v[3] = {&d.points[tri->a], &d.points[tri->b], &d.points[tri->c]};
  const Vec p[3] = {{v[0]->x, v[0]->y, v[0]->z}, {v[1]->x, v[1]->y, v[1]->z},
                    {v[2]->x, v[2]->y, v[2]->z}};
  const CubicPatch patch = BuildCubicPatch(*v[0], *v[1], *v[2]);
  const CubicNet& pos = patch.position;
  const CubicNet& nrm = patch.normal;
  const float delta = ParameterStep(p);
  const LineShading s{image, f, d, tri};
  const float ox = static_cast<float>(d.origin_x), oy = static_cast<float>(d.origin_y);
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
      const Plane plane{-ns.x, -ns.y, -ns.z, Dot(pt, ns)};
      DrawShadedLine(s, prev.x + ox, prev.y + oy, pt.x + ox, pt.y + oy, _WireSize, plane);
    }
    prev = pt;
    if (last) break;
  }
}

void DrawWireTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri) {
  for (int edge = 0; edge < 3; ++edge) DrawWireEdge(edge, f, image, d, tri);
}

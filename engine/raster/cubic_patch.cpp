// The cubic triangle patch of a triangle: building its position and normal nets from the
// vertex normals (the evaluation, done for every sample, is inline in the header).
#include "engine/raster/cubic_patch.h"

#include <math.h>

#include <algorithm>

#include "engine/raster/geometry.h"

namespace {

PatchVec Add(PatchVec a, PatchVec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
PatchVec Scale(PatchVec a, float k) { return {a.x * k, a.y * k, a.z * k}; }
float Dot(PatchVec a, PatchVec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

PatchVec PositionOf(const __Point3ds& v) { return {v.x, v.y, v.z}; }
PatchVec NormalOf(const __Point3ds& v) { return {v.nx, v.ny, v.nz}; }

// Qij = 2/3 Pi + 1/3 Pj projected onto the tangent plane of Pi (normal Ni, constant
// -Ni . Pi). The projection divides by |Ni|^2: a zero normal, or one whose square
// overflows, has no usable plane and the point stays at Qij.
PatchVec EdgeControlPoint(PatchVec pi, PatchVec pj, PatchVec ni) {
  const PatchVec q = Add(Scale(pi, 2.0f / 3.0f), Scale(pj, 1.0f / 3.0f));
  const float nx2 = ni.x * ni.x, ny2 = ni.y * ni.y, nz2 = ni.z * ni.z;
  const float q2 = nx2 + ny2 + nz2;
  if (q2 == 0.0f || !isfinite(q2)) return q;
  PatchVec b;
  ProjectOntoPlane(q.x, q.y, q.z, ni.x, ni.y, ni.z, nx2, ny2, nz2, -Dot(ni, pi), b.x, b.y, b.z);
  return b;
}

}  // namespace

CubicPatch BuildCubicPatch(const __Point3ds& a, const __Point3ds& b, const __Point3ds& c) {
  const PatchVec p[3] = {PositionOf(a), PositionOf(b), PositionOf(c)};
  const PatchVec n[3] = {NormalOf(a), NormalOf(b), NormalOf(c)};
  CubicPatch patch;
  CubicNet& pos = patch.position;
  CubicNet& nrm = patch.normal;
  PatchVec sum{0, 0, 0};
  for (int i = 0; i < 3; ++i) {
    pos.point[i][i] = p[i];
    nrm.point[i][i] = n[i];
    for (int j = 0; j < 3; ++j) {
      if (j == i) continue;
      pos.point[i][j] = EdgeControlPoint(p[i], p[j], n[i]);
      nrm.point[i][j] = Scale(Add(n[i], Scale(Add(n[i], n[j]), 0.5f)), 0.5f);
      sum = Add(sum, pos.point[i][j]);
    }
  }
  nrm.centre = Scale(Add(Add(n[0], n[1]), n[2]), 1.0f / 3.0f);
  const PatchVec q10 = Add(Scale(p[1], 2.0f / 3.0f), Scale(p[0], 1.0f / 3.0f));
  const PatchVec b10 = pos.point[1][0];
  const float lift = PointDistance(q10.x, q10.y, q10.z, b10.x, b10.y, b10.z);
  pos.centre = Add(Scale(sum, 1.0f / 6.0f), Scale(nrm.centre, lift));
  return patch;
}

int NormalSideOfNet(const CubicNet& normal) {
  float nz[10];
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) nz[3 * i + j] = normal.point[i][j].z;
  nz[9] = normal.centre.z;
  float largest = 0.0f;
  for (float v : nz) {
    if (!isfinite(v)) return 0;
    largest = std::max(largest, fabsf(v));
  }
  const float margin = std::max(1e-6f * largest, 1e-30f);
  bool below = true, above = true;
  for (float v : nz) {
    below = below && v <= -margin;
    above = above && v >= margin;
  }
  return below ? -1 : (above ? 1 : 0);
}

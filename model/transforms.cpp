// Vertex transforms. The three rotations share one routine that turns a chosen pair of
// coordinates (and the same pair of normal components) in their plane.
#include "model/transforms.h"

#include <math.h>

#include "platform/exact_math.h"

void TranslatePoints(float dx, float dy, float dz, int count, __Point3ds* vertices) {
  if (!vertices) return;
  for (int k = 0; k < count; ++k) {
    vertices[k].x += dx;
    vertices[k].y += dy;
    vertices[k].z += dz;
  }
}

void ScalePoints(float factor, int count, __Point3ds* vertices) {
  if (!vertices) return;
  for (int k = 0; k < count; ++k) {
    vertices[k].x *= factor;
    vertices[k].y *= factor;
    vertices[k].z *= factor;
  }
}

namespace {

// Member pointers name the rotated pair: (p, q) turns to (p cos - q sin, p sin + q cos).
using Coord = float __Point3ds::*;

void RotatePair(Coord p_pos, Coord q_pos, Coord p_nrm, Coord q_nrm, float cp, float cq,
                float angle, int count, __Point3ds* vertices) {
  if (!vertices) return;
  const float c = exact_math::ExactCosf(angle);
  const float s = exact_math::ExactSinf(angle);
  for (int k = 0; k < count; ++k) {
    __Point3ds& v = vertices[k];
    const float p = v.*p_pos - cp;
    const float q = v.*q_pos - cq;
    v.*p_pos = p * c - q * s + cp;
    v.*q_pos = p * s + q * c + cq;
    if (v.has_normal) {
      const float np = v.*p_nrm;
      const float nq = v.*q_nrm;
      v.*p_nrm = np * c - nq * s;
      v.*q_nrm = np * s + nq * c;
    }
  }
}

}  // namespace

void RotatePointsX(float cy, float cz, float angle, int count, __Point3ds* vertices) {
  RotatePair(&__Point3ds::y, &__Point3ds::z, &__Point3ds::ny, &__Point3ds::nz, cy, cz, angle,
             count, vertices);
}

void RotatePointsY(float cx, float cz, float angle, int count, __Point3ds* vertices) {
  RotatePair(&__Point3ds::x, &__Point3ds::z, &__Point3ds::nx, &__Point3ds::nz, cx, cz, angle,
             count, vertices);
}

void RotatePointsZ(float cx, float cy, float angle, int count, __Point3ds* vertices) {
  RotatePair(&__Point3ds::x, &__Point3ds::y, &__Point3ds::nx, &__Point3ds::ny, cx, cy, angle,
             count, vertices);
}

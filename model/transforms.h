// Vertex transforms: translate, uniform scale, and rotations about the x, y and z axes.
// Each works in place on the first `count` vertices; a null array or a count below 1 does
// nothing. Rotations turn the normals of vertices whose has_normal is set by the same angle
// (without the centre); translation and scaling leave normals alone, also for a negative
// scale factor.
#pragma once

#include "engine/engine.h"

void TranslatePoints(float dx, float dy, float dz, int count, __Point3ds* vertices);
void ScalePoints(float factor, int count, __Point3ds* vertices);

// Angles in radians; cos and sin are taken once per call in single precision.
void RotatePointsX(float cy, float cz, float angle, int count, __Point3ds* vertices);
void RotatePointsY(float cx, float cz, float angle, int count, __Point3ds* vertices);
void RotatePointsZ(float cx, float cy, float angle, int count, __Point3ds* vertices);

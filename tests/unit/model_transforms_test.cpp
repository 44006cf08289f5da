// Vertex transforms: positions, centres, and normals that turn only when present.
#include <gtest/gtest.h>

#include "model/transforms.h"

namespace {

__Point3ds Vertex(float x, float y, float z, bool normal, float nx = 0, float ny = 0, float nz = 0) {
  __Point3ds p = {};
  p.x = x, p.y = y, p.z = z;
  p.has_normal = normal ? 1 : 0;
  p.nx = nx, p.ny = ny, p.nz = nz;
  return p;
}

constexpr float kQuarter = -1.5707963705062866f;  // -pi/2 in single precision

TEST(Transforms, RotateXByMinusQuarterMapsYToZ) {
  __Point3ds v[2] = {Vertex(1, 2, 3, true, 0, 0, 1), Vertex(-4, 5, -6, false, 7, 8, 9)};
  RotatePointsX(0, 0, kQuarter, 2, v);
  // (x, y, z) -> (x, z, -y)
  EXPECT_FLOAT_EQ(v[0].x, 1);
  EXPECT_NEAR(v[0].y, 3, 1e-6);
  EXPECT_NEAR(v[0].z, -2, 1e-6);
  EXPECT_NEAR(v[0].nx, 0, 1e-6);
  EXPECT_NEAR(v[0].ny, 1, 1e-6);
  EXPECT_NEAR(v[0].nz, 0, 1e-6);
  EXPECT_NEAR(v[1].y, -6, 1e-6);
  EXPECT_NEAR(v[1].z, -5, 1e-6);
  // Without has_normal the normal fields stay as they were.
  EXPECT_EQ(v[1].nx, 7);
  EXPECT_EQ(v[1].ny, 8);
  EXPECT_EQ(v[1].nz, 9);
}

TEST(Transforms, RotationsTurnTheirPlaneAroundTheCentre) {
  const float q = 1.5707963705062866f;
  __Point3ds y[1] = {Vertex(3, 7, 1, true, 1, 0, 0)};
  RotatePointsY(1, 1, q, 1, y);  // p = x - cx = 2, q = 0 -> x = cx, z = cz + 2
  EXPECT_NEAR(y[0].x, 1, 1e-5);
  EXPECT_NEAR(y[0].z, 3, 1e-5);
  EXPECT_EQ(y[0].y, 7);
  EXPECT_NEAR(y[0].nx, 0, 1e-6);
  EXPECT_NEAR(y[0].nz, 1, 1e-6);  // the normal turns without the centre

  __Point3ds z[1] = {Vertex(2, 0, 5, true, 1, 0, 0)};
  RotatePointsZ(0, 0, q, 1, z);
  EXPECT_NEAR(z[0].x, 0, 1e-6);
  EXPECT_NEAR(z[0].y, 2, 1e-6);
  EXPECT_EQ(z[0].z, 5);
  EXPECT_NEAR(z[0].ny, 1, 1e-6);
}

TEST(Transforms, ZeroRotationLeavesPositions) {
  __Point3ds v[1] = {Vertex(1.5f, -2.5f, 3.25f, true, 0.6f, 0.8f, 0)};
  RotatePointsX(0, 0, 0, 1, v);
  RotatePointsY(0, 0, 0, 1, v);
  RotatePointsZ(0, 0, 0, 1, v);
  EXPECT_EQ(v[0].x, 1.5f);
  EXPECT_EQ(v[0].y, -2.5f);
  EXPECT_EQ(v[0].z, 3.25f);
  EXPECT_EQ(v[0].nx, 0.6f);
}

TEST(Transforms, ScaleAndTranslateLeaveNormals) {
  __Point3ds v[2] = {Vertex(1, -2, 3, true, 0, 1, 0), Vertex(4, 5, 6, false)};
  ScalePoints(-1, 2, v);
  EXPECT_EQ(v[0].x, -1);
  EXPECT_EQ(v[0].y, 2);
  EXPECT_EQ(v[0].z, -3);
  EXPECT_EQ(v[0].ny, 1);  // a negative factor does not flip normals
  TranslatePoints(10, 20, 30, 2, v);
  EXPECT_EQ(v[1].x, 6);
  EXPECT_EQ(v[1].y, 15);
  EXPECT_EQ(v[1].z, 24);
  EXPECT_EQ(v[0].ny, 1);
}

TEST(Transforms, OnlyTheGivenRangeAndBadInputIgnored) {
  __Point3ds v[2] = {Vertex(1, 1, 1, false), Vertex(2, 2, 2, false)};
  TranslatePoints(1, 1, 1, 1, v);
  EXPECT_EQ(v[1].x, 2);
  TranslatePoints(1, 1, 1, -3, v);
  ScalePoints(2, 0, v);
  RotatePointsZ(0, 0, 1, -1, v);
  EXPECT_EQ(v[0].x, 2);
  TranslatePoints(1, 1, 1, 5, nullptr);  // no crash
  RotatePointsX(0, 0, 1, 5, nullptr);
}

}  // namespace

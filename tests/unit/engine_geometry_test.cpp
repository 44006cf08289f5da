// Projection onto a plane (each of its three branches) and point distance.
#include <gtest/gtest.h>

#include "engine/raster/geometry.h"

namespace {

// Projects (a, b, c) onto n . X + m = 0 and checks the result lies on the plane and
// differs from the point only along the normal.
void ExpectProjected(float a, float b, float c, float nx, float ny, float nz, float m) {
  float x, y, z;
  ProjectOntoPlane(a, b, c, nx, ny, nz, nx * nx, ny * ny, nz * nz, m, x, y, z);
  EXPECT_NEAR(nx * x + ny * y + nz * z + m, 0, 1e-3) << "on the plane";
  float dx = x - a, dy = y - b, dz = z - c;
  EXPECT_NEAR(dy * nz - dz * ny, 0, 1e-3) << "along the normal";
  EXPECT_NEAR(dz * nx - dx * nz, 0, 1e-3);
  EXPECT_NEAR(dx * ny - dy * nx, 0, 1e-3);
}

}  // namespace

TEST(EngineGeometry, ProjectionLandsOnThePlaneInEveryBranch) {
  ExpectProjected(3, -2, 5, 1, 5, 2, -4);   // |ny| > |nx|: solved for y
  ExpectProjected(3, -2, 5, -5, 1, 2, 7);   // x branch
  ExpectProjected(3, -2, 5, 0, 0, 3, 6);    // nx = ny = 0: z branch
  ExpectProjected(3, -2, 5, 2, 2, 1, 0);    // |ny| = |nx|: x branch
}

TEST(EngineGeometry, ProjectionOfAPointOnThePlaneIsItself) {
  float x, y, z;
  ProjectOntoPlane(1, 2, 3, 0, 0, 2, 0, 0, 4, -6, x, y, z);  // the plane z = 3
  EXPECT_FLOAT_EQ(x, 1);
  EXPECT_FLOAT_EQ(y, 2);
  EXPECT_FLOAT_EQ(z, 3);
  ProjectOntoPlane(1, 2, 10, 0, 0, 2, 0, 0, 4, -6, x, y, z);
  EXPECT_FLOAT_EQ(z, 3);
}

TEST(EngineGeometry, PointDistance) {
  EXPECT_FLOAT_EQ(PointDistance(0, 0, 0, 2, 3, 6), 7);
  EXPECT_FLOAT_EQ(PointDistance(1, 1, 1, 1, 1, 1), 0);
  EXPECT_FLOAT_EQ(PointDistance(-1, 0, 0, 2, 4, 0), 5);
}

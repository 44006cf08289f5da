// The generated ball: counts for the faces number, index ranges, poles, the seam meridian
// and the triangle order.
#include <gtest/gtest.h>

#include <cmath>

#include "model/ball.h"
#include "platform/os/page_alloc.h"

namespace {

struct Ball {
  __Point3ds* v = nullptr;
  __Triangle3ds* t = nullptr;
  int vn = -1, tn = -1;
  bool ok = false;
  Ball(int faces, float r) { ok = BuildBall(faces, r, &v, &t, &vn, &tn); }
  ~Ball() {
    PageFree(v);
    PageFree(t);
  }
};

// n = int(1.5 sqrt(F)) strips, m = F / n vertices per meridian: V = (n + 1) m + 2, T = 2 n m.
struct Counts {
  int faces, vertices, triangles;
};

class BallCounts : public ::testing::TestWithParam<Counts> {};

TEST_P(BallCounts, CountsAndIndexRange) {
  const Counts c = GetParam();
  Ball b(c.faces, 100.0f);
  ASSERT_TRUE(b.ok);
  EXPECT_EQ(b.vn, c.vertices);
  EXPECT_EQ(b.tn, c.triangles);
  ASSERT_NE(b.v, nullptr);
  ASSERT_NE(b.t, nullptr);
  std::vector<int> used(b.vn, 0);
  for (int k = 0; k < b.tn; ++k) {
    for (int idx : {b.t[k].a, b.t[k].b, b.t[k].c}) {
      ASSERT_GE(idx, 0);
      ASSERT_LT(idx, b.vn);
      ++used[idx];
    }
    EXPECT_EQ(b.t[k].material, 0);
  }
  for (int k = 0; k < b.vn; ++k) EXPECT_GT(used[k], 0) << "vertex " << k << " unused";
}

INSTANTIATE_TEST_SUITE_P(Faces, BallCounts,
                         ::testing::Values(Counts{9, 12, 16}, Counts{30, 29, 48},
                                           Counts{300, 314, 600}, Counts{10000, 9968, 19800}));

TEST(Ball, BelowNineFacesBuildsNothing) {
  for (int faces : {8, 0, -5}) {
    Ball b(faces, 10.0f);
    EXPECT_TRUE(b.ok);
    EXPECT_EQ(b.vn, 0);
    EXPECT_EQ(b.tn, 0);
    EXPECT_EQ(b.v, nullptr);
    EXPECT_EQ(b.t, nullptr);
  }
}

TEST(Ball, NullOutputsFail) {
  __Point3ds* v = nullptr;
  int vn = 0, tn = 0;
  EXPECT_FALSE(BuildBall(300, 1.0f, &v, nullptr, &vn, &tn));
}

TEST(Ball, CountsBeyondThirtyTwoBitIndicesFail) {
  __Point3ds* v = reinterpret_cast<__Point3ds*>(1);
  __Triangle3ds* t = nullptr;
  int vn = 7, tn = 7;
  EXPECT_FALSE(BuildBall(2147483647, 1.0f, &v, &t, &vn, &tn));
  EXPECT_EQ(v, nullptr);
  EXPECT_EQ(vn, 0);
  EXPECT_EQ(tn, 0);
}

// Pole A at (0, 0, r), pole B lengthened to (0, 0, -1.1 r), both with axial normals.
TEST(Ball, Poles) {
  const float r = 80.0f;
  Ball b(300, r);
  ASSERT_TRUE(b.ok);
  const __Point3ds& a = b.v[0];
  const __Point3ds& p = b.v[b.vn - 1];
  EXPECT_EQ(a.x, 0.0f);
  EXPECT_EQ(a.y, 0.0f);
  EXPECT_EQ(a.z, r);
  EXPECT_EQ(a.nz, 1.0f);
  EXPECT_FLOAT_EQ(a.u, 0.01f);
  EXPECT_FLOAT_EQ(a.v, 0.99f);
  EXPECT_EQ(p.z, -r - r / 10);
  EXPECT_FLOAT_EQ(p.z, -88.0f);
  EXPECT_EQ(p.nz, -1.0f);
  EXPECT_FLOAT_EQ(p.v, 0.01f);
  EXPECT_EQ(a.has_normal, 1);
  EXPECT_EQ(p.has_uv, 1);
}

// Every meridian vertex lies on the sphere with its unit normal; meridian n repeats
// meridian 0's positions and normals exactly, but its u is about 0.97 against 0.01 at 300
// faces (n = 25, m = 12).
TEST(Ball, MeridiansAndSeam) {
  const float r = 50.0f;
  Ball b(300, r);
  ASSERT_TRUE(b.ok);
  const int n = 25, m = 12;
  for (int k = 1; k < b.vn - 1; ++k) {
    const __Point3ds& p = b.v[k];
    EXPECT_NEAR(std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z), r, 1e-3);
    EXPECT_NEAR(p.x, r * p.nx, 1e-4);
    EXPECT_EQ(p.has_normal, 1);
    EXPECT_EQ(p.has_uv, 1);
  }
  for (int j = 0; j < m; ++j) {
    const __Point3ds& first = b.v[1 + j];
    const __Point3ds& last = b.v[1 + n * m + j];
    // Exactly: a seam a few ulps wide shows as a crack of background along the meridian.
    EXPECT_EQ(first.x, last.x);
    EXPECT_EQ(first.y, last.y);
    EXPECT_EQ(first.z, last.z);
    EXPECT_EQ(first.nx, last.nx);
    EXPECT_EQ(first.ny, last.ny);
    EXPECT_FLOAT_EQ(first.u, 0.01f);
    EXPECT_NEAR(last.u, 25.0f / 26.0f + 0.01f, 1e-6);
    EXPECT_FLOAT_EQ(first.v, static_cast<float>(j) / 13.0f);
  }
  // j = 0 lies next to pole B (negative z), j = m - 1 next to pole A.
  EXPECT_LT(b.v[1].z, 0.0f);
  EXPECT_GT(b.v[m].z, 0.0f);
  EXPECT_NEAR(b.v[1].z, -r * std::cos(3.14159265f / 13), 1e-3);
}

// Strip 0 starts with the fan triangle at pole B and ends with the one at pole A.
TEST(Ball, TriangleOrder) {
  Ball b(30, 1.0f);  // n = 8, m = 3, V = 29
  ASSERT_TRUE(b.ok);
  const int m = 3, V = 29;
  auto is = [](const __Triangle3ds& t, int a, int bb, int c) {
    return t.a == a && t.b == bb && t.c == c;
  };
  EXPECT_TRUE(is(b.t[0], V - 1, 1 + m, 1));
  EXPECT_TRUE(is(b.t[1], 1 + m, 2 + m, 1));
  EXPECT_TRUE(is(b.t[2], 1, 2 + m, 2));
  EXPECT_TRUE(is(b.t[2 * m - 1], 2 * m, 0, m));
  EXPECT_TRUE(is(b.t[2 * m], V - 1, 1 + 2 * m, 1 + m));  // strip 1
}

// Faces wind the same way all round: (b - a) x (c - a) points away from the centre.
TEST(Ball, FacesPointOutwards) {
  Ball b(300, 10.0f);
  ASSERT_TRUE(b.ok);
  for (int k = 0; k < b.tn; ++k) {
    const __Point3ds &A = b.v[b.t[k].a], &B = b.v[b.t[k].b], &C = b.v[b.t[k].c];
    const float ux = B.x - A.x, uy = B.y - A.y, uz = B.z - A.z;
    const float vx = C.x - A.x, vy = C.y - A.y, vz = C.z - A.z;
    const float cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    const float mx = A.x + B.x + C.x, my = A.y + B.y + C.y, mz = A.z + B.z + C.z;
    EXPECT_GT(cx * mx + cy * my + cz * mz, 0.0f) << "triangle " << k;
  }
}

}  // namespace

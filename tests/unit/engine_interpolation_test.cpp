// Interpolation of normals and texture coordinates by area weights, with and without the
// perspective of __AddPersp.
#include <gtest/gtest.h>

#include <math.h>
#include <string.h>

#include "engine/cpu_paths.h"
#include "engine/raster/interpolation.h"
#include "engine/shading/plain_shading.h"
#include "engine_test_support.h"

namespace {

__Point3ds V(float x, float y, float z, float u, float v, float nx, float ny, float nz) {
  __Point3ds p = {};
  p.x = x;
  p.y = y;
  p.z = z;
  p.has_uv = 1;
  p.u = u;
  p.v = v;
  p.has_normal = 1;
  p.nx = nx;
  p.ny = ny;
  p.nz = nz;
  return p;
}

class Interpolation : public ::testing::Test {
 protected:
  void SetUp() override {
    _Persp_Val = 0;
    _Quality = 1;
    _UsePhong2 = 0;
    // Non-unit normals: the interpolation normalises each vertex normal first.
    v_[0] = V(10, 10, 0, 0.0f, 0.0f, 0, 0, 5);
    v_[1] = V(30, 10, 0, 1.0f, 0.0f, 6, 0, 8);
    v_[2] = V(10, 40, 0, 0.0f, 1.0f, 0, -2, 0);
    area_ = MakeAreaMatrix(v_[0].x, v_[0].y, v_[1].x, v_[1].y, v_[2].x, v_[2].y);
    mid_.m01 = Mid(0, 1);
    mid_.m12 = Mid(1, 2);
    mid_.m20 = Mid(2, 0);
  }
  __Point Mid(int a, int b) const {
    return {(v_[a].nx + v_[b].nx) / 2, (v_[a].ny + v_[b].ny) / 2, (v_[a].nz + v_[b].nz) / 2};
  }
  __Point Phong(float x, float y, float* u = nullptr, float* v = nullptr) {
    __Point n;
    float uu = -1, vv = -1;
    InterpolatePhong(x, y, 0, v_, area_, nullptr, true, &mid_, 0, 0, n, uu, vv);
    if (u) *u = uu;
    if (v) *v = vv;
    return n;
  }
  EngineGlobalsGuard guard_;
  __Point3ds v_[3];
  AreaMatrix area_;
  MidNormals mid_;
};

void ExpectNear(const __Point& n, float x, float y, float z, float tol = 1e-5f) {
  EXPECT_NEAR(n.x, x, tol);
  EXPECT_NEAR(n.y, y, tol);
  EXPECT_NEAR(n.z, z, tol);
}

}  // namespace

TEST(EngineAreaMatrix, DeterminantIsTwiceTheSignedArea) {
  EXPECT_EQ(MakeAreaMatrix(0, 0, 4, 0, 0, 3).det, 12);
  EXPECT_EQ(MakeAreaMatrix(0, 0, 0, 3, 4, 0).det, -12);
  EXPECT_EQ(MakeAreaMatrix(0, 0, 2, 2, 4, 4).det, 0);
}

// At a vertex the plain scheme returns that vertex's unit normal and its u, v.
TEST_F(Interpolation, AtAVertexGivesItsUnitNormalAndCoordinates) {
  float u, v;
  ExpectNear(Phong(10, 10, &u, &v), 0, 0, 1);
  EXPECT_FLOAT_EQ(u, 0);
  EXPECT_FLOAT_EQ(v, 0);
  ExpectNear(Phong(30, 10, &u, &v), 0.6f, 0, 0.8f);
  EXPECT_FLOAT_EQ(u, 1);
  ExpectNear(Phong(10, 40, &u, &v), 0, -1, 0);
  EXPECT_FLOAT_EQ(v, 1);
}

// Between the vertices the weights are the pixel's area coordinates, not normalised after.
TEST_F(Interpolation, PlainSchemeBlendsLinearly) {
  float u, v;
  __Point n = Phong(20, 10, &u, &v);  // halfway along edge 0-1
  ExpectNear(n, 0.3f, 0, 0.9f);
  EXPECT_FLOAT_EQ(u, 0.5f);
  EXPECT_FLOAT_EQ(v, 0);
  n = Phong(50.0f / 3, 20, &u, &v);  // the centroid
  ExpectNear(n, 0.2f, -1.0f / 3, 0.6f);
  EXPECT_NEAR(u, 1.0f / 3, 1e-6);
}

// Outside the triangle negative weights become 0 and the rest are rescaled.
TEST_F(Interpolation, OutsideClampsToTheNearestCorner) {
  float u, v;
  ExpectNear(Phong(0, 0, &u, &v), 0, 0, 1);
  EXPECT_FLOAT_EQ(u, 0);
  ExpectNear(Phong(40, 5, &u, &v), 0.6f, 0, 0.8f);
  EXPECT_FLOAT_EQ(u, 1);
}

// Second scheme: w0^2 N0 + w1^2 N1 + w2^2 N2 + w0 w1 M01 + 2 w1 w2 M12 + w2 w0 M20,
// used only when quality is on as well.
TEST_F(Interpolation, SecondPhongSchemeNeedsQuality) {
  _UsePhong2 = 1;
  // Middle of edge 1-2: w1 = w2 = 0.5 -> 0.25 N1 + 0.25 N2 + 0.5 M12.
  __Point n = Phong(20, 25);
  ExpectNear(n, 0.25f * 0.6f + 0.5f * 3, 0.25f * -1 + 0.5f * -1, 0.25f * 0.8f + 0.5f * 4);
  // Middle of edge 0-1: the M01 term has no factor 2 -> 0.25 N0 + 0.25 N1 + 0.25 M01.
  n = Phong(20, 10);
  ExpectNear(n, 0.25f * 0.6f + 0.25f * 3, 0, 0.25f + 0.25f * 0.8f + 0.25f * 6.5f);
  // Middle of edge 2-0 -> 0.25 N2 + 0.25 N0 + 0.25 M20.
  n = Phong(10, 25);
  ExpectNear(n, 0, 0.25f * -1 + 0.25f * -1, 0.25f + 0.25f * 2.5f);
  // At a vertex both schemes agree.
  ExpectNear(Phong(30, 10), 0.6f, 0, 0.8f);
  // Without quality the plain blend comes back.
  _Quality = 0;
  ExpectNear(Phong(20, 10), 0.3f, 0, 0.9f);
}

TEST_F(Interpolation, WithoutCoordinatesUAndVStay) {
  float u = 7, v = 8;
  __Point n;
  InterpolatePhong(20, 10, 0, v_, area_, nullptr, false, nullptr, 0, 0, n, u, v);
  EXPECT_EQ(u, 7);
  EXPECT_EQ(v, 8);
  ExpectNear(n, 0.3f, 0, 0.9f);
  InterpolateUV(20, 10, 0, v_, area_, nullptr, false, 0, 0, u, v);
  EXPECT_EQ(u, 7);
  InterpolateUV(20, 10, 0, v_, area_, nullptr, true, 0, 0, u, v);
  EXPECT_FLOAT_EQ(u, 0.5f);
  EXPECT_FLOAT_EQ(v, 0);
}

TEST_F(Interpolation, UnprojectAtDepthZeroOnlyShifts) {
  _Persp_x = 3;
  _Persp_y = -4;
  _Persp_Far = 1000;
  float x, y;
  UnprojectPoint(10, 20, 0, x, y);
  EXPECT_EQ(x, 13);
  EXPECT_EQ(y, 16);
  UnprojectPoint(10, 20, 500, x, y);  // s = 1 - 500 / 1000
  EXPECT_EQ(x, 8);
  EXPECT_EQ(y, 6);
  // A distance of 0 projected nothing: the scale stays 1 instead of dividing by zero.
  _Persp_Far = 0;
  UnprojectPoint(10, 20, 500, x, y);
  EXPECT_EQ(x, 13);
  EXPECT_EQ(y, 16);
}

namespace {

// The projected area matrix the rasterizers build: each local vertex unprojected at its
// own depth, relative to the origin.
AreaMatrix Projected(const __Point3ds* v, int ox, int oy) {
  float x[3], y[3];
  for (int i = 0; i < 3; ++i) UnprojectPoint(v[i].x - ox, v[i].y - oy, v[i].z, x[i], y[i]);
  return MakeAreaMatrix(x[0], y[0], x[1], y[1], x[2], y[2]);
}

}  // namespace

// With a projection that changes nothing (centre 0, every depth 0), texture coordinates
// under perspective agree with plain interpolation at every pixel of the triangle.
TEST_F(Interpolation, PerspectiveCoordinatesMatchPlainForIdentity) {
  const int ox = 7, oy = 5;
  _Persp_x = _Persp_y = 0;
  _Persp_Far = 1000;
  AreaMatrix sp = Projected(v_, ox, oy);
  for (int y = 10; y <= 40; y += 3) {
    for (int x = 10; x <= 30; x += 2) {
      float pu = -1, pv = -1, u = -1, v = -1;
      _Persp_Val = 0;
      InterpolateUV(x, y, 0, v_, area_, &sp, true, ox, oy, u, v);
      _Persp_Val = 0.5f;
      InterpolateUV(x, y, 0, v_, area_, &sp, true, ox, oy, pu, pv);
      EXPECT_NEAR(pu, u, 1e-5) << x << "," << y;
      EXPECT_NEAR(pv, v, 1e-5) << x << "," << y;
      TexCoordsAtPixel(pu, pv, x, y, 0, ox, oy, sp, v_);
      EXPECT_NEAR(pu, u, 1e-5);
    }
  }
}

// Under a real projection each corner still maps to its own coordinates, and the
// Phong interpolation takes them from the perspective path.
TEST_F(Interpolation, PerspectiveCoordinatesAtTheCorners) {
  _Persp_Val = 1;
  _Persp_x = 2;
  _Persp_y = 3;
  _Persp_Far = 200;
  v_[0].z = 20;
  v_[1].z = -40;
  v_[2].z = 90;
  AreaMatrix sp = Projected(v_, 0, 0);
  ASSERT_NE(sp.det, 0);
  for (int i = 0; i < 3; ++i) {
    float u = -1, v = -1;
    TexCoordsAtPixel(u, v, v_[i].x, v_[i].y, v_[i].z, 0, 0, sp, v_);
    EXPECT_NEAR(u, v_[i].u, 1e-5) << "corner " << i;
    EXPECT_NEAR(v, v_[i].v, 1e-5) << "corner " << i;
    __Point n;
    InterpolatePhong(v_[i].x, v_[i].y, v_[i].z, v_, area_, &sp, true, nullptr, 0, 0, n, u, v);
    EXPECT_NEAR(u, v_[i].u, 1e-5);
  }
  // Inside, the coordinates differ from the plain blend (the depths differ).
  float u, v, pu, pv;
  TexCoordsAtPixel(pu, pv, 15, 20, 30, 0, 0, sp, v_);
  _Persp_Val = 0;
  InterpolateUV(15, 20, 30, v_, area_, &sp, true, 0, 0, u, v);
  EXPECT_GT(fabsf(pu - u) + fabsf(pv - v), 1e-3);
}

namespace {

bool SameBits(float a, float b) { return memcmp(&a, &b, sizeof a) == 0; }

// Four pixels at a time give each lane bit for bit the plain scheme's normal, inside the
// triangle, on its edges and outside it (where weights are clamped), at fractional places.
TEST_F(Interpolation, FourAtATimeIsThePlainSchemeBitForBit) {
  const UnitNormals units = MakeUnitNormals(v_);
  int inside = 0;
  for (int y = 0; y < 50; ++y)
    for (int x = 0; x < 44; x += 4) {
      float xs[4], ys[4], nx[4], ny[4], nz[4];
      for (int j = 0; j < 4; ++j) {
        xs[j] = static_cast<float>(x + j) + (j == 3 ? 0.37f : 0.0f);
        ys[j] = static_cast<float>(y);
      }
      InterpolateNormalsFour(units, area_, xs, ys, nx, ny, nz);
      for (int j = 0; j < 4; ++j) {
        __Point n;
        float u = 0, v = 0;
        InterpolatePhongWith(units, xs[j], ys[j], 0, v_, area_, nullptr, false, nullptr, 0, 0,
                             n, u, v);
        EXPECT_TRUE(SameBits(n.x, nx[j]) && SameBits(n.y, ny[j]) && SameBits(n.z, nz[j]))
            << xs[j] << "," << ys[j];
        if (n.x > 0.01f && n.y < -0.01f && n.z > 0.01f) ++inside;
      }
    }
  EXPECT_GT(inside, 100) << "pixels where all three vertices contribute";
}

// Sixteen at a time likewise, with the CPU's widest lanes and with four-wide lanes, for full
// and partly filled groups (the lanes past the count are not looked at).
TEST_F(Interpolation, SixteenAtATimeIsThePlainSchemeBitForBit) {
  const UnitNormals units = MakeUnitNormals(v_);
  int compared = 0;
  for (int width : {8, 4}) {
    ChooseCpuPaths(width == 8);
    for (int y = 0; y < 50; y += 3)
      for (int x = 0; x < 44; x += 16) {
        const int count = (x / 16) % 2 ? 16 : (x ? 5 : 11);
        float xs[16], ys[16], nx[16], ny[16], nz[16];
        for (int j = 0; j < 16; ++j) {
          xs[j] = static_cast<float>(x + j) + (j == 6 || j == 13 ? 0.37f : 0.0f);
          ys[j] = static_cast<float>(y) + (j == 1 ? 0.5f : 0.0f);
        }
        InterpolateNormalsSixteen(units, area_, xs, ys, nx, ny, nz, count);
        for (int j = 0; j < count; ++j, ++compared) {
          __Point n;
          float u = 0, v = 0;
          InterpolatePhongWith(units, xs[j], ys[j], 0, v_, area_, nullptr, false, nullptr, 0, 0,
                               n, u, v);
          EXPECT_TRUE(SameBits(n.x, nx[j]) && SameBits(n.y, ny[j]) && SameBits(n.z, nz[j]))
              << xs[j] << "," << ys[j] << " lanes " << width;
        }
      }
  }
  ChooseCpuPaths();
  EXPECT_EQ(compared, 2 * 17 * (11 + 16 + 5));
}

}  // namespace

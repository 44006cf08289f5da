// The shipped pendant cap: rebuilt byte for byte by its generator, loadable with normals,
// closed-looking (outward faces) and placed to touch the ball's pole tip.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <iterator>

#include "model/model_loader.h"
#include "tools/modelkit/pendant_cap.h"

namespace {

std::vector<uint8_t> ReadAll(const char* path) {
  std::ifstream f(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

TEST(PendantCap, GeneratorReproducesTheShippedFile) {
  const std::vector<uint8_t> shipped = ReadAll(QUORVEL_SHIPPED_MODEL);
  ASSERT_FALSE(shipped.empty());
  std::string error;
  const std::vector<uint8_t> made = modelkit::EncodeModel({modelkit::MakePendantCap()}, &error);
  ASSERT_EQ(made.size(), shipped.size()) << error;
  size_t first_difference = made.size();
  for (size_t k = 0; k < made.size(); ++k)
    if (made[k] != shipped[k]) {
      first_difference = k;
      break;
    }
  EXPECT_EQ(first_difference, made.size()) << "the files differ from byte " << first_difference;
}

TEST(PendantCap, LoadsWithNormalsAndOutwardFaces) {
  LoadedModel m;
  ASSERT_TRUE(LoadModelFile(QUORVEL_SHIPPED_MODEL, {true, false, false, false, false}, &m));
  EXPECT_STREQ(m.name, "PendantCap");
  EXPECT_GE(m.triangle_count, 300);
  EXPECT_LE(m.triangle_count, 1000);
  float zmin = 1e9f, zmax = -1e9f, xmax = 0;
  for (int k = 0; k < m.vertex_count; ++k) {
    const __Point3ds& v = m.vertices[k];
    ASSERT_EQ(v.has_normal, 1);
    EXPECT_NEAR(std::sqrt(v.nx * v.nx + v.ny * v.ny + v.nz * v.nz), 1.0, 1e-3);
    zmin = std::min(zmin, v.z), zmax = std::max(zmax, v.z), xmax = std::max(xmax, std::fabs(v.x));
  }
  // The lowest point touches the ball's pole tip; the cap is about 60 units across.
  EXPECT_EQ(zmin, -82.0f);
  EXPECT_GT(zmax, -45.0f);
  EXPECT_NEAR(2 * xmax, 60.0f, 1.0f);
  // Every face winds so that (b - a) x (c - a) agrees with its vertices' normals.
  for (int k = 0; k < m.triangle_count; ++k) {
    const __Point3ds &A = m.vertices[m.triangles[k].a], &B = m.vertices[m.triangles[k].b],
                     &C = m.vertices[m.triangles[k].c];
    const float ux = B.x - A.x, uy = B.y - A.y, uz = B.z - A.z;
    const float vx = C.x - A.x, vy = C.y - A.y, vz = C.z - A.z;
    const float cx = uy * vz - uz * vy, cy = uz * vx - ux * vz, cz = ux * vy - uy * vx;
    const float nx = A.nx + B.nx + C.nx, ny = A.ny + B.ny + C.ny, nz = A.nz + B.nz + C.nz;
    EXPECT_GT(cx * nx + cy * ny + cz * nz, 0.0f) << "triangle " << k;
  }
  ReleaseLoadedModel(&m);
}

// Placed as the shell and the render place it, at the default radius r = width / 4, the
// lowest point lies on the ball's pole tip (1.1 r) and the loop lies farther out.
TEST(PendantCap, TouchesThePoleTipAtTheDefaultRadius) {
  const float width = 800, r = width / 4;
  auto scene_y = [&](float z) { return (z + 70) * width / 800 + r + width / 25; };
  EXPECT_FLOAT_EQ(scene_y(-82), 1.1f * r);
  EXPECT_GT(scene_y(-19), scene_y(-45));
}

}  // namespace

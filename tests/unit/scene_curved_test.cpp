// The curved modes through whole renders: closed meshes show no background through their
// surface, also where the pole of a latitude-longitude sphere faces the viewer.
#include <gtest/gtest.h>

#include "raster_test_support.h"

using namespace raster_test;

namespace {

constexpr int kSize = 256;
constexpr float kRadius = 100.0f;

// The sphere turned a quarter about x: its pole 0 faces the viewer.
Mesh PoleFacingSphere(int nlat, int nlon) {
  Mesh m = LatLongSphere(kRadius, nlat, nlon);
  for (__Point3ds& p : m.v) {
    const float y = p.y, z = p.z, ny = p.ny, nz = p.nz;
    p.y = -z, p.z = y, p.ny = -nz, p.nz = ny;
  }
  return m;
}

Image RenderMesh(Mesh mesh, int mode, int quality, bool deep) {
  ResetEngine(kSize, kSize, deep);
  _DrawMode = static_cast<unsigned char>(mode);
  _Quality = static_cast<unsigned char>(quality);
  std::vector<light3ds> lights = {MakeLight(-300.0f, -300.0f, 600.0f)};
  std::vector<material3ds> mats = {MakeMaterial(0.9f, 0.3f, 0.2f)};
  Image dst(kSize, kSize, deep), src(kSize, kSize, deep);
  __Sort(static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data());
  __RasterScene(dst.data(), src.data(), kSize, kSize, kSize * 4, static_cast<int>(mesh.v.size()),
                static_cast<int>(mesh.t.size()), mesh.t.data(), mesh.v.data(), kSize / 2,
                kSize / 2, 1, mats.data(), nullptr, 1, lights.data(), nullptr);
  return dst;
}

class CurvedScene : public EngineTest {};

TEST_F(CurvedScene, Probe) {
  for (int mode : {8, 9})
    for (int q : {0, 1})
      for (bool deep : {false, true})
        for (int n : {8, 16}) {
          const Image img = RenderMesh(PoleFacingSphere(n, 2 * n), mode, q, deep);
          const int full = deep ? 32768 : 255;
          int holes = 0, worst = full;
          for (int y = 0; y < kSize; ++y)
            for (int x = 0; x < kSize; ++x) {
              if (hypotf(x - 128.0f, y - 128.0f) > 0.8f * kRadius) continue;
              if (img.at(x, y, 3) != full) { ++holes, worst = std::min(worst, img.at(x, y, 3)); printf("at %d,%d\n", x, y); }
            }
          printf("mode %d q %d deep %d n %d holes %d worst %d\n", mode, q, deep, n, holes, worst);
        }
}

}  // namespace
#include "engine/raster/shaded_triangle.h"
namespace {
TEST_F(CurvedScene, Probe2) {
  Mesh m = PoleFacingSphere(16, 32);
  const float px = 11, py = 17;
  for (const __Triangle3ds& t : m.t) {
    __Point3ds v[6];
    BuildPatchVertices(t, m.v.data(), v);
    const int parts[4][3] = {{0, 3, 5}, {3, 1, 4}, {4, 2, 5}, {3, 4, 5}};
    for (const auto& p : parts) {
      const __Point3ds &A = v[p[0]], &B = v[p[1]], &C = v[p[2]];
      auto side = [&](const __Point3ds& P, const __Point3ds& Q) {
        const float ex = Q.x - P.x, ey = Q.y - P.y;
        const float l = hypotf(ex, ey);
        return (ex * (py - P.y) - ey * (px - P.x)) / (l > 0 ? l : 1);
      };
      const float s0 = side(A, B), s1 = side(B, C), s2 = side(C, A);
      const float mn = std::min({s0, s1, s2}), mx = std::max({s0, s1, s2});
      if ((mn > -1.5f && mx >= 0) || (mx < 1.5f && mn <= 0))
        if (std::min({fabsf(s0), fabsf(s1), fabsf(s2)}) < 1.5f || (mn >= 0 || mx <= 0))
          printf("tri %d %d %d part (%.2f,%.2f,%.1f) (%.2f,%.2f,%.1f) (%.2f,%.2f,%.1f) sides %.2f %.2f %.2f nz %.3f\n", t.a, t.b, t.c,
                 A.x, A.y, A.z, B.x, B.y, B.z, C.x, C.y, C.z, s0, s1, s2,
                 (C.x - B.x) * (A.y - B.y) - (C.y - B.y) * (A.x - B.x));
    }
  }
}
}  // namespace

// __RasterScene on the effect's default ball (300 faces: 25 meridian strips of 12 vertices,
// 600 triangles, radius a quarter of the width) at 1920 x 1080, lit by the effect's default
// two lights, in a red material: the flat, Phong and patch modes at both qualities and
// both channel depths.
#include <benchmark/benchmark.h>
#include <math.h>

#include <vector>

#include "engine/engine_state.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

struct Ball {
  std::vector<__Point3ds> v;
  std::vector<__Triangle3ds> t;
};

// The latitude-longitude ball the effect generates: n strips, m vertices per meridian, a
// pole on the viewer's side and a lengthened pole behind.
Ball BuildDefaultBall(float r) {
  const int n = 25, m = 12;
  Ball b;
  b.v.resize((n + 1) * m + 2);
  b.t.resize(2 * n * m);
  const int last = static_cast<int>(b.v.size()) - 1;
  auto set = [&](int i, float x, float y, float z, float nx, float ny, float nz) {
    __Point3ds& p = b.v[i];
    p.x = x;
    p.y = y;
    p.z = z;
    p.has_normal = 1;
    p.nx = nx;
    p.ny = ny;
    p.nz = nz;
  };
  set(0, 0, 0, r, 0, 0, 1);
  set(last, 0, 0, -r - r / 10, 0, 0, -1);
  const float lon_step = 2.0f * 3.14159265f / n, lat_step = 3.14159265f / (m + 1);
  for (int i = 0; i <= n; ++i)
    for (int j = 0; j < m; ++j) {
      const float lon = i * lon_step, lat = -1.5707963f + (j + 1) * lat_step;
      const float nx = cosf(lat) * cosf(lon), ny = cosf(lat) * sinf(lon), nz = sinf(lat);
      set(1 + i * m + j, r * nx, r * ny, r * nz, nx, ny, nz);
    }
  int k = 0;
  auto face = [&](int a, int c, int d) { b.t[k++] = __Triangle3ds{a, c, d, 0, 0}; };
  for (int i = 0; i < n; ++i) {
    const int base = 1 + i * m;
    face(last, base + m, base);
    for (int j = 0; j <= m - 2; ++j) {
      face(base + m + j, base + m + j + 1, base + j);
      face(base + j, base + m + j + 1, base + j + 1);
    }
    face(base + 2 * m - 1, 0, base + m - 1);
  }
  return b;
}

light3ds Light(float x, float y, float z) {
  light3ds l{};
  l.position[0] = x;
  l.position[1] = y;
  l.position[2] = z;
  l.colour[0] = l.colour[1] = l.colour[2] = 1.0f;
  l.multiplier = 1.0f;
  return l;
}

void RasterSceneBall(benchmark::State& state) {
  const int mode = static_cast<int>(state.range(0));
  const int quality = static_cast<int>(state.range(1));
  const int deep = static_cast<int>(state.range(2));
  __SetDrawMode(static_cast<unsigned char>(mode));
  __SetQuality(static_cast<unsigned char>(quality));
  __SetDeep(static_cast<unsigned char>(deep));
  __SetUseMultyRefract(1);
  __SetDubleSide(0);

  Ball ball = BuildDefaultBall(kWidth / 4.0f);
  __Sort(static_cast<int>(ball.t.size()), ball.t.data(), ball.v.data());
  // Light 0 at azimuth 0, elevation 45 degrees; the opposite light at 180, -25 degrees.
  const float e0 = 0.785398f, e1 = -0.4363323f;
  std::vector<light3ds> lights = {
      Light(cosf(e0) * 2000.0f, 0.0f, sinf(e0) * 2000.0f),
      Light(-cosf(e1) * 2000.0f, 0.0f, sinf(e1) * 2000.0f)};
  material3ds red{};
  red.diffuse[0] = 1.0f;
  red.specular[0] = red.specular[1] = red.specular[2] = 1.0f;
  red.shininess = 1.5f;
  red.shininess_strength = 10.0f;
  std::vector<GlassProp> glass(1);

  const size_t bytes = static_cast<size_t>(kWidth) * kHeight * 4 * (deep ? 2 : 1);
  std::vector<unsigned char> dst(bytes), src(bytes, 40);
  for (auto _ : state) {
    __RasterScene(dst.data(), src.data(), kWidth, kHeight, kWidth * 4,
                  static_cast<int>(ball.v.size()), static_cast<int>(ball.t.size()),
                  ball.t.data(), ball.v.data(), kWidth / 2, kHeight / 2, 1, &red, nullptr,
                  static_cast<int>(lights.size()), lights.data(), glass.data());
    benchmark::DoNotOptimize(dst.data());
  }
}

BENCHMARK(RasterSceneBall)
    ->ArgNames({"mode", "quality", "deep"})
    ->ArgsProduct({{3, 6, 8}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

// __RasterScene on the effect's default ball (300 faces: 25 meridian strips of 12 vertices,
// 600 triangles, radius a quarter of the width) at 1920 x 1080, lit by the effect's default
// two lights, in a red material: the flat, Phong and patch modes at both qualities and
// both channel depths.
#include <benchmark/benchmark.h>
#include <math.h>

#include <vector>

#include "engine/engine.h"
#include "engine/engine_state.h"
#include "model/ball.h"
#include "model/transforms.h"
#include "platform/os/page_alloc.h"

namespace {

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// The effect's own ball (BuildBall), as the render makes it: 300 faces, its lengthened
// pole stood on +y.
struct Ball {
  std::vector<__Point3ds> v;
  std::vector<__Triangle3ds> t;
};

Ball BuildDefaultBall(float r) {
  __Point3ds* v = nullptr;
  __Triangle3ds* t = nullptr;
  int vc = 0, tc = 0;
  Ball b;
  if (!BuildBall(300, r, &v, &t, &vc, &tc)) return b;
  RotatePointsX(0.0f, 0.0f, 1.5707963705062866f, vc, v);
  b.v.assign(v, v + vc);
  b.t.assign(t, t + tc);
  PageFree(v);
  PageFree(t);
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
  EngineChooseCpuPaths();  // as the effect's global setup does
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
  // As the effect renders: the working buffers kept from one call to the next.
  EngineKeepBuffers(true);
  for (auto _ : state) {
    __RasterScene(dst.data(), src.data(), kWidth, kHeight, kWidth * 4,
                  static_cast<int>(ball.v.size()), static_cast<int>(ball.t.size()),
                  ball.t.data(), ball.v.data(), kWidth / 2, kHeight / 2, 1, &red, nullptr,
                  static_cast<int>(lights.size()), lights.data(), glass.data());
    benchmark::DoNotOptimize(dst.data());
  }
  EngineKeepBuffers(false);
  EngineReleaseBuffers();
}

BENCHMARK(RasterSceneBall)
    ->ArgNames({"mode", "quality", "deep"})
    ->ArgsProduct({{3, 6, 8}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

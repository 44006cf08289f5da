// Per-frame model work: the pixel conversions of a full HD frame at both depths (every frame
// converts the output and the input in, and the frame back), and the ball at the top of the
// faces range (regenerated every frame).
#include <benchmark/benchmark.h>

#include <vector>

#include "engine/engine.h"
#include "model/ball.h"
#include "model/pixel_convert.h"
#include "platform/os/page_alloc.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;

void BM_WorldToFrameAndBack(benchmark::State& state) {
  const unsigned char deep = static_cast<unsigned char>(state.range(0));
  __SetDeep(deep);
  const int row = kWidth * 4 + 16;  // a host row with padding
  std::vector<unsigned char> world(static_cast<size_t>(row) * kHeight * (deep ? 2 : 1), 7);
  std::vector<unsigned char> frame(static_cast<size_t>(kWidth) * 4 * kHeight * (deep ? 2 : 1));
  for (auto _ : state) {
    WorldToFrame(frame.data(), world.data(), kWidth, kHeight, row);
    FrameToWorld(world.data(), frame.data(), kWidth, kHeight, row);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kWidth * kHeight);
  __SetDeep(0);
}
BENCHMARK(BM_WorldToFrameAndBack)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_BuildBall(benchmark::State& state) {
  for (auto _ : state) {
    __Point3ds* v;
    __Triangle3ds* t;
    int vn, tn;
    BuildBall(static_cast<int>(state.range(0)), 270.0f, &v, &t, &vn, &tn);
    PageFree(v);
    PageFree(t);
  }
}
BENCHMARK(BM_BuildBall)->Arg(300)->Arg(10000)->Unit(benchmark::kMicrosecond);

}  // namespace

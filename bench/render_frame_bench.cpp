// One whole frame through the module's entry point, as the reference host sends it: the
// default parameters (Phong, high quality, the pendant when its model file is found) over
// the built-in background, 1920 x 1080, at 8 and 16 bits. Each iteration is one render
// command: parameter reading, layer check-outs, the input copy, the conversions into and
// out of the engine's images, the ball, the sort and __RasterScene.
#include <benchmark/benchmark.h>

#include "host/render_job.h"
#include "host/world.h"
#include "shell/resources/pipl_words.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra);

namespace {

void RenderFrame(benchmark::State& state) {
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  qvhost::RenderJob job(EntryPointFunc, qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES), 1920,
                        1080);
  qvhost::RenderSettings settings;
  settings.deep = state.range(0) == 16;
  job.SetSettings(settings);
  job.RenderFrame(0);  // prepares the input world
  qvhost::World output(1920, 1080, settings.deep, qvhost::kOutputRowPadding);
  for (auto _ : state) {
    const PF_Err err = job.session().Render(&output.def());
    if (err != PF_Err_NONE) state.SkipWithError("the render failed");
  }
  state.SetLabel(settings.deep ? "16-bit" : "8-bit");
}
BENCHMARK(RenderFrame)->Arg(8)->Arg(16)->Unit(benchmark::kMillisecond);

// The same in every "Rendering mode" (1 "Rough", 2 "Line", 3 "Wire", 4 "Flat", 5 "Phong",
// 6 "Patches", 7 "Bezier"), both qualities and depths.
void RenderFrameModes(benchmark::State& state) {
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  qvhost::RenderJob job(EntryPointFunc, qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES), 1920,
                        1080);
  qvhost::RenderSettings settings;
  settings.high_quality = state.range(1) != 0;
  settings.deep = state.range(2) == 16;
  job.SetSettings(settings);
  job.session().value(2).u.pd.value = static_cast<A_long>(state.range(0));
  job.RenderFrame(0);
  qvhost::World output(1920, 1080, settings.deep, qvhost::kOutputRowPadding);
  for (auto _ : state) {
    const PF_Err err = job.session().Render(&output.def());
    if (err != PF_Err_NONE) state.SkipWithError("the render failed");
  }
}
BENCHMARK(RenderFrameModes)
    ->ArgNames({"mode", "quality", "depth"})
    ->ArgsProduct({{1, 2, 3, 4, 5, 6, 7}, {0, 1}, {8, 16}})
    ->Unit(benchmark::kMillisecond);

}  // namespace

// One whole 1920 x 1080 frame per choice of "Rendering mode" (1 "Rough" .. 7 "Bezier"),
// 8-bit, high quality, the other parameters at their defaults: what a user waits for in
// each mode.
#include <benchmark/benchmark.h>

#include "host/render_job.h"
#include "host/world.h"
#include "shell/resources/pipl_words.h"

extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra);

namespace {

constexpr const char* kModeNames[] = {"Rough", "Line",    "Wire",  "Flat",
                                      "Phong", "Patches", "Bezier"};

void RenderMode(benchmark::State& state) {
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  qvhost::RenderJob job(EntryPointFunc, qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES), 1920,
                        1080);
  job.RenderFrame(0);  // prepares the input world and the parameters
  const int choice = static_cast<int>(state.range(0));
  job.session().value(2).u.pd.value = choice;
  qvhost::World output(1920, 1080, false, qvhost::kOutputRowPadding);
  for (auto _ : state) {
    const PF_Err err = job.session().Render(&output.def());
    if (err != PF_Err_NONE) state.SkipWithError("the render failed");
  }
  state.SetLabel(kModeNames[choice - 1]);
}
BENCHMARK(RenderMode)->DenseRange(1, 7)->Unit(benchmark::kMillisecond);

}  // namespace

// quorvel_module_ab: renders the same frame through several effect modules (or one module at
// several settings) in one process, taking turns, and prints each one's thread CPU time per
// frame. On a shared machine whose speed drifts over seconds and minutes, runs of separate
// programs differ by more than the changes being measured; turns taken within one process
// see the same drift, so their differences show.
//
//   quorvel_module_ab [--rounds N] [--depth 8|16] JOB...
//   JOB = MODULE[:MODE[:QUALITY[:DEPTH]]]   MODE: the "Rendering mode" popup's value (quorvel
//         info; 0 keeps the default), QUALITY: 1 high (the default) or 0 low, DEPTH: 8 or 16
//         (default --depth)
//
// The same module file named twice is loaded once (the engine's kept buffers are then
// shared); copy it to compare two builds.
#include <time.h>

#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/module.h"
#include "host/render_job.h"
#include "host/session.h"
#include "host/world.h"

namespace {

constexpr int kWidth = 1920, kHeight = 1080;
constexpr int kModeParam = 2;  // the "Rendering mode" popup

double ThreadCpuMs() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

struct Job {
  std::string text;  // as given on the command line
  std::unique_ptr<qvhost::RenderJob> render;
  std::unique_ptr<qvhost::World> output;
  std::vector<double> ms;  // one entry a round
};

// MODULE[:MODE[:QUALITY[:DEPTH]]] set up for a first frame.
std::unique_ptr<Job> MakeJob(const std::string& text, int depth) {
  auto job = std::make_unique<Job>();
  job->text = text;
  std::string path = text;
  int mode = 0, quality = 1;
  const size_t colon = text.find(':');
  if (colon != std::string::npos) {
    path = text.substr(0, colon);
    if (std::sscanf(text.c_str() + colon + 1, "%d:%d:%d", &mode, &quality, &depth) < 1 ||
        (depth != 8 && depth != 16))
      throw CLI::ValidationError("JOB", "expected MODULE[:MODE[:QUALITY[:DEPTH]]]: " + text);
  }
  const bool deep = depth == 16;
  job->render = std::make_unique<qvhost::RenderJob>(qvhost::Module::Load(path), kWidth, kHeight);
  qvhost::RenderSettings settings;
  settings.high_quality = quality != 0;
  settings.deep = deep;
  job->render->SetSettings(settings);
  if (mode > 0) job->render->session().value(kModeParam).u.pd.value = mode;
  job->render->RenderFrame(0);
  job->output = std::make_unique<qvhost::World>(kWidth, kHeight, deep, qvhost::kOutputRowPadding);
  return job;
}

// One turn: a frame that warms the caches after the other jobs' turns, then two timed.
void TakeTurn(Job& job) {
  job.render->session().Render(&job.output->def());
  const double start = ThreadCpuMs();
  for (int k = 0; k < 2; ++k) job.render->session().Render(&job.output->def());
  job.ms.push_back((ThreadCpuMs() - start) / 2);
}

void Report(Job& job) {
  std::vector<double> v = job.ms;
  std::sort(v.begin(), v.end());
  std::printf("%s: min %.2f, 10th percentile %.2f, median %.2f ms a frame\n", job.text.c_str(),
              v.front(), v[v.size() / 10], v[v.size() / 2]);
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"quorvel_module_ab: the same frame through several modules, taking turns"};
  int rounds = 25, depth = 8;
  std::vector<std::string> job_texts;
  app.add_option("--rounds", rounds, "turns each job takes (default 25)")
      ->check(CLI::Range(1, 100000));
  app.add_option("--depth", depth, "bits a channel, 8 or 16 (default 8)")
      ->check(CLI::IsMember({8, 16}));
  app.add_option("jobs", job_texts, "MODULE[:MODE[:QUALITY[:DEPTH]]]")->required();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : 2;  // a usage error
  }
  try {
    std::vector<std::unique_ptr<Job>> jobs;
    for (const std::string& text : job_texts) jobs.push_back(MakeJob(text, depth));
    for (int r = 0; r < rounds; ++r)
      for (auto& job : jobs) TakeTurn(*job);
    for (auto& job : jobs) Report(*job);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quorvel_module_ab: %s\n", e.what());
    return 1;
  }
  return 0;
}

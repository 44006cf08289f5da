// `quorvel render`: renders frames through the module, as a host would, to PNG files.
// The command parses its options into one record, validates them, loads the input and the
// module, renders, and cleans up, each in a function of its own. Exit codes: 0 done,
// 2 a usage error or a bad value, 1 a render or I/O failure; messages go to stderr.
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <vector>

#include "host/cli/commands.h"
#include "host/image.h"
#include "host/module.h"
#include "host/param_assign.h"
#include "host/render_job.h"
#include "host/sdk_names.h"

#if defined(_WIN32)
#include <io.h>
#define QV_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define QV_ISATTY(fd) isatty(fd)
#endif

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// The options as given on the command line.
struct RenderOptions {
  std::string input;
  std::string output = "quorvel.png";
  std::string size;  // WxH, the layer size when there is no input file
  std::string depth = "8";
  std::string quality = "hi";
  std::string downsample = "1";
  std::string frames = "1";
  std::string module;
  std::vector<std::string> sets;  // NAME=VALUE
  std::vector<std::string> layers;  // INDEX=FILE
  std::vector<std::string> animations;  // NAME=FROM:TO
};

// The options checked and turned into what the render needs (parameters are resolved
// once the module has defined them).
struct RenderPlan {
  std::string input, output, module;
  int width = 1920, height = 1080;  // the layer size without an input file
  qvhost::RenderSettings settings;
  int frames = 1;
};

struct Assignment {
  int index;
  qvhost::ParamValue value;
};

struct Animation {
  int index;
  qvhost::ParamValue from, to;
};

struct LayerFile {
  int index;
  std::string path;
};

// A failure with the exit code it ends the command with.
struct CommandError : std::runtime_error {
  CommandError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

[[noreturn]] void Usage(const std::string& message) { throw CommandError(kExitUsage, message); }
[[noreturn]] void Failure(const std::string& message) { throw CommandError(kExitFailure, message); }

// ---- Validation -------------------------------------------------------------------------

// A whole number in [lo, hi] from an option's text.
int WholeNumber(const std::string& option, const std::string& text, int lo, int hi) {
  size_t used = 0;
  long v = 0;
  try {
    v = std::stol(text, &used);
  } catch (const std::exception&) {
    used = 0;
  }
  if (used == 0 || used != text.size() || v < lo || v > hi)
    Usage(option + " " + text + ": expected a whole number from " + std::to_string(lo) + " to " +
          std::to_string(hi));
  return static_cast<int>(v);
}

// "WxH", both at least 1 and at most 16384.
void ParseSize(const std::string& text, int& width, int& height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos || x == 0 || x + 1 == text.size())
    Usage("--size " + text + ": expected WIDTHxHEIGHT, for example 1920x1080");
  width = WholeNumber("--size width", text.substr(0, x), 1, 16384);
  height = WholeNumber("--size height", text.substr(x + 1), 1, 16384);
}

RenderPlan Validate(const RenderOptions& o) {
  RenderPlan plan;
  plan.input = o.input;
  plan.output = o.output;
  plan.module = o.module.empty() ? DefaultModulePath() : o.module;
  if (plan.output.empty()) Usage("--output needs a file name");
  if (!o.size.empty()) {
    if (!o.input.empty()) Usage("--size sets the layer size without --input; an input file has its own");
    ParseSize(o.size, plan.width, plan.height);
  }
  const int depth = WholeNumber("--depth", o.depth, 8, 16);
  if (depth != 8 && depth != 16) Usage("--depth " + o.depth + ": expected 8 or 16");
  plan.settings.deep = depth == 16;
  if (o.quality != "hi" && o.quality != "lo") Usage("--quality " + o.quality + ": expected hi or lo");
  plan.settings.high_quality = o.quality == "hi";
  plan.settings.downsample = WholeNumber("--downsample", o.downsample, 1, 64);
  plan.frames = WholeNumber("--frames", o.frames, 1, 100000);
  if (!o.animations.empty() && plan.frames < 2)
    Usage("--animate needs --frames N with N of 2 or more");
  return plan;
}

// "KEY=REST" split at the first '='.
void SplitAssignment(const std::string& option, const std::string& text, std::string& key,
                     std::string& rest, const char* form) {
  const size_t eq = text.find('=');
  if (eq == std::string::npos || eq == 0) Usage(option + " " + text + ": expected " + form);
  key = text.substr(0, eq);
  rest = text.substr(eq + 1);
}

int Resolve(const qvhost::Session& session, const std::string& option, const std::string& key) {
  std::string error;
  const int index = qvhost::FindParam(session.definitions(), key, error);
  if (index < 0) Usage(option + ": " + error);
  return index;
}

const PF_ParamDef& Definition(const qvhost::Session& session, int index) {
  return session.definitions()[static_cast<size_t>(index - 1)];
}

qvhost::ParamValue Parse(const qvhost::Session& session, const std::string& option, int index,
                         const std::string& text) {
  qvhost::ParamValue value;
  std::string error;
  if (!qvhost::ParseParamValue(Definition(session, index), index, text, value, error))
    Usage(option + ": " + error);
  return value;
}

std::vector<Assignment> ResolveSets(const qvhost::Session& session, const RenderOptions& o) {
  std::vector<Assignment> sets;
  for (const std::string& text : o.sets) {
    std::string key, value;
    SplitAssignment("--set", text, key, value, "NAME=VALUE");
    const int index = Resolve(session, "--set", key);
    sets.push_back({index, Parse(session, "--set", index, value)});
  }
  return sets;
}

std::vector<Animation> ResolveAnimations(const qvhost::Session& session, const RenderOptions& o) {
  std::vector<Animation> animations;
  for (const std::string& text : o.animations) {
    std::string key, range;
    SplitAssignment("--animate", text, key, range, "NAME=FROM:TO");
    const int index = Resolve(session, "--animate", key);
    const PF_ParamDef& def = Definition(session, index);
    if (def.flags & PF_ParamFlag_CANNOT_TIME_VARY)
      Usage("--animate: " + qvhost::ParamLabel(def, index) + " cannot be animated");
    const size_t colon = range.find(':');
    if (colon == std::string::npos) Usage("--animate " + text + ": expected NAME=FROM:TO");
    animations.push_back({index, Parse(session, "--animate", index, range.substr(0, colon)),
                          Parse(session, "--animate", index, range.substr(colon + 1))});
  }
  return animations;
}

std::vector<LayerFile> ResolveLayers(const qvhost::Session& session, const RenderOptions& o) {
  std::vector<LayerFile> layers;
  for (const std::string& text : o.layers) {
    std::string key, path;
    SplitAssignment("--layer", text, key, path, "INDEX=FILE");
    const int index = Resolve(session, "--layer", key);
    if (Definition(session, index).param_type != PF_Param_LAYER)
      Usage("--layer: " + qvhost::ParamLabel(Definition(session, index), index) +
            " is not a layer; the layers are 22, 24, 26, 28 and 41");
    if (path.empty()) Usage("--layer " + text + ": no file");
    layers.push_back({index, path});
  }
  return layers;
}

// ---- Loading ----------------------------------------------------------------------------

qvhost::Image ReadImage(const std::string& path) {
  qvhost::Image image;
  std::string error;
  if (!qvhost::ReadPng(path, image, error)) Failure(error);
  return image;
}

// The input image, or the built-in background at the layer size.
qvhost::Image LoadInput(RenderPlan& plan) {
  if (plan.input.empty()) return qvhost::MakeBackground(plan.width, plan.height, 8);
  qvhost::Image image = ReadImage(plan.input);
  plan.width = image.width;
  plan.height = image.height;
  return image;
}

std::unique_ptr<qvhost::RenderJob> LoadJob(const RenderPlan& plan, qvhost::Image input) {
  std::shared_ptr<qvhost::Module> module;
  try {
    module = qvhost::Module::Load(plan.module);
    auto job = std::make_unique<qvhost::RenderJob>(module, plan.width, plan.height);
    job->SetInput(std::move(input));
    job->SetSettings(plan.settings);
    for (const std::string& problem : job->setup_problems())
      std::fprintf(stderr, "quorvel render: warning: %s\n", problem.c_str());
    return job;
  } catch (const qvhost::ModuleError& e) {
    Failure(e.what());
  } catch (const qvhost::RenderSetupError& e) {
    Failure(std::string("the effect cannot be set up: ") + e.what());
  }
}

// ---- Rendering --------------------------------------------------------------------------

// The file of frame `number` (from 1): the output name itself for a single frame, else the
// name with _NNNN before its extension.
std::string FramePath(const std::string& output, int number, int frames) {
  if (frames == 1) return output;
  char digits[16];
  std::snprintf(digits, sizeof digits, "_%04d", number);
  const size_t slash = output.find_last_of("/\\");
  const size_t dot = output.find_last_of('.');
  const bool has_extension = dot != std::string::npos && (slash == std::string::npos || dot > slash + 1);
  return has_extension ? output.substr(0, dot) + digits + output.substr(dot) : output + digits;
}

void ShowProgress(int done, int total) {
  constexpr int kBarWidth = 30;
  const int filled = done * kBarWidth / total;
  std::fprintf(stderr, "\r[%s%s] %d/%d frames", std::string(static_cast<size_t>(filled), '#').c_str(),
               std::string(static_cast<size_t>(kBarWidth - filled), ' ').c_str(), done, total);
  if (done == total) std::fprintf(stderr, "\n");
  std::fflush(stderr);
}

void ApplyFrameValues(qvhost::Session& session, const std::vector<Animation>& animations,
                      int frame, int frames) {
  const double t = frames > 1 ? static_cast<double>(frame) / (frames - 1) : 0.0;
  for (const Animation& a : animations)
    qvhost::ApplyParamValue(qvhost::Interpolate(a.from, a.to, t), session.value(a.index));
}

void RenderFrames(qvhost::RenderJob& job, const RenderPlan& plan,
                  const std::vector<Animation>& animations) {
  const bool progress = plan.frames > 1 && QV_ISATTY(2);
  for (int frame = 0; frame < plan.frames; ++frame) {
    ApplyFrameValues(job.session(), animations, frame, plan.frames);
    const qvhost::FrameResult result = job.RenderFrame(frame);
    const std::string path = FramePath(plan.output, frame + 1, plan.frames);
    if (progress && !result.problems.empty()) std::fprintf(stderr, "\n");
    for (const std::string& problem : result.problems)
      std::fprintf(stderr, "quorvel render: frame %d: host check: %s\n", frame + 1, problem.c_str());
    if (result.err != PF_Err_NONE)
      Failure("frame " + std::to_string(frame + 1) + ": the render failed: " +
              qvhost::ErrorText(result.err));
    std::string error;
    if (!qvhost::WritePng(path, result.image, error)) Failure(error);
    if (progress) ShowProgress(frame + 1, plan.frames);
  }
}

void Report(const RenderPlan& plan, const qvhost::RenderJob& job) {
  const std::string first = FramePath(plan.output, 1, plan.frames);
  if (plan.frames == 1)
    std::printf("%s: %dx%d, %d-bit\n", first.c_str(), job.output_width(), job.output_height(),
                plan.settings.deep ? 16 : 8);
  else
    std::printf("%s .. %s: %d frames, %dx%d, %d-bit\n", first.c_str(),
                FramePath(plan.output, plan.frames, plan.frames).c_str(), plan.frames,
                job.output_width(), job.output_height(), plan.settings.deep ? 16 : 8);
}

int RunRender(const RenderOptions& options) {
  RenderPlan plan = Validate(options);
  qvhost::Image input = LoadInput(plan);
  std::unique_ptr<qvhost::RenderJob> job = LoadJob(plan, std::move(input));
  const std::vector<Assignment> sets = ResolveSets(job->session(), options);
  const std::vector<Animation> animations = ResolveAnimations(job->session(), options);
  for (const Assignment& a : sets) qvhost::ApplyParamValue(a.value, job->session().value(a.index));
  for (const LayerFile& layer : ResolveLayers(job->session(), options))
    job->SetTextureLayer(layer.index, ReadImage(layer.path));
  RenderFrames(*job, plan, animations);
  Report(plan, *job);
  job.reset();  // sequence and global setdown
  return 0;
}

constexpr char kHelpFooter[] = R"(
Parameters are named by their exact name or their index (`quorvel info` lists both).
Names are not unique: "Diffuse", "Shininess", "Glass" and others exist for the ball and
again for the pendant; the name reaches the first (the ball's), the index the other
(e.g. 31 for the pendant's "Diffuse"). A tab in a name (index 14, "Strength of<TAB>
shininess") may be typed as one space, so "Strength of shininess" is index 14; the
pendant's is 34.
Values by type: popups a choice name (Phong) or number; colours r,g,b (0..255);
checkboxes on/off (true/false, 1/0); points x,y in layer pixels; sliders and angles
decimals within the parameter's valid range.
--animate interpolates linearly from FROM at the first frame to TO at the last (popups and
checkboxes switch at the half). With --frames N the frames are written as OUTPUT with
_0001 .. _N before the extension.
Exit codes: 0 done, 2 usage error or bad value, 1 render or I/O failure.
)";

}  // namespace

void AddRenderCommand(CLI::App& app) {
  auto o = std::make_shared<RenderOptions>();
  CLI::App* cmd = app.add_subcommand("render", "Render frames through the module to PNG files");
  cmd->add_option("--input", o->input, "PNG file for the input layer (default: a built-in gradient with a grid)")->type_name("FILE");
  cmd->add_option("--output", o->output, "PNG file to write (default quorvel.png)")->type_name("FILE");
  cmd->add_option("--size", o->size, "the layer size when there is no --input (default 1920x1080)")->type_name("WxH");
  cmd->add_option("--depth", o->depth, "bits a channel (default 8)")->type_name("8|16");
  cmd->add_option("--quality", o->quality, "rendering quality (default hi)")->type_name("hi|lo");
  cmd->add_option("--downsample", o->downsample, "render at 1/N of the layer size (default 1)")->type_name("N");
  cmd->add_option("--frames", o->frames, "number of frames (default 1)")->type_name("N");
  cmd->add_option("--module", o->module, "the effect module (default: " QUORVEL_DEFAULT_MODULE
                                         " in the plug-in folder beside this program)")
      ->type_name("PATH");
  cmd->add_option("--set", o->sets, "a parameter's value (repeatable)")
      ->type_name("NAME=VALUE")
      ->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  cmd->add_option("--layer", o->layers, "a PNG file for texture layer 22, 24, 26, 28 or 41 (repeatable)")
      ->type_name("INDEX=FILE")
      ->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  cmd->add_option("--animate", o->animations, "animate a parameter over the frames (repeatable)")
      ->type_name("NAME=FROM:TO")
      ->expected(1)->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  cmd->footer(kHelpFooter);
  cmd->callback([o] {
    int status = 0;
    try {
      status = RunRender(*o);
    } catch (const CommandError& e) {
      std::fprintf(stderr, "quorvel render: %s\n", e.what());
      status = e.code;
    } catch (const std::bad_alloc&) {
      std::fputs("quorvel render: out of memory\n", stderr);
      status = kExitFailure;
    } catch (const std::exception& e) {
      std::fprintf(stderr, "quorvel render: %s\n", e.what());
      status = kExitFailure;
    }
    // The report of what was written is output too: a standard output that cannot take it
    // (a full disk, a closed pipe) fails the command like any other write.
    if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && status == 0) {
      std::fputs("quorvel render: cannot write to standard output\n", stderr);
      status = kExitFailure;
    }
    if (status != 0) throw CLI::RuntimeError(status);
  });
}

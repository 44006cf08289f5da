// `quorvel render`: renders frames through the module, as a host would, to PNG files or a video.
// The command parses its options into one record, validates them, loads the input and the
// module, renders, and cleans up, each in a function of its own. Exit codes: 0 done,
// 2 a usage error, a bad value or an unusable module, 1 a render or I/O failure; messages go
// to stderr.
#include <cstdio>
#include <future>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "host/cli/clip_input.h"
#include "host/cli/commands.h"
#include "host/cli/frame_workers.h"
#include "host/image.h"
#include "host/module.h"
#include "host/pendant_check.h"
#include "host/pending_file.h"
#include "host/param_assign.h"
#include "host/render_job.h"
#include "host/sdk_names.h"
#include "host/video_write.h"
#include "host/world_png.h"

#if defined(_WIN32)
#include <io.h>
#define QV_ISATTY(fd) _isatty(fd)
#else
#include <unistd.h>
#define QV_ISATTY(fd) isatty(fd)
#endif

namespace {

// The options as given on the command line.
struct RenderOptions {
  std::string input;
  std::string output = "quorvel.png";
  std::string size;  // WxH, the layer size when there is no input file
  std::string depth = "8";
  std::string quality = "hi";
  std::string downsample = "1";
  std::string frames;  // default 1, or the clip's frames
  std::string fps;  // default 30, or the clip's rate
  std::string module;
  std::vector<std::string> sets;  // NAME=VALUE
  std::vector<std::string> layers;  // INDEX=FILE
  std::vector<std::string> animations;  // NAME=FROM:TO
  std::string jobs = "1";
  std::string first, last, range;  // a part of the sequence: --first/--last or --range A-B
};

// The options checked and turned into what the render needs (parameters are resolved
// once the module has defined them).
struct RenderPlan {
  std::string input, output, module;
  bool clip = false;  // the input is a video clip decoded by ffmpeg, one frame a frame
  ClipInfo clip_info;
  int width = 1920, height = 1080;  // the layer size without an input file
  qvhost::RenderSettings settings;
  int frames = 1;
  int first = 1, last = 1;  // the frames (from 1) this run writes
  int jobs = 1;  // worker processes
  int rate_num = 30, rate_den = 1;  // frames a second: --fps, or a clip's own rate
  bool video = false;  // one video file through ffmpeg instead of PNG files
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

// The frames this run writes: --range A-B, or --first and --last (each defaulting to the
// sequence's end), within 1..frames.
void ParseFrameRange(const RenderOptions& o, RenderPlan& plan) {
  std::string first = o.first, last = o.last;
  if (!o.range.empty()) {
    if (!first.empty() || !last.empty())
      Usage("--range replaces --first and --last; give one or the other");
    const size_t dash = o.range.find('-');
    if (dash == std::string::npos || dash == 0 || dash + 1 == o.range.size())
      Usage("--range " + o.range + ": expected FIRST-LAST, for example 1-24");
    first = o.range.substr(0, dash);
    last = o.range.substr(dash + 1);
  }
  plan.first = first.empty() ? 1 : WholeNumber("first frame", first, 1, plan.frames);
  plan.last = last.empty() ? plan.frames : WholeNumber("last frame", last, 1, plan.frames);
  if (plan.first > plan.last)
    Usage("the first frame " + std::to_string(plan.first) + " comes after the last " +
          std::to_string(plan.last));
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
  if (!o.input.empty() && IsClip(o.input)) {
    plan.clip = true;
    try {
      plan.clip_info = ProbeClip(o.input);
    } catch (const ClipError& e) {
      Usage(e.what());
    }
  }
  plan.frames = o.frames.empty() ? (plan.clip ? plan.clip_info.frames : 1)
                                 : WholeNumber("--frames", o.frames, 1, 100000);
  if (plan.clip && plan.frames > plan.clip_info.frames)
    Usage("--frames " + o.frames + ": " + o.input + " has only " +
          std::to_string(plan.clip_info.frames) + " frames");
  if (plan.clip && !o.fps.empty())
    Usage("--fps: " + o.input + " has its own rate, " + std::to_string(plan.clip_info.rate_num) +
          "/" + std::to_string(plan.clip_info.rate_den) + " frames a second");
  if (plan.clip) {
    plan.rate_num = plan.clip_info.rate_num;
    plan.rate_den = plan.clip_info.rate_den;
  } else if (!o.fps.empty()) {
    plan.rate_num = WholeNumber("--fps", o.fps, 1, 1000);
  }
  plan.settings.time_scale = static_cast<A_u_long>(plan.rate_num);
  plan.settings.time_step = plan.rate_den;
  plan.video = qvhost::VideoKindOf(plan.output) != qvhost::VideoKind::kNone;
  if (!o.animations.empty() && plan.frames < 2)
    Usage("--animate needs --frames N with N of 2 or more");
  ParseFrameRange(o, plan);
  plan.jobs = WholeNumber("--jobs", o.jobs, 1, 64);
  if (plan.video && plan.jobs > 1) Usage("--jobs writes PNG frames; a video is written by one process");
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

// "22, 24, 26, 28 and 41": the effect's layer parameters, for messages.
std::string LayerList(const qvhost::Session& session) {
  const std::vector<int> layers = qvhost::LayerParams(session.definitions());
  std::string text;
  for (size_t i = 0; i < layers.size(); ++i) {
    if (i > 0) text += i + 1 == layers.size() ? " and " : ", ";
    text += std::to_string(layers[i]);
  }
  return text.empty() ? "none" : text;
}

std::vector<LayerFile> ResolveLayers(const qvhost::Session& session, const RenderOptions& o) {
  std::vector<LayerFile> layers;
  for (const std::string& text : o.layers) {
    std::string key, path;
    SplitAssignment("--layer", text, key, path, "INDEX=FILE");
    const int index = Resolve(session, "--layer", key);
    if (Definition(session, index).param_type != PF_Param_LAYER)
      Usage("--layer: " + qvhost::ParamLabel(Definition(session, index), index) +
            " is not a layer; the layers are " + LayerList(session));
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

// The input image; without an input file an empty image: the job starts with the built-in
// background at the layer size (making a second one would only cost memory). A clip gives
// the layer its size; its frames come one by one as they render.
qvhost::Image LoadInput(RenderPlan& plan) {
  if (plan.clip) {
    plan.width = plan.clip_info.width;
    plan.height = plan.clip_info.height;
  }
  if (plan.input.empty() || plan.clip) return qvhost::Image{};
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
    if (!input.empty()) job->SetInput(std::move(input));
    job->SetSettings(plan.settings);
    job->DropInputOnceMade();  // the settings stay as they are for the whole render
    for (const std::string& problem : job->setup_problems())
      std::fprintf(stderr, "quorvel render: warning: %s\n", problem.c_str());
    const std::string pendant = qvhost::PendantProblem(plan.module);
    if (!pendant.empty()) std::fprintf(stderr, "quorvel render: warning: %s\n", pendant.c_str());
    return job;
  } catch (const qvhost::ModuleError& e) {
    throw CommandError(ModuleErrorExit(e), e.what());
  } catch (const qvhost::RenderSetupError& e) {
    Failure(std::string("the effect cannot be set up: ") + e.what());
  }
}

// ---- Rendering --------------------------------------------------------------------------

// The file of frame `number` (from 1): the output name itself for a single frame or a
// video, else the name with _NNNN before its extension.
std::string FramePath(const std::string& output, int number, int frames) {
  if (frames == 1 || qvhost::VideoKindOf(output) != qvhost::VideoKind::kNone) return output;
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
  const bool progress = plan.last > plan.first && QV_ISATTY(2);
  std::unique_ptr<ClipReader> clip;
  if (plan.clip)
    clip = std::make_unique<ClipReader>(plan.input, plan.clip_info, plan.first - 1,
                                        plan.last - 1, plan.settings.deep ? 16 : 8);
  std::unique_ptr<qvhost::VideoWriter> video;
  if (plan.video) {
    qvhost::VideoFormat format;
    format.width = job.output_width();
    format.height = job.output_height();
    format.depth = plan.settings.deep ? 16 : 8;
    format.rate_num = plan.rate_num;
    format.rate_den = plan.rate_den;
    if (plan.clip) {  // the clip's sound from the first frame written on
      format.sound = plan.input;
      format.sound_start = static_cast<double>(plan.first - 1) * plan.rate_den / plan.rate_num;
    }
    video = std::make_unique<qvhost::VideoWriter>(plan.output, format);
  }
  // Each frame's PNG file is written on a second thread while the next frame renders (into
  // the job's other output world); a write is waited for before the next one starts and
  // before any failure is reported, so its error comes first and no file is left half made.
  std::future<std::string> writing;  // the error of the file being written, empty if none
  auto finish_writing = [&writing] {
    if (!writing.valid()) return;
    const std::string error = writing.get();
    if (!error.empty()) Failure(error);
  };
  for (int frame = plan.first - 1; frame < plan.last; ++frame) {
    ApplyFrameValues(job.session(), animations, frame, plan.frames);
    if (clip) job.SetInput(clip->Next());
    const qvhost::FrameResult result = job.RenderFrame(frame, plan.video);
    const std::string path = FramePath(plan.output, frame + 1, plan.frames);
    if (progress && !result.problems.empty()) std::fprintf(stderr, "\n");
    for (const std::string& problem : result.problems)
      std::fprintf(stderr, "quorvel render: frame %d: host check: %s\n", frame + 1, problem.c_str());
    finish_writing();
    if (result.err != PF_Err_NONE)
      Failure("frame " + std::to_string(frame + 1) + ": the render failed: " +
              qvhost::ErrorText(result.err));
    if (video) {
      video->Write(result.image);
    } else {
      const qvhost::World* world = job.last_output();
      auto write = [path, world] {
        std::string error;
        return qvhost::WriteWorldPng(path, *world, error) ? std::string() : error;
      };
      try {
        writing = std::async(std::launch::async, write);
      } catch (const std::system_error&) {  // no thread to be had: written here and now
        const std::string error = write();
        if (!error.empty()) Failure(error);
      }
    }
    if (progress) ShowProgress(frame + 2 - plan.first, plan.last - plan.first + 1);
  }
  finish_writing();
  if (clip) clip->Finish();
  if (video) video->Finish();
}

// "30", or "30000/1001" for a rate that is not whole.
std::string RateText(const RenderPlan& plan) {
  return plan.rate_den == 1 ? std::to_string(plan.rate_num)
                            : std::to_string(plan.rate_num) + "/" + std::to_string(plan.rate_den);
}

void Report(const RenderPlan& plan, const qvhost::RenderJob& job) {
  const std::string first = FramePath(plan.output, plan.first, plan.frames);
  if (plan.video)
    std::printf("%s: %d frames at %s a second, %dx%d, %d-bit\n", plan.output.c_str(),
                plan.last - plan.first + 1, RateText(plan).c_str(), job.output_width(),
                job.output_height(), plan.settings.deep ? 16 : 8);
  else if (plan.first == plan.last)
    std::printf("%s: %dx%d, %d-bit\n", first.c_str(), job.output_width(), job.output_height(),
                plan.settings.deep ? 16 : 8);
  else
    std::printf("%s .. %s: %d frames, %dx%d, %d-bit\n", first.c_str(),
                FramePath(plan.output, plan.last, plan.frames).c_str(),
                plan.last - plan.first + 1, job.output_width(), job.output_height(),
                plan.settings.deep ? 16 : 8);
}

// The command line of one worker: every option that shapes a frame (its time and animated
// values come from the sequence's length and rate), one part of the frames, one job.
std::vector<std::string> WorkerArguments(const RenderOptions& o, const RenderPlan& plan,
                                         const FrameRange& part) {
  std::vector<std::string> args = {"render", "--output", o.output, "--depth", o.depth,
                                   "--quality", o.quality, "--downsample", o.downsample,
                                   "--frames", std::to_string(plan.frames), "--range",
                                   std::to_string(part.first) + "-" + std::to_string(part.last)};
  const auto add = [&args](const char* option, const std::string& value) {
    if (value.empty()) return;
    args.push_back(option);
    args.push_back(value);
  };
  add("--input", o.input);
  add("--size", o.size);
  add("--fps", o.fps);
  add("--module", o.module);
  for (const std::string& v : o.sets) add("--set", v);
  for (const std::string& v : o.layers) add("--layer", v);
  for (const std::string& v : o.animations) add("--animate", v);
  return args;
}

// --jobs N: the frames split into N parts, each rendered by a worker process of its own;
// each worker reports its part. A worker's failure is the command's, named by its frames.
int RenderInWorkers(const RenderOptions& o, const RenderPlan& plan) {
  std::vector<WorkerJob> workers;
  for (const FrameRange& part : SplitFrames(plan.first, plan.last, plan.jobs))
    workers.push_back({WorkerArguments(o, plan, part),
                       "frames " + std::to_string(part.first) + "-" + std::to_string(part.last)});
  const std::string failure = RunWorkers(workers);
  if (!failure.empty()) {
    // A worker killed outright could not remove the frame it was writing.
    for (int frame = plan.first; frame <= plan.last; ++frame)
      std::remove(qvhost::TemporaryName(FramePath(plan.output, frame, plan.frames)).c_str());
    Failure("worker for " + failure);
  }
  return 0;
}

int RunRender(const RenderOptions& options) {
  RenderPlan plan = Validate(options);
  if (plan.jobs > 1 && plan.last > plan.first) return RenderInWorkers(options, plan);
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
_0001 .. _N before the extension; an OUTPUT ending in .mp4, .webm or .gif is one video
instead, written through the ffmpeg program at --fps frames a second. --range A-B (or
--first A --last B) writes only frames A to B of the N, each exactly as in the whole
sequence, so that a long sequence can be split across machines; --jobs J splits the frames
into J parts rendered at once by J worker processes of this program, each with its own
module (PNG frames only).
An --input that is not a PNG file is a clip: any video (or image) ffmpeg decodes. The effect
is drawn over each of its frames in turn, at the clip's size and frame rate; --frames N
takes its first N frames (all of them by default), and a video output keeps its sound.
Exit codes: 0 done, 2 usage error, bad value or unusable module, 1 render or I/O failure.
Files are written under NAME.part and renamed when complete: a failure or an interrupt
leaves no half-written file.
)";

}  // namespace

void AddRenderCommand(CLI::App& app) {
  auto o = std::make_shared<RenderOptions>();
  CLI::App* cmd = app.add_subcommand("render", "Render frames through the module to PNG files or a video");
  cmd->add_option("--input", o->input, "PNG file, or a video clip ffmpeg decodes, for the input layer (default: a built-in gradient with a grid)")->type_name("FILE");
  cmd->add_option("--output", o->output, "PNG file, or .mp4/.webm/.gif video, to write (default quorvel.png)")->type_name("FILE");
  cmd->add_option("--size", o->size, "the layer size when there is no --input (default 1920x1080)")->type_name("WxH");
  cmd->add_option("--depth", o->depth, "bits a channel (default 8)")->type_name("8|16");
  cmd->add_option("--quality", o->quality, "rendering quality (default hi)")->type_name("hi|lo");
  cmd->add_option("--downsample", o->downsample, "render at 1/N of the layer size (default 1)")->type_name("N");
  cmd->add_option("--frames", o->frames, "number of frames (default 1, or all of a clip's)")->type_name("N");
  cmd->add_option("--first", o->first, "the first frame to write (default 1)")->type_name("N");
  cmd->add_option("--last", o->last, "the last frame to write (default the last of --frames)")->type_name("N");
  cmd->add_option("--range", o->range, "the frames to write, instead of --first and --last")->type_name("A-B");
  cmd->add_option("--jobs", o->jobs, "render the frames in N worker processes (default 1)")->type_name("N");
  cmd->add_option("--fps", o->fps, "frames a second: the frames' times and a video's rate (default 30; a clip's own)")->type_name("N");
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
    } catch (const qvhost::VideoError& e) {
      std::fprintf(stderr, "quorvel render: %s\n", e.what());
      status = kExitFailure;
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
    status = FinishOutput("render", status);
    if (status != 0) throw CLI::RuntimeError(status);
  });
}

// The frei0r interface of the filter: the f0r_ functions a frei0r host (ffmpeg, MLT) calls,
// each a thin step onto the effect and its instances. The effect keeps process-wide state
// and expects one command at a time, so every call into it holds one lock; frei0r has no
// way to report errors, so they go to stderr, and a frame that cannot be rendered is passed
// through unchanged.
#include <cstdio>
#include <mutex>
#include <string>

#include "frei0r/effect.h"
#include "frei0r/filter.h"
#include "frei0r/frei0r_api.h"
#include "host/pendant_check.h"
#include "platform/os/beside_module.h"
#include "platform/os/module_handle.h"
#include "shell/model_path.h"
#include "shell/shell_state.h"

#define QV_FREI0R extern "C" __attribute__((visibility("default")))

namespace {

std::mutex g_lock;
int g_loaded = 0;  // f0r_init calls that set the effect up, not yet undone

// A message on stderr, once in a row: a fault that repeats every frame is told once.
void Warn(const std::string& text) {
  static std::string last;
  if (text == last) return;
  last = text;
  std::fprintf(stderr, "quorvel: %s\n", text.c_str());
}

// The pendant model beside the filter, checked when the first instance is made: the
// module draws the ball alone without a word when it cannot load it, the user is told why.
void TellMissingPendant() {
  static bool told = false;
  if (told) return;
  told = true;
  char module[kModulePathCapacity];
  if (ModuleFilePath(module, sizeof module) == 0) return;
  const std::string problem = qvhost::PendantProblem(module);
  if (!problem.empty()) std::fprintf(stderr, "quorvel: warning: %s\n", problem.c_str());
}

qvfrei0r::Filter* AsFilter(f0r_instance_t instance) {
  return static_cast<qvfrei0r::Filter*>(instance);
}

}  // namespace

QV_FREI0R int f0r_init() {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string error;
  if (!qvfrei0r::LoadEffect(error)) {
    Warn("the effect cannot be set up: " + error);
    return 0;
  }
  ++g_loaded;
  return 1;
}

QV_FREI0R void f0r_deinit() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_loaded == 0) return;  // init failed or was never called
  --g_loaded;
  qvfrei0r::UnloadEffect();
}

QV_FREI0R void f0r_get_plugin_info(f0r_plugin_info_t* info) {
  std::lock_guard<std::mutex> hold(g_lock);
  info->name = "Glissel";
  info->author = "Quorvel";
  info->plugin_type = F0R_PLUGIN_TYPE_FILTER;
  info->color_model = F0R_COLOR_MODEL_RGBA8888;
  info->frei0r_version = FREI0R_MAJOR_VERSION;
  info->major_version = static_cast<int>((kEffectVersion >> 19) & 0x7);
  info->minor_version = static_cast<int>((kEffectVersion >> 15) & 0xF);
  info->num_params = static_cast<int>(qvfrei0r::EffectParams().size());
  info->explanation = "A decorative 3D ball with a pendant cap drawn over the frame";
}

QV_FREI0R void f0r_get_param_info(f0r_param_info_t* info, int param_index) {
  std::lock_guard<std::mutex> hold(g_lock);
  const auto& params = qvfrei0r::EffectParams();
  if (param_index < 0 || static_cast<size_t>(param_index) >= params.size()) return;
  const qvfrei0r::MappedParam& p = params[static_cast<size_t>(param_index)];
  info->name = p.name.c_str();
  info->type = p.type;
  info->explanation = p.explanation.empty() ? nullptr : p.explanation.c_str();
}

QV_FREI0R f0r_instance_t f0r_construct(unsigned int width, unsigned int height) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_loaded == 0) return nullptr;
  try {
    TellMissingPendant();
    return new qvfrei0r::Filter(static_cast<int>(width), static_cast<int>(height));
  } catch (const std::exception& e) {
    Warn(std::string("cannot start the filter: ") + e.what());
    return nullptr;
  }
}

QV_FREI0R void f0r_destruct(f0r_instance_t instance) {
  std::lock_guard<std::mutex> hold(g_lock);
  delete AsFilter(instance);
}

QV_FREI0R void f0r_set_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
  std::lock_guard<std::mutex> hold(g_lock);
  std::string error;
  if (instance && !AsFilter(instance)->Set(param_index, param, error)) Warn(error);
}

QV_FREI0R void f0r_get_param_value(f0r_instance_t instance, f0r_param_t param, int param_index) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (instance) AsFilter(instance)->Get(param_index, param);
}

QV_FREI0R void f0r_update(f0r_instance_t instance, double time, const uint32_t* inframe,
                          uint32_t* outframe) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (!instance || !inframe || !outframe) return;
  std::string error;
  if (!AsFilter(instance)->Update(time, inframe, outframe, error)) Warn(error);
}

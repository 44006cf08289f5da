// Global setup and setdown: the effect's version and out flags, the about box's brush, the
// engine's processor paths, and at setdown the working buffers the renders kept.
#include "engine/engine.h"
#include "platform/os/brush.h"
#include "shell/shell.h"
#include "shell/shell_state.h"

namespace {
void* g_about_brush = nullptr;
}

void* AboutBoxBrush() { return g_about_brush; }

PF_Err GlobalSetup(PF_InData* /*in_data*/, PF_OutData* out_data) {
  // A failed brush is not reported: the about box then hands the system a null brush.
  g_about_brush = CreateSolidColourBrush(232, 232, 232);
  EngineChooseCpuPaths();
  out_data->my_version = kEffectVersion;
  out_data->out_flags = kEffectOutFlags;
  return PF_Err_NONE;
}

PF_Err GlobalSetdown() {
  DeleteSolidColourBrush(g_about_brush);
  g_about_brush = nullptr;
  EngineReleaseBuffers();
  return PF_Err_NONE;
}

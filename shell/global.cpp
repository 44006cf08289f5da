// Global setup and setdown: the effect's version and out flags, the about box's brush, the
// engine's processor paths, and at setdown the working buffers the renders kept.
#include "engine/engine.h"
#include "shell/shell.h"
#include "shell/shell_state.h"
#include "ui/about_box.h"

PF_Err GlobalSetup(PF_InData* /*in_data*/, PF_OutData* out_data) {
  MakeAboutBoxBrush();
  EngineChooseCpuPaths();
  out_data->my_version = kEffectVersion;
  out_data->out_flags = kEffectOutFlags;
  return PF_Err_NONE;
}

PF_Err GlobalSetdown() {
  DeleteAboutBoxBrush();
  EngineReleaseBuffers();
  return PF_Err_NONE;
}

// The render command (filled in with the engine).
#include "shell/shell.h"

PF_Err Render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output) {
  return PF_Err_NONE;
}

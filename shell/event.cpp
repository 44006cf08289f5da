// Custom-UI events of the information panel (filled in with the panel).
#include "shell/shell.h"

PF_Err HandleEvent(PF_InData* /*in_data*/, PF_OutData* /*out_data*/, PF_ParamDef* /*params*/[],
                   PF_EventExtra* /*extra*/) {
  return PF_Err_NONE;
}

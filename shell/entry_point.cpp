// The module's single entry point: routes each host command to its handler.
#include "platform/export.h"
#include "platform/os/module_handle.h"
#include "shell/shell.h"

QV_API PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                             PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
  switch (cmd) {
    case PF_Cmd_ABOUT: return About(in_data);
    case PF_Cmd_GLOBAL_SETUP: return GlobalSetup(in_data, out_data);
    case PF_Cmd_GLOBAL_SETDOWN: return GlobalSetdown();
    case PF_Cmd_PARAMS_SETUP: return ParamsSetup(in_data, out_data);
    case PF_Cmd_SEQUENCE_SETUP: return SequenceSetup(in_data, out_data);
    case PF_Cmd_SEQUENCE_RESETUP: return SequenceResetup(in_data, out_data);
    case PF_Cmd_SEQUENCE_FLATTEN:
    case PF_Cmd_SEQUENCE_SETDOWN: return SequenceRelease(in_data, out_data);
    case PF_Cmd_RENDER: return Render(in_data, out_data, params, output);
    case PF_Cmd_EVENT:
      return HandleEvent(in_data, out_data, params, static_cast<PF_EventExtra*>(extra));
    default: return PF_Err_NONE;  // dialog, frame setup, param changes, smart render, ...
  }
}

// The effect shell's command handlers, one per host command the effect answers, and the
// process-wide state of the shell.
#pragma once

#include "platform/sdk/ae_sdk.h"

// Global setup and setdown: version, out flags and the about box's brush.
PF_Err GlobalSetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err GlobalSetdown();

// The host's about command.
PF_Err About(PF_InData* in_data);

// The 52 parameters and the custom panel.
PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data);

// Sequence data: setup, resetup, and the one routine of flatten and setdown.
PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceResetup(PF_InData* in_data, PF_OutData* out_data);
PF_Err SequenceRelease(PF_InData* in_data, PF_OutData* out_data);

// One frame.
PF_Err Render(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
              PF_LayerDef* output);

// Custom-UI events of the information panel.
PF_Err HandleEvent(PF_InData* in_data, PF_OutData* out_data, PF_ParamDef* params[],
                   PF_EventExtra* extra);

// The host interface as the effect sees it: records, callbacks, suites, constants and the
// entry point's signature. Laid out byte for byte as the 64-bit Windows host expects.
#pragma once

#include <stddef.h>

#include "ae_callbacks.h"
#include "ae_constants.h"
#include "ae_custom_ui.h"
#include "ae_in_out.h"
#include "ae_params.h"
#include "ae_types.h"
#include "ae_world.h"
#include "sp_suites.h"

#ifdef __cplusplus
extern "C" {
#endif

typedef PF_Err (*PF_EntryPoint)(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                PF_ParamDef* params[], PF_LayerDef* output, void* extra);

#ifdef __cplusplus
}
#endif

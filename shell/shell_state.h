// The effect's identity as the host registers it.
#pragma once

#include "platform/sdk/ae_sdk.h"

// Version 2.0, stage develop, build 1: 0x00100001. The PiPL carries the same value.
constexpr A_u_long kEffectVersion = PF_VERSION(2, 0, 0, PF_Stage_DEVELOP, 1);
static_assert(kEffectVersion == 0x00100001, "effect version");

// The out flags, also in the PiPL: 0x06008454.
constexpr PF_OutFlags kEffectOutFlags =
    PF_OutFlag_NON_PARAM_VARY | PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING |
    PF_OutFlag_USE_OUTPUT_EXTENT | PF_OutFlag_PIX_INDEPENDENT | PF_OutFlag_CUSTOM_UI |
    PF_OutFlag_DEEP_COLOR_AWARE | PF_OutFlag_SEND_UPDATE_PARAMS_UI;
static_assert(kEffectOutFlags == 0x06008454, "effect out flags");

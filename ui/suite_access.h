// Access to the host's suites through the SP basic suite of PF_InData: one suite by name
// and version, and the four drawing suites together. A failure puts a message into the
// host's return message and asks the host to show it.
#pragma once

#include "platform/sdk/ae_sdk.h"

// Acquires suite `name` at `version` into *suite. Without a basic suite, or when the host
// hands out none, *suite is null, the result is PF_Err_BAD_CALLBACK_PARAM and `message`
// (or "Not able to acquire AEFX Suite." when null) is shown.
PF_Err AcquireHostSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                        int version, const char* message, const void** suite);

// Releases suite `name` at `version`. Without a basic suite the result is
// PF_Err_BAD_CALLBACK_PARAM and `message` (or "Not able to release AEFX Suite.") is shown.
PF_Err ReleaseHostSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                        int version, const char* message);

// The four drawing suites; a null member was not acquired.
struct DrawbotSuites {
  const DRAWBOT_DrawbotSuite1* draw;
  const DRAWBOT_SupplierSuite1* supplier;
  const DRAWBOT_SurfaceSuite1* surface;
  const DRAWBOT_PathSuite1* path;
};

// Acquires the Draw, Supplier, Surface and Path suites in that order and stops at the
// first failure; the suites acquired before it stay in *suites, to be released. A null
// record gives PF_Err_UNRECOGNIZED_PARAM_TYPE with its own message.
PF_Err AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites);

// Releases exactly the suites *suites holds and clears them. Returns the first error.
PF_Err ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites);

// Shows `message` through the host: the text goes into return_msg (with the host's sprintf
// when it has one) and PF_OutFlag_DISPLAY_ERROR_MESSAGE is added.
void ShowHostMessage(PF_InData* in_data, PF_OutData* out_data, const char* message);

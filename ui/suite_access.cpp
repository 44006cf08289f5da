// Acquiring and releasing host suites by name through the SP basic suite, with the
// messages the host shows when that fails.
#include "ui/suite_access.h"

#include <stdio.h>

namespace {

constexpr char kAcquireFailed[] = "Not able to acquire AEFX Suite.";
constexpr char kReleaseFailed[] = "Not able to release AEFX Suite.";
constexpr char kNullDrawbotRecord[] = "NULL suite pointer passed to AEFX_AcquireDrawbotSuites";

SPBasicSuite* BasicSuite(PF_InData* in_data) {
  return in_data ? in_data->pica_basicP : nullptr;
}

// One drawing suite: where its pointer goes, its name and the message when it is missing.
struct DrawbotEntry {
  const void** slot;
  const char* name;
  const char* message;
};

}  // namespace

void ShowHostMessage(PF_InData* in_data, PF_OutData* out_data, const char* message) {
  if (!out_data || !message) return;
  out_data->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  if (in_data && in_data->utils && in_data->utils->ansi.sprintf) {
    // The text is an argument, never the format: a '%' in it is printed as it is.
    in_data->utils->ansi.sprintf(out_data->return_msg, "%s", message);
  } else {
    snprintf(out_data->return_msg, sizeof out_data->return_msg, "%s", message);
  }
}

PF_Err AcquireHostSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                        int version, const char* message, const void** suite) {
  if (suite) *suite = nullptr;
  SPBasicSuite* basic = BasicSuite(in_data);
  const void* found = nullptr;
  SPErr sp_err = -1;
  if (basic && basic->AcquireSuite && suite) sp_err = basic->AcquireSuite(name, version, &found);
  if (sp_err == 0 && !found && basic->ReleaseSuite) {
    // Acquired but empty: give it back, so that the host's count stays right.
    basic->ReleaseSuite(name, version);
  }
  if (sp_err != 0 || !found) {
    ShowHostMessage(in_data, out_data, message ? message : kAcquireFailed);
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  *suite = found;
  return PF_Err_NONE;
}

PF_Err ReleaseHostSuite(PF_InData* in_data, PF_OutData* out_data, const char* name,
                        int version, const char* message) {
  SPBasicSuite* basic = BasicSuite(in_data);
  if (!basic || !basic->ReleaseSuite) {
    ShowHostMessage(in_data, out_data, message ? message : kReleaseFailed);
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  basic->ReleaseSuite(name, version);
  return PF_Err_NONE;
}

PF_Err AcquireDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites) {
  if (!suites) {
    ShowHostMessage(in_data, out_data, kNullDrawbotRecord);
    return PF_Err_UNRECOGNIZED_PARAM_TYPE;
  }
  *suites = DrawbotSuites{};
  const DrawbotEntry entries[] = {
      {reinterpret_cast<const void**>(&suites->draw), kDRAWBOT_DrawSuite,
       "Not able to acquire the DRAWBOT Draw Suite."},
      {reinterpret_cast<const void**>(&suites->supplier), kDRAWBOT_SupplierSuite,
       "Not able to acquire the DRAWBOT Supplier Suite."},
      {reinterpret_cast<const void**>(&suites->surface), kDRAWBOT_SurfaceSuite,
       "Not able to acquire the DRAWBOT Surface Suite."},
      {reinterpret_cast<const void**>(&suites->path), kDRAWBOT_PathSuite,
       "Not able to acquire the DRAWBOT Path Suite."},
  };
  for (const DrawbotEntry& e : entries) {
    PF_Err err = AcquireHostSuite(in_data, out_data, e.name, kDRAWBOT_SuiteVersion1, e.message,
                                  e.slot);
    if (err != PF_Err_NONE) return err;
  }
  return PF_Err_NONE;
}

PF_Err ReleaseDrawbotSuites(PF_InData* in_data, PF_OutData* out_data, DrawbotSuites* suites) {
  if (!suites) return PF_Err_NONE;
  const struct {
    const void* held;
    const char* name;
  } entries[] = {{suites->draw, kDRAWBOT_DrawSuite},
                 {suites->supplier, kDRAWBOT_SupplierSuite},
                 {suites->surface, kDRAWBOT_SurfaceSuite},
                 {suites->path, kDRAWBOT_PathSuite}};
  PF_Err first = PF_Err_NONE;
  for (const auto& e : entries) {
    if (!e.held) continue;
    PF_Err err = ReleaseHostSuite(in_data, out_data, e.name, kDRAWBOT_SuiteVersion1, nullptr);
    if (first == PF_Err_NONE) first = err;
  }
  *suites = DrawbotSuites{};
  return first;
}

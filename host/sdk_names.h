// Host interface values as people read them: parameter type names, out flag names, the
// packed effect version unpacked, 16.16 fixed point as decimals, and parameter names with
// their control characters made visible.
#pragma once

#include <cstdint>
#include <string>

#include "platform/sdk/ae_sdk.h"

namespace qvhost {

// "FIX_SLIDER" for PF_Param_FIX_SLIDER; "TYPE_<n>" for an unknown type.
std::string ParamTypeName(PF_ParamType type);

// The names of the set out flags joined by " | " ("NON_PARAM_VARY | CUSTOM_UI");
// unknown bits as hex; "none" for 0.
std::string OutFlagNames(uint32_t flags);

// The fields of a packed effect version (my_version, the PiPL's eVER).
struct UnpackedVersion {
  unsigned version, subversion, bugfix, stage, build;
};
UnpackedVersion UnpackVersion(uint32_t packed);
// "2.0.0 develop build 1".
std::string DescribeVersion(uint32_t packed);

// A 16.16 value as a decimal: whole numbers without decimals ("50", "-1000"), others with
// up to six decimals ("0.5"); when six decimals are not exact the raw value follows
// ("0.001007 (raw 0x00000042)").
std::string FormatFixed(PF_Fixed value);

// A name with control characters escaped (a tab shows as \t), quotes as \".
std::string EscapeName(const std::string& name);

// "0x06008454".
std::string Hex32(uint32_t value);

// A host error code as a person reads it: "out of memory (error 4)", "out of memory
// (error -108)" for the handle allocator's memFullErr, "bad callback parameter (error 516)";
// "error N" for a code without a name.
std::string ErrorText(PF_Err err);

}  // namespace qvhost

// Host interface values as text: type and flag names, versions, fixed point, names.
#include "host/sdk_names.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>

namespace qvhost {

std::string ParamTypeName(PF_ParamType type) {
  static const char* const kNames[] = {
      "LAYER",     "SLIDER",  "FIX_SLIDER",   "ANGLE",          "CHECKBOX", "COLOR",
      "POINT",     "POPUP",   "CUSTOM",       "NO_DATA",        "FLOAT_SLIDER",
      "ARBITRARY_DATA", "PATH", "GROUP_START", "GROUP_END",     "BUTTON"};
  if (type >= 0 && type < static_cast<PF_ParamType>(sizeof kNames / sizeof kNames[0]))
    return kNames[type];
  return "TYPE_" + std::to_string(type);
}

std::string OutFlagNames(uint32_t flags) {
  struct Named {
    uint32_t bit;
    const char* name;
  };
  // The flags this host knows by name; any other set bit is shown in hex.
  static const Named kFlags[] = {
      {PF_OutFlag_NON_PARAM_VARY, "NON_PARAM_VARY"},
      {PF_OutFlag_SEQUENCE_DATA_NEEDS_FLATTENING, "SEQUENCE_DATA_NEEDS_FLATTENING"},
      {PF_OutFlag_USE_OUTPUT_EXTENT, "USE_OUTPUT_EXTENT"},
      {PF_OutFlag_DISPLAY_ERROR_MESSAGE, "DISPLAY_ERROR_MESSAGE"},
      {PF_OutFlag_PIX_INDEPENDENT, "PIX_INDEPENDENT"},
      {PF_OutFlag_CUSTOM_UI, "CUSTOM_UI"},
      {PF_OutFlag_DEEP_COLOR_AWARE, "DEEP_COLOR_AWARE"},
      {PF_OutFlag_SEND_UPDATE_PARAMS_UI, "SEND_UPDATE_PARAMS_UI"},
  };
  if (flags == 0) return "none";
  std::string text;
  uint32_t unknown = flags;
  for (const Named& f : kFlags) {
    if (!(flags & f.bit)) continue;
    if (!text.empty()) text += " | ";
    text += f.name;
    unknown &= ~f.bit;
  }
  if (unknown != 0) text += (text.empty() ? "" : " | ") + Hex32(unknown);
  return text;
}

UnpackedVersion UnpackVersion(uint32_t packed) {
  return {(packed >> 19) & 0x7u, (packed >> 15) & 0xFu, (packed >> 11) & 0xFu,
          (packed >> 9) & 0x3u, packed & 0x1FFu};
}

std::string DescribeVersion(uint32_t packed) {
  static const char* const kStages[] = {"develop", "alpha", "beta", "release"};
  UnpackedVersion v = UnpackVersion(packed);
  return std::to_string(v.version) + "." + std::to_string(v.subversion) + "." +
         std::to_string(v.bugfix) + " " + kStages[v.stage] + " build " +
         std::to_string(v.build);
}

std::string FormatFixed(PF_Fixed value) {
  // value / 65536 has at most 16 decimals; print six and check whether they are exact.
  int64_t raw = value;
  int64_t magnitude = raw < 0 ? -raw : raw;
  int64_t whole = magnitude >> 16;
  int64_t frac = magnitude & 0xFFFF;
  int64_t micro = (frac * 1000000 + 32768) >> 16;  // rounded to six decimals
  if (micro == 1000000) ++whole, micro = 0;
  std::string text = raw < 0 ? "-" : "";
  text += std::to_string(whole);
  if (micro != 0) {
    char digits[8];
    std::snprintf(digits, sizeof digits, "%06" PRId64, micro);
    std::string d = digits;
    d.erase(d.find_last_not_of('0') + 1);
    text += "." + d;
  }
  bool exact = micro * 65536 == frac * 1000000;
  if (!exact) text += " (raw " + Hex32(static_cast<uint32_t>(value)) + ")";
  return text;
}

std::string EscapeName(const std::string& name) {
  std::string out;
  for (unsigned char c : name) {
    switch (c) {
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      default:
        if (c < 0x20 || c == 0x7F) {
          char hex[8];
          std::snprintf(hex, sizeof hex, "\\x%02X", c);
          out += hex;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

std::string Hex32(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08" PRIX32, value);
  return text;
}

std::string ErrorText(PF_Err err) {
  struct Named {
    PF_Err err;
    const char* name;
  };
  static const Named kErrors[] = {
      {PF_Err_OUT_OF_MEMORY, "out of memory"},
      {-108, "out of memory"},  // memFullErr: the host's handle allocator ran out
      {PF_Err_INTERNAL_STRUCT_DAMAGED, "internal structure damaged"},
      {PF_Err_INVALID_INDEX, "invalid index"},
      {PF_Err_UNRECOGNIZED_PARAM_TYPE, "unrecognized parameter type"},
      {PF_Err_INVALID_CALLBACK, "invalid callback"},
      {PF_Err_BAD_CALLBACK_PARAM, "bad callback parameter"},
  };
  const std::string code = "error " + std::to_string(err);
  for (const Named& e : kErrors)
    if (e.err == err) return std::string(e.name) + " (" + code + ")";
  return code;
}

}  // namespace qvhost

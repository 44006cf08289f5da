// Parameter values from text: finding the parameter, parsing by type, range checks with
// messages that say what is allowed, interpolation and writing into the host's array.
#include "host/param_assign.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/sdk_names.h"

namespace qvhost {

namespace {

// 16.16 values hold magnitudes below 32768.
constexpr double kFixedLimit = 32767.99998;

std::string Trim(const std::string& s) {
  size_t b = s.find_first_not_of(" \t");
  if (b == std::string::npos) return "";
  size_t e = s.find_last_not_of(" \t");
  return s.substr(b, e - b + 1);
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::string NameOf(const PF_ParamDef& def) {
  return std::string(def.name, strnlen(def.name, sizeof def.name));
}

// A name with each tab read as a space.
std::string TabsAsSpaces(std::string s) {
  for (char& c : s)
    if (c == '\t') c = ' ';
  return s;
}

bool AllDigits(const std::string& s) {
  if (s.empty()) return false;
  for (char c : s)
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  return true;
}

// A finite decimal, the whole text.
bool ParseDecimal(const std::string& text, double& out) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  errno = 0;
  char* end = nullptr;
  out = std::strtod(t.c_str(), &end);
  return end && *end == '\0' && errno == 0 && std::isfinite(out);
}

// Comma-separated decimals, exactly `count` of them.
bool ParseList(const std::string& text, int count, double* out) {
  size_t start = 0;
  for (int i = 0; i < count; ++i) {
    const size_t comma = text.find(',', start);
    const bool last = i + 1 == count;
    if (last != (comma == std::string::npos)) return false;
    if (!ParseDecimal(text.substr(start, last ? std::string::npos : comma - start), out[i]))
      return false;
    start = comma + 1;
  }
  return true;
}

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  return buf;
}

std::string FixedText(PF_Fixed f) { return Number(f / 65536.0); }

std::vector<std::string> Choices(const PF_PopupDef& pd) {
  std::vector<std::string> choices;
  if (!pd.u.namesptr) return choices;
  std::string all = pd.u.namesptr;
  size_t start = 0;
  while (static_cast<int>(choices.size()) < pd.num_choices) {
    size_t bar = all.find('|', start);
    choices.push_back(all.substr(start, bar == std::string::npos ? bar : bar - start));
    if (bar == std::string::npos) break;
    start = bar + 1;
  }
  return choices;
}

bool Fail(std::string& error, const PF_ParamDef& def, int index, const std::string& why) {
  error = ParamLabel(def, index) + ": " + why;
  return false;
}

bool ParsePopup(const PF_ParamDef& def, int index, const std::string& text, ParamValue& value,
                std::string& error) {
  const std::vector<std::string> choices = Choices(def.u.pd);
  const std::string t = Trim(text);
  for (size_t i = 0; i < choices.size(); ++i)
    if (Lower(choices[i]) == Lower(t)) {
      value.v[0] = static_cast<double>(i + 1);
      return true;
    }
  if (AllDigits(t) && t.size() < 6) {
    const int n = std::atoi(t.c_str());
    if (n >= 1 && n <= def.u.pd.num_choices) {
      value.v[0] = n;
      return true;
    }
  }
  std::string list;
  for (size_t i = 0; i < choices.size(); ++i)
    list += (i ? ", " : "") + std::to_string(i + 1) + " " + choices[i];
  return Fail(error, def, index, "unknown choice \"" + t + "\"; the choices are " + list);
}

bool ParseCheckbox(const PF_ParamDef& def, int index, const std::string& text,
                   ParamValue& value, std::string& error) {
  const std::string t = Lower(Trim(text));
  if (t == "on" || t == "true" || t == "yes" || t == "1") {
    value.v[0] = 1;
    return true;
  }
  if (t == "off" || t == "false" || t == "no" || t == "0") {
    value.v[0] = 0;
    return true;
  }
  return Fail(error, def, index, "\"" + Trim(text) + "\" is not on or off (also true/false, 1/0)");
}

bool ParseColour(const PF_ParamDef& def, int index, const std::string& text, ParamValue& value,
                 std::string& error) {
  if (!ParseList(text, 3, value.v))
    return Fail(error, def, index, "\"" + text + "\" is not a colour r,g,b (each 0 to 255)");
  for (double c : value.v)
    if (c < 0 || c > 255 || c != std::floor(c))
      return Fail(error, def, index,
                  "\"" + text + "\": each of r,g,b must be a whole number from 0 to 255");
  return true;
}

bool ParsePoint(const PF_ParamDef& def, int index, const std::string& text, ParamValue& value,
                std::string& error) {
  if (!ParseList(text, 2, value.v))
    return Fail(error, def, index, "\"" + text + "\" is not a point x,y (layer pixels)");
  for (int i = 0; i < 2; ++i)
    if (std::fabs(value.v[i]) > kFixedLimit)
      return Fail(error, def, index,
                  "\"" + text + "\": each coordinate must lie between -32767 and 32767");
  return true;
}

bool ParseSlider(const PF_ParamDef& def, int index, const std::string& text, ParamValue& value,
                 std::string& error) {
  const PF_SliderDef& sd = def.u.sd;
  const std::string range =
      "the valid range is " + std::to_string(sd.valid_min) + " to " + std::to_string(sd.valid_max);
  double v = 0;
  if (!ParseDecimal(text, v) || v != std::floor(v))
    return Fail(error, def, index, "\"" + Trim(text) + "\" is not a whole number; " + range);
  if (v < sd.valid_min || v > sd.valid_max)
    return Fail(error, def, index, Trim(text) + " is out of range; " + range);
  value.v[0] = v;
  return true;
}

// Fixed sliders and angles: a decimal, checked as the 16.16 value the host would store.
bool ParseFixed(const PF_ParamDef& def, int index, const std::string& text, PF_Fixed lo,
                PF_Fixed hi, bool limited, ParamValue& value, std::string& error) {
  const std::string range = limited ? "the valid range is " + FixedText(lo) + " to " + FixedText(hi)
                                    : "values lie between -32767 and 32767";
  double v = 0;
  if (!ParseDecimal(text, v))
    return Fail(error, def, index, "\"" + Trim(text) + "\" is not a number; " + range);
  const double fixed = std::round(v * 65536.0);
  if (std::fabs(v) > kFixedLimit || (limited && (fixed < lo || fixed > hi)))
    return Fail(error, def, index, Trim(text) + " is out of range; " + range);
  value.v[0] = v;
  return true;
}

PF_Fixed ToFixed(double v) { return static_cast<PF_Fixed>(std::lround(v * 65536.0)); }

}  // namespace

std::vector<int> LayerParams(const std::vector<PF_ParamDef>& definitions) {
  std::vector<int> layers;
  for (size_t i = 0; i < definitions.size(); ++i)
    if (definitions[i].param_type == PF_Param_LAYER) layers.push_back(static_cast<int>(i) + 1);
  return layers;
}

std::string ParamLabel(const PF_ParamDef& def, int index) {
  return "\"" + EscapeName(NameOf(def)) + "\" (" + std::to_string(index) + ")";
}

int FindParam(const std::vector<PF_ParamDef>& definitions, const std::string& key,
              std::string& error) {
  const int count = static_cast<int>(definitions.size());
  if (AllDigits(key)) {
    const long n = key.size() < 6 ? std::atol(key.c_str()) : -1;
    if (n >= 1 && n <= count) return static_cast<int>(n);
    error = "no parameter " + key + " (parameters are numbered 1 to " + std::to_string(count) +
            "; 0 is the input layer, set with --input)";
    return -1;
  }
  const std::string wanted = TabsAsSpaces(key);
  for (int i = 0; i < count; ++i)
    if (!key.empty() && TabsAsSpaces(NameOf(definitions[static_cast<size_t>(i)])) == wanted)
      return i + 1;
  error = "no parameter named \"" + EscapeName(key) +
          "\" (names are exact; `quorvel info` lists them with their indices)";
  return -1;
}

bool ParseParamValue(const PF_ParamDef& def, int index, const std::string& text,
                     ParamValue& value, std::string& error) {
  value = ParamValue{};
  value.type = def.param_type;
  switch (def.param_type) {
    case PF_Param_POPUP: return ParsePopup(def, index, text, value, error);
    case PF_Param_CHECKBOX: return ParseCheckbox(def, index, text, value, error);
    case PF_Param_COLOR: return ParseColour(def, index, text, value, error);
    case PF_Param_POINT: return ParsePoint(def, index, text, value, error);
    case PF_Param_SLIDER: return ParseSlider(def, index, text, value, error);
    case PF_Param_FIX_SLIDER:
      return ParseFixed(def, index, text, def.u.fd.valid_min, def.u.fd.valid_max, true, value,
                        error);
    case PF_Param_ANGLE: {
      const bool limited = def.u.ad.valid_min != 0 || def.u.ad.valid_max != 0;
      return ParseFixed(def, index, text, def.u.ad.valid_min, def.u.ad.valid_max, limited,
                        value, error);
    }
    case PF_Param_LAYER:
      return Fail(error, def, index, "is a layer: give it an image with --layer");
    default: return Fail(error, def, index, "has no value to set");
  }
}

ParamValue Interpolate(const ParamValue& from, const ParamValue& to, double t) {
  ParamValue out = from;
  if (from.type == PF_Param_POPUP || from.type == PF_Param_CHECKBOX) return t < 0.5 ? from : to;
  for (int i = 0; i < 3; ++i) {
    out.v[i] = from.v[i] + (to.v[i] - from.v[i]) * t;
    if (from.type == PF_Param_SLIDER || from.type == PF_Param_COLOR)
      out.v[i] = std::round(out.v[i]);
  }
  return out;
}

void ApplyParamValue(const ParamValue& value, PF_ParamDef& param) {
  switch (param.param_type) {
    case PF_Param_POPUP: param.u.pd.value = static_cast<A_long>(value.v[0]); break;
    case PF_Param_CHECKBOX: param.u.bd.value = value.v[0] != 0 ? 1 : 0; break;
    case PF_Param_SLIDER: param.u.sd.value = static_cast<A_long>(std::lround(value.v[0])); break;
    case PF_Param_FIX_SLIDER: param.u.fd.value = ToFixed(value.v[0]); break;
    case PF_Param_ANGLE: param.u.ad.value = ToFixed(value.v[0]); break;
    case PF_Param_POINT:
      param.u.td.x_value = ToFixed(value.v[0]);
      param.u.td.y_value = ToFixed(value.v[1]);
      break;
    case PF_Param_COLOR:
      param.u.cd.value.red = static_cast<A_u_char>(std::lround(value.v[0]));
      param.u.cd.value.green = static_cast<A_u_char>(std::lround(value.v[1]));
      param.u.cd.value.blue = static_cast<A_u_char>(std::lround(value.v[2]));
      break;
    default: break;
  }
}

}  // namespace qvhost

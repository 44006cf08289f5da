// The effect's parameters mapped to frei0r's types and 0..1 ranges, both ways.
#include "frei0r/param_map.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "frei0r/frei0r_api.h"
#include "host/param_assign.h"

namespace qvfrei0r {

namespace {

// A 16.16 value holds -32768 up to just under 32768.
constexpr double kFixedMin = -32768.0;
constexpr double kFixedMax = 32767.0;
constexpr double kFixedOne = 65536.0;
// Angles have no range of their own: frei0r's 0..1 is one turn.
constexpr double kTurnDegrees = 360.0;

double FromFixed(PF_Fixed v) { return v / kFixedOne; }

PF_Fixed ToFixed(double v) {
  return static_cast<PF_Fixed>(std::lround(std::clamp(v, kFixedMin, kFixedMax) * kFixedOne));
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", v);
  return text;
}

std::vector<std::string> Choices(const PF_PopupDef& popup) {
  std::vector<std::string> choices;
  const std::string names = popup.u.namesptr ? popup.u.namesptr : "";
  size_t start = 0;
  while (start <= names.size()) {
    const size_t bar = std::min(names.find('|', start), names.size());
    choices.push_back(names.substr(start, bar - start));
    start = bar + 1;
  }
  return choices;
}

// The mapping of a slider or angle: where frei0r's 0 and 1 land, and the valid range.
void MapNumber(const PF_ParamDef& def, MappedParam& map) {
  switch (def.param_type) {
    case PF_Param_SLIDER:
      map.at0 = def.u.sd.slider_min, map.at1 = def.u.sd.slider_max;
      map.min = def.u.sd.valid_min, map.max = def.u.sd.valid_max;
      break;
    case PF_Param_FIX_SLIDER:
      map.at0 = FromFixed(def.u.fd.slider_min), map.at1 = FromFixed(def.u.fd.slider_max);
      map.min = FromFixed(def.u.fd.valid_min), map.max = FromFixed(def.u.fd.valid_max);
      break;
    default:  // angle
      map.at0 = 0, map.at1 = kTurnDegrees;
      map.min = kFixedMin, map.max = kFixedMax;
      break;
  }
  if (map.at1 == map.at0) map.at0 = map.min, map.at1 = map.max;  // no slider range
  map.explanation = "0..1 spans " + Number(map.at0) + " to " + Number(map.at1);
  if (def.param_type == PF_Param_ANGLE)
    map.explanation += " degrees";
  else
    map.explanation += "; beyond, up to " + Number(map.min) + " .. " + Number(map.max);
}

std::string ChoiceList(const PF_PopupDef& popup) {
  std::string text = "one of";
  const std::vector<std::string> choices = Choices(popup);
  for (size_t i = 0; i < choices.size(); ++i) text += (i ? ", " : " ") + choices[i];
  return text + " (or its number from 1)";
}

// The frei0r type of a definition, or -1 for one that has none.
int Frei0rType(PF_ParamType type) {
  switch (type) {
    case PF_Param_SLIDER:
    case PF_Param_FIX_SLIDER:
    case PF_Param_ANGLE: return F0R_PARAM_DOUBLE;
    case PF_Param_CHECKBOX: return F0R_PARAM_BOOL;
    case PF_Param_COLOR: return F0R_PARAM_COLOR;
    case PF_Param_POINT: return F0R_PARAM_POSITION;
    case PF_Param_POPUP:
    case PF_Param_LAYER: return F0R_PARAM_STRING;
    default: return -1;  // information panel, groups
  }
}

MappedParam MapOne(const PF_ParamDef& def, int index) {
  MappedParam map;
  map.index = index;
  map.type = Frei0rType(def.param_type);
  map.name = def.name;
  std::replace(map.name.begin(), map.name.end(), '\t', ' ');
  if (map.type == F0R_PARAM_DOUBLE) MapNumber(def, map);
  map.layer = def.param_type == PF_Param_LAYER;
  if (map.layer) map.explanation = "a PNG file this layer shows; empty for none";
  if (def.param_type == PF_Param_POPUP) map.explanation = ChoiceList(def.u.pd);
  if (map.type == F0R_PARAM_POSITION)
    map.explanation = "fraction of the frame from its top left; 0.5, 0.5 is the centre";
  return map;
}

double Decimal(const PF_ParamDef& param) {
  switch (param.param_type) {
    case PF_Param_SLIDER: return param.u.sd.value;
    case PF_Param_FIX_SLIDER: return FromFixed(param.u.fd.value);
    default: return FromFixed(param.u.ad.value);
  }
}

bool WriteNumber(const MappedParam& map, double x, PF_ParamDef& param, std::string& error) {
  if (std::isnan(x)) {
    error = map.name + ": not a number";
    return false;
  }
  const double v = std::clamp(map.at0 + x * (map.at1 - map.at0), map.min, map.max);
  switch (param.param_type) {
    case PF_Param_SLIDER: param.u.sd.value = static_cast<A_long>(std::lround(v)); break;
    case PF_Param_FIX_SLIDER: param.u.fd.value = ToFixed(v); break;
    default: param.u.ad.value = ToFixed(v); break;
  }
  return true;
}

A_u_char ColorByte(float c) {
  return static_cast<A_u_char>(std::lround(std::clamp(std::isnan(c) ? 0.0f : c, 0.0f, 1.0f) * 255));
}

bool WritePosition(const MappedParam& map, const f0r_param_position_t& p, FrameSize frame,
                   PF_ParamDef& param, std::string& error) {
  if (std::isnan(p.x) || std::isnan(p.y)) {
    error = map.name + ": not a number";
    return false;
  }
  param.u.td.x_value = ToFixed(p.x * frame.width);
  param.u.td.y_value = ToFixed(p.y * frame.height);
  return true;
}

bool WriteChoice(const MappedParam& map, const char* text, PF_ParamDef& param,
                 std::string& error) {
  qvhost::ParamValue value;
  if (!text || !qvhost::ParseParamValue(param, map.index, text, value, error)) {
    if (!text) error = map.name + ": no text";
    return false;
  }
  qvhost::ApplyParamValue(value, param);
  return true;
}

}  // namespace

std::vector<MappedParam> MapParams(const std::vector<PF_ParamDef>& definitions) {
  std::vector<MappedParam> params;
  std::vector<std::string> groups;  // the open groups, innermost last
  std::vector<std::string> group_of;  // each mapped parameter's innermost group
  for (size_t i = 0; i < definitions.size(); ++i) {
    const PF_ParamDef& def = definitions[i];
    if (def.param_type == PF_Param_GROUP_START) groups.push_back(def.name);
    if (def.param_type == PF_Param_GROUP_END && !groups.empty()) groups.pop_back();
    if (Frei0rType(def.param_type) < 0) continue;
    params.push_back(MapOne(def, static_cast<int>(i) + 1));
    group_of.push_back(groups.empty() ? std::string() : groups.back());
  }
  std::map<std::string, int> uses;
  for (const MappedParam& p : params) ++uses[p.name];
  std::map<std::string, int> seen;
  for (size_t i = 0; i < params.size(); ++i) {
    MappedParam& p = params[i];
    // The first of a repeated name keeps it; later ones say which group they belong to.
    if (uses[p.name] > 1 && seen[p.name]++ > 0 && !group_of[i].empty())
      p.name = group_of[i] + ": " + p.name;
  }
  return params;
}

bool WriteParam(const MappedParam& map, const void* value, FrameSize frame,
                PF_ParamDef& param, std::string& error) {
  switch (map.type) {
    case F0R_PARAM_DOUBLE:
      return WriteNumber(map, *static_cast<const f0r_param_double*>(value), param, error);
    case F0R_PARAM_BOOL:
      param.u.bd.value = *static_cast<const f0r_param_bool*>(value) >= 0.5 ? 1 : 0;
      return true;
    case F0R_PARAM_COLOR: {
      const auto& c = *static_cast<const f0r_param_color_t*>(value);
      param.u.cd.value.red = ColorByte(c.r);
      param.u.cd.value.green = ColorByte(c.g);
      param.u.cd.value.blue = ColorByte(c.b);
      return true;
    }
    case F0R_PARAM_POSITION:
      return WritePosition(map, *static_cast<const f0r_param_position_t*>(value), frame, param,
                           error);
    case F0R_PARAM_STRING:
      if (map.layer) break;
      return WriteChoice(map, *static_cast<const f0r_param_string*>(value), param, error);
    default: break;
  }
  error = map.name + ": not a value of the effect's own";
  return false;
}

void ReadParam(const MappedParam& map, const PF_ParamDef& param, FrameSize frame, void* value,
               std::string& text) {
  switch (map.type) {
    case F0R_PARAM_DOUBLE:
      *static_cast<f0r_param_double*>(value) = (Decimal(param) - map.at0) / (map.at1 - map.at0);
      break;
    case F0R_PARAM_BOOL: *static_cast<f0r_param_bool*>(value) = param.u.bd.value ? 1.0 : 0.0; break;
    case F0R_PARAM_COLOR: {
      auto& c = *static_cast<f0r_param_color_t*>(value);
      c.r = param.u.cd.value.red / 255.0f;
      c.g = param.u.cd.value.green / 255.0f;
      c.b = param.u.cd.value.blue / 255.0f;
      break;
    }
    case F0R_PARAM_POSITION: {
      auto& p = *static_cast<f0r_param_position_t*>(value);
      p.x = frame.width > 0 ? FromFixed(param.u.td.x_value) / frame.width : 0.0;
      p.y = frame.height > 0 ? FromFixed(param.u.td.y_value) / frame.height : 0.0;
      break;
    }
    case F0R_PARAM_STRING: {
      if (!map.layer) {  // a layer's file name is the text the filter keeps
        const std::vector<std::string> choices = Choices(param.u.pd);
        const A_long n = param.u.pd.value;
        text = n >= 1 && n <= static_cast<A_long>(choices.size()) ? choices[n - 1]
                                                                   : std::to_string(n);
      }
      *static_cast<f0r_param_string*>(value) = text.data();
      break;
    }
    default: break;
  }
}

}  // namespace qvfrei0r

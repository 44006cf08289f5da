// Parameter definitions as text, row by row and as an aligned table.
#include "host/param_format.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "host/sdk_names.h"

namespace qvhost {
namespace {

std::string Range(const std::string& low, const std::string& high) { return low + " .. " + high; }

std::string Colour(const PF_Pixel& p) {
  return "rgb(" + std::to_string(p.red) + ", " + std::to_string(p.green) + ", " +
         std::to_string(p.blue) + ") a" + std::to_string(p.alpha);
}

// The popup choice numbered `value` (from 1), or "" when out of range.
std::string Choice(const char* names, A_long value) {
  if (!names || value < 1) return "";
  std::string all = names;
  size_t start = 0;
  for (A_long i = 1; i < value; ++i) {
    start = all.find('|', start);
    if (start == std::string::npos) return "";
    ++start;
  }
  return all.substr(start, all.find('|', start) - start);
}

std::string UiFlagNames(PF_ParamUIFlags flags) {
  if (flags == 0) return "0";
  std::string text = Hex32(static_cast<uint32_t>(flags));
  if (flags == PF_PUI_CONTROL) text += " CONTROL";
  return text;
}

std::string Quoted(const char* text) {
  return text ? "\"" + EscapeName(text) + "\"" : std::string("null");
}

std::string DefinitionName(const PF_ParamDef& def) {
  return EscapeName(std::string(def.name, strnlen(def.name, sizeof def.name)));
}

// Appends "(value X)" when a value differs from its default.
std::string WithValue(const std::string& dephault, const std::string& value) {
  return value == dephault ? dephault : dephault + " (value " + value + ")";
}

// The slider strings the host shows next to the number, when there are any.
std::string SliderTexts(const A_char (&value_str)[32], const A_char (&value_desc)[32]) {
  std::string text;
  if (value_str[0])
    text += " value_str " + Quoted(std::string(value_str, strnlen(value_str, 32)).c_str());
  if (value_desc[0])
    text += " value_desc " + Quoted(std::string(value_desc, strnlen(value_desc, 32)).c_str());
  return text;
}

}  // namespace

std::string ParamFlagNames(PF_ParamFlags flags) {
  if (flags == 0) return "0";
  char hex[16];
  std::snprintf(hex, sizeof hex, "0x%X", static_cast<unsigned>(flags));
  std::string text = hex;
  if (flags & PF_ParamFlag_CANNOT_TIME_VARY) text += " CANNOT_TIME_VARY";
  if (flags & 1) text += " reserved-bit-0";
  return text;
}

ParamRowText DescribeDefinition(int index, const PF_ParamDef& def) {
  ParamRowText row;
  row.index = std::to_string(index);
  row.name = index == 0 ? "(input layer)" : DefinitionName(def);
  row.type = ParamTypeName(def.param_type);
  row.flags = ParamFlagNames(def.flags);
  row.id = std::to_string(def.uu.id);
  const PF_ParamDefUnion& u = def.u;
  switch (def.param_type) {
    case PF_Param_LAYER:
      if (index != 0)
        row.dephault =
            u.ld.dephault == PF_LayerDefault_NONE ? "none" : std::to_string(u.ld.dephault);
      break;
    case PF_Param_SLIDER:
      row.dephault = WithValue(std::to_string(u.sd.dephault), std::to_string(u.sd.value));
      row.valid = Range(std::to_string(u.sd.valid_min), std::to_string(u.sd.valid_max));
      row.slider = Range(std::to_string(u.sd.slider_min), std::to_string(u.sd.slider_max));
      row.details = SliderTexts(u.sd.value_str, u.sd.value_desc);
      break;
    case PF_Param_FIX_SLIDER:
      row.dephault = WithValue(FormatFixed(u.fd.dephault), FormatFixed(u.fd.value));
      row.valid = Range(FormatFixed(u.fd.valid_min), FormatFixed(u.fd.valid_max));
      row.slider = Range(FormatFixed(u.fd.slider_min), FormatFixed(u.fd.slider_max));
      row.details = "precision " + std::to_string(u.fd.precision);
      if (u.fd.display_flags) row.details += " display_flags " + std::to_string(u.fd.display_flags);
      row.details += SliderTexts(u.fd.value_str, u.fd.value_desc);
      break;
    case PF_Param_ANGLE:
      row.dephault =
          WithValue(FormatFixed(u.ad.dephault) + " deg", FormatFixed(u.ad.value) + " deg");
      if (u.ad.valid_min || u.ad.valid_max)
        row.valid = Range(FormatFixed(u.ad.valid_min), FormatFixed(u.ad.valid_max));
      break;
    case PF_Param_CHECKBOX:
      row.dephault = WithValue(u.bd.dephault ? "on" : "off", u.bd.value ? "on" : "off");
      row.details = "label " + Quoted(u.bd.u.nameptr);
      break;
    case PF_Param_COLOR:
      row.dephault = WithValue(Colour(u.cd.dephault), Colour(u.cd.value));
      break;
    case PF_Param_POINT:
      row.dephault =
          "(" + FormatFixed(u.td.x_dephault) + "%, " + FormatFixed(u.td.y_dephault) + "%)";
      row.details = "value (" + FormatFixed(u.td.x_value) + ", " + FormatFixed(u.td.y_value) +
                    ") restrict_bounds " + std::to_string(u.td.restrict_bounds);
      break;
    case PF_Param_POPUP:
      row.dephault = WithValue(
          std::to_string(u.pd.dephault) + " " +
              Quoted(Choice(u.pd.u.namesptr, u.pd.dephault).c_str()),
          std::to_string(u.pd.value) + " " + Quoted(Choice(u.pd.u.namesptr, u.pd.value).c_str()));
      row.details = std::to_string(u.pd.num_choices) + " choices " + Quoted(u.pd.u.namesptr);
      break;
    default:
      break;
  }
  if (def.ui_flags || def.ui_width || def.ui_height)
    row.details += (row.details.empty() ? "" : "; ") + std::string("ui ") +
                   UiFlagNames(def.ui_flags) + " " + std::to_string(def.ui_width) + " x " +
                   std::to_string(def.ui_height);
  return row;
}

std::string DescribeCustomUi(const PF_CustomUIInfo& info) {
  std::string events = Hex32(static_cast<uint32_t>(info.events));
  std::string names;
  const std::pair<A_long, const char*> kFlags[] = {{PF_CustomEFlag_COMP, "COMP"},
                                                   {PF_CustomEFlag_LAYER, "LAYER"},
                                                   {PF_CustomEFlag_EFFECT, "EFFECT"}};
  for (const auto& f : kFlags)
    if (info.events & f.first) names += (names.empty() ? "" : " | ") + std::string(f.second);
  auto area = [](A_long w, A_long h, A_long a) {
    return std::to_string(w) + " x " + std::to_string(h) + " align " + std::to_string(a);
  };
  return "events " + events + (names.empty() ? "" : " (" + names + ")") + ", comp " +
         area(info.comp_ui_width, info.comp_ui_height, info.comp_ui_alignment) + ", layer " +
         area(info.layer_ui_width, info.layer_ui_height, info.layer_ui_alignment) + ", preview " +
         area(info.preview_ui_width, info.preview_ui_height, info.preview_ui_alignment) +
         ", reserved " + std::to_string(info.reserved);
}

std::string FormatParamTable(const std::vector<PF_ParamDef>& definitions) {
  std::vector<ParamRowText> rows;
  rows.push_back({"idx", "name", "type", "default", "valid", "slider", "flags", "id", "details"});
  PF_ParamDef input;
  std::memset(&input, 0, sizeof input);
  input.param_type = PF_Param_LAYER;
  rows.push_back(DescribeDefinition(0, input));
  for (size_t i = 0; i < definitions.size(); ++i)
    rows.push_back(DescribeDefinition(static_cast<int>(i + 1), definitions[i]));

  using Field = std::string ParamRowText::*;
  const Field kColumns[] = {&ParamRowText::index,    &ParamRowText::name,  &ParamRowText::type,
                            &ParamRowText::dephault, &ParamRowText::valid, &ParamRowText::slider,
                            &ParamRowText::flags,    &ParamRowText::id,    &ParamRowText::details};
  std::vector<size_t> widths;
  for (Field f : kColumns) {
    size_t w = 0;
    for (const ParamRowText& r : rows) w = std::max(w, (r.*f).size());
    widths.push_back(w);
  }
  std::string text;
  for (const ParamRowText& r : rows) {
    std::string line;
    for (size_t c = 0; c < widths.size(); ++c) {
      std::string cell = r.*kColumns[c];
      if (c == 0)
        cell.insert(0, widths[c] - cell.size(), ' ');  // indices right-aligned
      else if (c + 1 < widths.size())
        cell.append(widths[c] - cell.size(), ' ');
      line += "  " + cell;
    }
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\n";
  }
  return text;
}

}  // namespace qvhost

// The PiPL as text: each property's SDK name and its decoded value.
#include <cstdio>

#include "host/pipl.h"
#include "host/sdk_names.h"

namespace qvhost {

std::string PropertyName(const std::string& key) {
  static const std::pair<const char*, const char*> kNames[] = {
      {"kind", "Kind"},
      {"name", "Name"},
      {"catg", "Category"},
      {"8664", "CodeWin64X86"},
      {"ePVR", "AE_PiPL_Version"},
      {"eSVR", "AE_Effect_Spec_Version"},
      {"eVER", "AE_Effect_Version"},
      {"eINF", "AE_Effect_Info_Flags"},
      {"eGLO", "AE_Effect_Global_OutFlags"},
      {"eGL2", "AE_Effect_Global_OutFlags_2"},
      {"eMNA", "AE_Effect_Match_Name"},
      {"aeFL", "AE_Reserved_Info"},
  };
  for (const auto& n : kNames)
    if (key == n.first) return n.second;
  return "";
}

std::string DescribeValue(const PiplProperty& property) {
  Pipl one;
  one.properties.push_back(property);
  one.properties.back().vendor = "8BIM";  // decode by key whatever the vendor
  const std::string& key = property.key;
  switch (FormOf(key)) {
    case PiplForm::kCode:
      if (auto code = one.Code(key))
        return *code + (*code == "eFKT" ? " (AEEffect)" : "");
      break;
    case PiplForm::kPascalString:
      if (auto text = one.PascalString(key)) return "\"" + EscapeName(*text) + "\"";
      break;
    case PiplForm::kCString:
      if (auto text = one.CString(key)) return "\"" + EscapeName(*text) + "\"";
      break;
    case PiplForm::kVersionPair:
      if (auto v = one.VersionPair(key))
        return std::to_string(v->first) + "." + std::to_string(v->second);
      break;
    case PiplForm::kLong:
      if (auto v = one.Long(key)) {
        std::string text = Hex32(*v) + " (" + std::to_string(*v) + ")";
        if (key == "eVER") text += " = " + DescribeVersion(*v);
        if (key == "eGLO") text += " = " + OutFlagNames(*v);
        return text;
      }
      break;
    case PiplForm::kShort:
      if (auto v = one.Short(key)) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "0x%04X", static_cast<unsigned>(*v));
        return std::string(hex) + " (" + std::to_string(*v) + ")";
      }
      break;
    case PiplForm::kRaw: break;
  }
  // Unknown key, or data not of the key's form: the bytes in hex.
  std::string text = std::to_string(property.data.size()) + " bytes:";
  for (uint8_t b : property.data) {
    char hex[4];
    std::snprintf(hex, sizeof hex, " %02X", b);
    text += hex;
  }
  return text;
}

std::string FormatPipl(const Pipl& pipl) {
  std::string text = "PiPL: " + std::to_string(pipl.properties.size()) + " properties\n";
  for (const PiplProperty& p : pipl.properties) {
    char head[96];
    std::snprintf(head, sizeof head, "  %s %-4s  %-28s", EscapeName(p.vendor).c_str(),
                  EscapeName(p.key).c_str(), PropertyName(p.key).c_str());
    text += head + DescribeValue(p) + "\n";
  }
  return text;
}

}  // namespace qvhost

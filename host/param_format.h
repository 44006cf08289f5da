// Parameter definitions as a table people read: one row per parameter with its index,
// name (control characters made visible), type, default, valid and slider ranges, flags,
// disk id and the type's own details (popup choices, custom control area, precision).
#pragma once

#include <string>
#include <vector>

#include "platform/sdk/ae_sdk.h"

namespace qvhost {

struct ParamRowText {
  std::string index, name, type, dephault, valid, slider, flags, id, details;
};

// One definition as text. Index 0 is the input layer.
ParamRowText DescribeDefinition(int index, const PF_ParamDef& def);

// "0" or "0x2 CANNOT_TIME_VARY".
std::string ParamFlagNames(PF_ParamFlags flags);

// The custom UI registration: "events 0x7 (COMP | LAYER | EFFECT), ...".
std::string DescribeCustomUi(const PF_CustomUIInfo& info);

// All parameters as an aligned table with a heading line: the input layer as index 0,
// then the definitions in order as indices 1 and up.
std::string FormatParamTable(const std::vector<PF_ParamDef>& definitions);

}  // namespace qvhost

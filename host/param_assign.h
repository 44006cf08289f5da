// Parameter values given as text, as a user types them on the command line: the parameter
// named by its exact name or its index, and the value parsed by the parameter's type and
// checked against its valid range or choices. Values can be interpolated for animation and
// written into the parameter array the host hands the effect.
#pragma once

#include <string>
#include <vector>

#include "platform/sdk/ae_sdk.h"

namespace qvhost {

// The parameter `key` names: its index (1 and up) as digits, or its name. Names are
// compared exactly, except that a tab in a parameter's name also matches a single space.
// Names are not unique: the first parameter of that name wins, the others are reached by
// index. `definitions` are the effect's in order (definitions[0] is parameter 1).
// Returns the index, or -1 with a message in `error`.
int FindParam(const std::vector<PF_ParamDef>& definitions, const std::string& key,
              std::string& error);

// A parsed value: up to three numbers, by type: slider, fixed slider and angle (the
// decimal value), point (x, y in layer pixels), colour (red, green, blue 0..255), popup
// (the choice number from 1), checkbox (0 or 1).
struct ParamValue {
  PF_ParamType type = PF_Param_NO_DATA;
  double v[3] = {0, 0, 0};
};

// Parses `text` for parameter `index` with definition `def`:
//   popup     a choice name ("Phong", any case) or its number
//   colour    "r,g,b", each 0..255
//   checkbox  on/off, true/false, yes/no, 1/0
//   point     "x,y" in layer pixels
//   slider    an integer; fixed slider and angle: a decimal
// and checks it against the valid range. On failure returns false with a message that
// names the parameter and its valid range or choices.
bool ParseParamValue(const PF_ParamDef& def, int index, const std::string& text,
                     ParamValue& value, std::string& error);

// The value a fraction t (0..1) of the way from `from` to `to`: numbers linearly (integer
// sliders and colours rounded), popups and checkboxes switch from one to the other at the
// half.
ParamValue Interpolate(const ParamValue& from, const ParamValue& to, double t);

// Writes the value into a parameter of the host's array (its value fields only).
void ApplyParamValue(const ParamValue& value, PF_ParamDef& param);

// The indices of the layer parameters among `definitions` (definitions[0] is parameter 1),
// in order: the layers the effect checks out itself, beside the input layer.
std::vector<int> LayerParams(const std::vector<PF_ParamDef>& definitions);

// "\"Rotation Y\" (8)": how messages name a parameter.
std::string ParamLabel(const PF_ParamDef& def, int index);

}  // namespace qvhost

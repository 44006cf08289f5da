// The effect's parameters as a frei0r host sees them. Each parameter the effect defines
// becomes one frei0r parameter of the nearest type: sliders and angles a double, checkboxes
// a bool, colours a colour, points a position, popups a string (the choice's name).
// Layer parameters (the texture maps) become strings holding the name of a PNG file the
// layer shows; empty for none. frei0r's doubles and positions run from 0 to 1; a double's
// 0 and 1 stand for the ends of the effect's slider range (0 and 360 degrees for angles), a
// position's for the frame's edges. Doubles beyond 0..1 reach the rest of the effect's
// valid range. The information panel and the groups have no frei0r counterpart.
#pragma once

#include <string>
#include <vector>

#include "platform/sdk/ae_sdk.h"

namespace qvfrei0r {

// How one effect parameter maps to frei0r.
struct MappedParam {
  int index = 0;  // the effect's parameter index (1 and up)
  std::string name;  // unique among the filter's parameters
  int type = 0;  // F0R_PARAM_*
  std::string explanation;  // the mapping in words, for the host's parameter list
  double at0 = 0, at1 = 1;  // a double's effect values at frei0r 0 and 1
  double min = 0, max = 0;  // the effect's valid range, where a double is clamped
  bool layer = false;  // a layer parameter: the string is a file name the filter reads
};

// The frei0r parameters for the effect's definitions (definitions[0] is parameter 1), in
// the effect's order. A name that occurs twice gets its group's name in front of it
// ("Material of pendant: Diffuse"); a tab in a name becomes a space.
std::vector<MappedParam> MapParams(const std::vector<PF_ParamDef>& definitions);

// The size of the frame the effect's point values are measured in.
struct FrameSize {
  int width = 0;
  int height = 0;
};

// Writes a frei0r value (`value` points at the frei0r type of `map`: a double, an
// f0r_param_color_t, an f0r_param_position_t or a char* string) into the effect's
// parameter value; not for layers, whose files the filter reads itself. A popup's text is
// a choice name (any case) or number; any other text leaves the value as it is and returns
// false with a message in `error`. Not-a-number doubles are refused the same way.
bool WriteParam(const MappedParam& map, const void* value, FrameSize frame,
                PF_ParamDef& param, std::string& error);

// Reads the effect's value back as a frei0r value into `value`. A popup's choice name is
// kept in `text`, which must outlive the caller's use of the returned char*; for a layer
// `text` is the file name the filter keeps, handed out as it is.
void ReadParam(const MappedParam& map, const PF_ParamDef& param, FrameSize frame, void* value,
               std::string& text);

}  // namespace qvfrei0r

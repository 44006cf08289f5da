// The effect's parameters: the table of the 52 definitions the host receives on
// PF_Cmd_PARAMS_SETUP (index 0 is the host's input layer), and the custom panel
// registration. The indices here are the ones the render and the information panel read.
#include <string.h>

#include "shell/shell.h"

namespace {

// One row of the table: what a definition carries beyond its zeroed fields. Only the
// members of the row's type are read.
struct ParamRow {
  PF_ParamType type;
  const char* name;
  A_long dephault;  // integer, 16.16 or boolean, by type; x of a point
  A_long dephault_y;  // y of a point
  A_long valid_min, valid_max;
  A_long slider_min, slider_max;
  PF_Pixel colour;
  const char* choices;  // popup names, separated by '|'
  A_short num_choices;
  A_short ui_width, ui_height;  // custom control area
  PF_ParamFlags flags;
};

// Decimal to 16.16. Every decimal of the table is a whole number, so this is exact.
constexpr PF_Fixed Fix(A_long whole) { return whole * 65536; }

// "Radius" accepts values down to this raw 16.16 value (about 0.001), never 0.
constexpr PF_Fixed kRadiusValidMin = 0x00000042;

// The two checkboxes the user cannot keyframe, and the group end between them.
constexpr PF_ParamFlags kStatic = PF_ParamFlag_CANNOT_TIME_VARY;

constexpr ParamRow Custom(const char* name, A_short width, A_short height) {
  ParamRow r{};
  r.type = PF_Param_NO_DATA, r.name = name, r.ui_width = width, r.ui_height = height;
  return r;
}

constexpr ParamRow Popup(const char* name, A_short dephault, A_short count,
                         const char* choices) {
  ParamRow r{};
  r.type = PF_Param_POPUP, r.name = name, r.dephault = dephault, r.num_choices = count;
  r.choices = choices;
  return r;
}

constexpr ParamRow Slider(const char* name, A_long dephault, A_long valid_min,
                          A_long valid_max, A_long slider_min, A_long slider_max) {
  ParamRow r{};
  r.type = PF_Param_SLIDER, r.name = name, r.dephault = dephault;
  r.valid_min = valid_min, r.valid_max = valid_max;
  r.slider_min = slider_min, r.slider_max = slider_max;
  return r;
}

constexpr ParamRow FixSlider(const char* name, PF_Fixed dephault, PF_Fixed valid_min,
                             PF_Fixed valid_max, PF_Fixed slider_min, PF_Fixed slider_max) {
  ParamRow r = Slider(name, dephault, valid_min, valid_max, slider_min, slider_max);
  r.type = PF_Param_FIX_SLIDER;
  return r;
}

constexpr ParamRow Point(const char* name, PF_Fixed x_percent, PF_Fixed y_percent) {
  ParamRow r{};
  r.type = PF_Param_POINT, r.name = name, r.dephault = x_percent, r.dephault_y = y_percent;
  return r;
}

constexpr ParamRow Angle(const char* name, PF_Fixed degrees) {
  ParamRow r{};
  r.type = PF_Param_ANGLE, r.name = name, r.dephault = degrees;
  return r;
}

constexpr ParamRow Colour(const char* name, A_u_char red, A_u_char green, A_u_char blue) {
  ParamRow r{};
  r.type = PF_Param_COLOR, r.name = name, r.colour = PF_Pixel{0, red, green, blue};
  return r;
}

constexpr ParamRow Checkbox(const char* name, bool on, PF_ParamFlags flags = 0) {
  ParamRow r{};
  r.type = PF_Param_CHECKBOX, r.name = name, r.dephault = on ? 1 : 0, r.flags = flags;
  return r;
}

constexpr ParamRow Layer(const char* name) {
  ParamRow r{};
  r.type = PF_Param_LAYER, r.name = name, r.dephault = PF_LayerDefault_NONE;
  return r;
}

constexpr ParamRow GroupStart(const char* name) {
  ParamRow r{};
  r.type = PF_Param_GROUP_START, r.name = name;
  return r;
}

constexpr ParamRow GroupEnd(PF_ParamFlags flags = 0) {
  ParamRow r{};
  r.type = PF_Param_GROUP_END, r.name = "", r.flags = flags;
  return r;
}

constexpr const char kModes[] = "Rough|Line|Wire|Flat|Phong|Patches|Bezier";

// Rows 1 to 52 in the order of definition; the comment is the parameter index. Sliders
// read: name, default, valid minimum, valid maximum, slider minimum, slider maximum.
constexpr ParamRow kParams[] = {
    Custom("Information", 416, 148),                                                // 1
    Popup("Rendering mode", 5, 7, kModes),                                          // 2
    Slider("Faces number", 300, 30, 10000, 100, 1000),                              // 3
    FixSlider("Radius", Fix(50), kRadiusValidMin, Fix(1000), Fix(10), Fix(110)),    // 4
    Point("Position", Fix(50), Fix(50)),                                            // 5
    FixSlider("Scale", Fix(100), Fix(-1000), Fix(1000), Fix(10), Fix(150)),         // 6
    Angle("Rotation X", Fix(0)),                                                    // 7
    Angle("Rotation Y", Fix(0)),                                                    // 8
    Angle("Rotation Z", Fix(180)),                                                  // 9
    GroupStart("Material"),                                                         // 10
    Colour("Diffuse", 255, 0, 0),                                                   // 11
    Colour("Specular", 255, 255, 255),                                              // 12
    FixSlider("Shininess", Fix(15), Fix(-1000), Fix(1000), Fix(0), Fix(100)),       // 13
    FixSlider("Strength of\tshininess", Fix(100), Fix(-1000), Fix(1000), Fix(0), Fix(500)),
    FixSlider("Self illumination", Fix(0), Fix(-1000), Fix(1000), Fix(0), Fix(100)),
    FixSlider("Transparancy", Fix(0), Fix(0), Fix(100), Fix(0), Fix(100)),          // 16
    Checkbox("Glass", false),                                                       // 17
    Checkbox("Multy refract", false),                                               // 18
    FixSlider("Refraction", Fix(-50), Fix(-1000), Fix(1000), Fix(-100), Fix(100)),  // 19
    FixSlider("Optical coefficient", Fix(75), Fix(-1000), Fix(1000), Fix(-100), Fix(100)),
    FixSlider("Aberration", Fix(20), Fix(0), Fix(1000), Fix(0), Fix(100)),          // 21
    Layer("Texture"),                                                               // 22
    FixSlider("Texture percent", Fix(100), Fix(-1000), Fix(1000), Fix(-100), Fix(100)),
    Layer("Texture of bump"),                                                       // 24
    FixSlider("Bump percent", Fix(2), Fix(-1000), Fix(1000), Fix(-10), Fix(10)),    // 25
    Layer("Texture of opacity"),                                                    // 26
    FixSlider("Opacity percent", Fix(100), Fix(-1000), Fix(1000), Fix(-100), Fix(100)),
    Layer("Texture of reflection"),                                                 // 28
    FixSlider("Reflection percent", Fix(100), Fix(-1000), Fix(1000), Fix(0), Fix(100)),
    GroupStart("Material of pendant"),                                              // 30
    Colour("Diffuse", 255, 255, 0),                                                 // 31
    Colour("Specular", 255, 255, 255),                                              // 32
    FixSlider("Shininess", Fix(15), Fix(-1000), Fix(1000), Fix(0), Fix(100)),       // 33
    FixSlider("Strength of shininess", Fix(100), Fix(-1000), Fix(1000), Fix(0), Fix(500)),
    FixSlider("Self illumination", Fix(0), Fix(-1000), Fix(1000), Fix(0), Fix(100)),
    FixSlider("Transparancy", Fix(0), Fix(0), Fix(100), Fix(0), Fix(100)),          // 36
    Checkbox("Glass", false),                                                       // 37
    FixSlider("Refraction", Fix(-50), Fix(-1000), Fix(1000), Fix(-100), Fix(100)),  // 38
    FixSlider("Optical coefficient", Fix(15), Fix(-1000), Fix(1000), Fix(-100), Fix(100)),
    FixSlider("Aberration", Fix(20), Fix(0), Fix(1000), Fix(0), Fix(100)),          // 40
    Layer("Texture of reflection"),                                                 // 41
    FixSlider("Reflection percent", Fix(100), Fix(-1000), Fix(1000), Fix(0), Fix(100)),
    GroupEnd(),                                                                     // 43
    GroupEnd(),                                                                     // 44
    GroupStart("Light"),                                                            // 45
    FixSlider("Multiply", Fix(100), Fix(-1000), Fix(1000), Fix(0), Fix(150)),       // 46
    Colour("Light color", 255, 255, 255),                                           // 47
    Angle("Rotate UV", Fix(0)),                                                     // 48
    FixSlider("Rotate WV", Fix(45), Fix(-10000), Fix(10000), Fix(0), Fix(180)),     // 49
    Checkbox("Opposite light", true, kStatic),                                      // 50
    GroupEnd(kStatic),                                                              // 51
    Checkbox("Cut alpha", false, kStatic),                                          // 52
};
static_assert(sizeof kParams / sizeof kParams[0] == 52, "the effect has 52 parameters");

// The effect's parameter count, the input layer included.
constexpr A_long kParamCount = 53;

// Precision of every fixed slider: two decimals.
constexpr A_short kFixedPrecision = 2;

// Checkboxes show no text beside the box.
constexpr char kNoLabel[] = "";

// The panel reacts in the composition, layer and effect windows.
constexpr A_long kPanelEvents = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER |
                                PF_CustomEFlag_EFFECT;

void FillTypeFields(const ParamRow& row, PF_ParamDef* def) {
  PF_ParamDefUnion& u = def->u;
  switch (row.type) {
    case PF_Param_NO_DATA:
      def->ui_flags = PF_PUI_CONTROL;
      def->ui_width = row.ui_width;
      def->ui_height = row.ui_height;
      break;
    case PF_Param_POPUP:
      u.pd.value = u.pd.dephault = static_cast<A_short>(row.dephault);
      u.pd.num_choices = row.num_choices;
      u.pd.u.namesptr = row.choices;
      break;
    case PF_Param_SLIDER:
      u.sd.value = u.sd.dephault = row.dephault;
      u.sd.valid_min = row.valid_min, u.sd.valid_max = row.valid_max;
      u.sd.slider_min = row.slider_min, u.sd.slider_max = row.slider_max;
      break;
    case PF_Param_FIX_SLIDER:
      u.fd.value = u.fd.dephault = row.dephault;
      u.fd.valid_min = row.valid_min, u.fd.valid_max = row.valid_max;
      u.fd.slider_min = row.slider_min, u.fd.slider_max = row.slider_max;
      u.fd.precision = kFixedPrecision;
      break;
    case PF_Param_POINT:
      // The host reads point defaults as percentages of the layer.
      u.td.x_value = u.td.x_dephault = row.dephault;
      u.td.y_value = u.td.y_dephault = row.dephault_y;
      break;
    case PF_Param_ANGLE:
      u.ad.value = u.ad.dephault = row.dephault;
      break;
    case PF_Param_COLOR:
      u.cd.value = u.cd.dephault = row.colour;
      break;
    case PF_Param_CHECKBOX:
      u.bd.value = row.dephault;
      u.bd.dephault = static_cast<PF_Boolean>(row.dephault);
      u.bd.u.nameptr = kNoLabel;
      break;
    case PF_Param_LAYER:
      u.ld.dephault = row.dephault;
      break;
    default:  // group starts and ends carry no data
      break;
  }
}

// One definition as the host receives it. disk_id is the host's id for the definition.
void FillDefinition(const ParamRow& row, A_long disk_id, PF_ParamDef* def) {
  memset(def, 0, sizeof *def);
  def->uu.id = disk_id;
  def->param_type = row.type;
  strncpy(def->name, row.name, PF_MAX_EFFECT_PARAM_NAME_LEN);
  def->flags = row.flags;
  FillTypeFields(row, def);
}

}  // namespace

PF_Err ParamsSetup(PF_InData* in_data, PF_OutData* out_data) {
  if (!in_data || !out_data || !in_data->inter.add_param || !in_data->inter.register_ui)
    return PF_Err_INVALID_CALLBACK;

  // Each layer parameter takes the next disk id (1 to 5); every later definition keeps
  // the id of the layer before it.
  A_long disk_id = 0;
  for (const ParamRow& row : kParams) {
    if (row.type == PF_Param_LAYER) ++disk_id;
    PF_ParamDef def;
    FillDefinition(row, disk_id, &def);
    PF_Err err = in_data->inter.add_param(in_data->effect_ref, -1, &def);
    if (err != PF_Err_NONE) return err;  // nothing more is defined, no panel registered
  }
  out_data->num_params = kParamCount;

  PF_CustomUIInfo panel;
  memset(&panel, 0, sizeof panel);
  panel.events = kPanelEvents;
  return in_data->inter.register_ui(in_data->effect_ref, &panel);
}

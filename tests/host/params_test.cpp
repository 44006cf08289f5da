// The effect's 52 parameter definitions as the host receives them through add_param:
// every field of every definition, byte for byte, plus the panel registration and the
// behaviour when the host refuses a definition.
#include <algorithm>
#include <cstring>
#include <string>

#include "host_fixture.h"

namespace {

// The parameter table as the effect's users know it. Fixed-point columns are decimals;
// colours are 0xRRGGBB; a point's default is its x and y percent.
struct Expected {
  int index;
  PF_ParamType type;
  const char* name;
  double dephault;
  double valid_min, valid_max, slider_min, slider_max;
  int id;
  PF_ParamFlags flags;
};

constexpr PF_ParamType LAYER = PF_Param_LAYER, SLIDER = PF_Param_SLIDER, FIX = PF_Param_FIX_SLIDER,
                       ANGLE = PF_Param_ANGLE, CHECK = PF_Param_CHECKBOX, COLOR = PF_Param_COLOR,
                       POINT = PF_Param_POINT, POPUP = PF_Param_POPUP, NO_DATA = PF_Param_NO_DATA,
                       START = PF_Param_GROUP_START, END = PF_Param_GROUP_END;
constexpr PF_ParamFlags STATIC = 2;  // the host's CANNOT_TIME_VARY

const Expected kTable[] = {
    {1, NO_DATA, "Information", 0, 0, 0, 0, 0, 0, 0},
    {2, POPUP, "Rendering mode", 5, 0, 0, 0, 0, 0, 0},
    {3, SLIDER, "Faces number", 300, 30, 10000, 100, 1000, 0, 0},
    {4, FIX, "Radius", 50, 66.0 / 65536, 1000, 10, 110, 0, 0},
    {5, POINT, "Position", 50, 0, 0, 0, 0, 0, 0},
    {6, FIX, "Scale", 100, -1000, 1000, 10, 150, 0, 0},
    {7, ANGLE, "Rotation X", 0, 0, 0, 0, 0, 0, 0},
    {8, ANGLE, "Rotation Y", 0, 0, 0, 0, 0, 0, 0},
    {9, ANGLE, "Rotation Z", 180, 0, 0, 0, 0, 0, 0},
    {10, START, "Material", 0, 0, 0, 0, 0, 0, 0},
    {11, COLOR, "Diffuse", 0xFF0000, 0, 0, 0, 0, 0, 0},
    {12, COLOR, "Specular", 0xFFFFFF, 0, 0, 0, 0, 0, 0},
    {13, FIX, "Shininess", 15, -1000, 1000, 0, 100, 0, 0},
    {14, FIX, "Strength of\tshininess", 100, -1000, 1000, 0, 500, 0, 0},
    {15, FIX, "Self illumination", 0, -1000, 1000, 0, 100, 0, 0},
    {16, FIX, "Transparancy", 0, 0, 100, 0, 100, 0, 0},
    {17, CHECK, "Glass", 0, 0, 0, 0, 0, 0, 0},
    {18, CHECK, "Multy refract", 0, 0, 0, 0, 0, 0, 0},
    {19, FIX, "Refraction", -50, -1000, 1000, -100, 100, 0, 0},
    {20, FIX, "Optical coefficient", 75, -1000, 1000, -100, 100, 0, 0},
    {21, FIX, "Aberration", 20, 0, 1000, 0, 100, 0, 0},
    {22, LAYER, "Texture", 0, 0, 0, 0, 0, 1, 0},
    {23, FIX, "Texture percent", 100, -1000, 1000, -100, 100, 1, 0},
    {24, LAYER, "Texture of bump", 0, 0, 0, 0, 0, 2, 0},
    {25, FIX, "Bump percent", 2, -1000, 1000, -10, 10, 2, 0},
    {26, LAYER, "Texture of opacity", 0, 0, 0, 0, 0, 3, 0},
    {27, FIX, "Opacity percent", 100, -1000, 1000, -100, 100, 3, 0},
    {28, LAYER, "Texture of reflection", 0, 0, 0, 0, 0, 4, 0},
    {29, FIX, "Reflection percent", 100, -1000, 1000, 0, 100, 4, 0},
    {30, START, "Material of pendant", 0, 0, 0, 0, 0, 4, 0},
    {31, COLOR, "Diffuse", 0xFFFF00, 0, 0, 0, 0, 4, 0},
    {32, COLOR, "Specular", 0xFFFFFF, 0, 0, 0, 0, 4, 0},
    {33, FIX, "Shininess", 15, -1000, 1000, 0, 100, 4, 0},
    {34, FIX, "Strength of shininess", 100, -1000, 1000, 0, 500, 4, 0},
    {35, FIX, "Self illumination", 0, -1000, 1000, 0, 100, 4, 0},
    {36, FIX, "Transparancy", 0, 0, 100, 0, 100, 4, 0},
    {37, CHECK, "Glass", 0, 0, 0, 0, 0, 4, 0},
    {38, FIX, "Refraction", -50, -1000, 1000, -100, 100, 4, 0},
    {39, FIX, "Optical coefficient", 15, -1000, 1000, -100, 100, 4, 0},
    {40, FIX, "Aberration", 20, 0, 1000, 0, 100, 4, 0},
    {41, LAYER, "Texture of reflection", 0, 0, 0, 0, 0, 5, 0},
    {42, FIX, "Reflection percent", 100, -1000, 1000, 0, 100, 5, 0},
    {43, END, "", 0, 0, 0, 0, 0, 5, 0},
    {44, END, "", 0, 0, 0, 0, 0, 5, 0},
    {45, START, "Light", 0, 0, 0, 0, 0, 5, 0},
    {46, FIX, "Multiply", 100, -1000, 1000, 0, 150, 5, 0},
    {47, COLOR, "Light color", 0xFFFFFF, 0, 0, 0, 0, 5, 0},
    {48, ANGLE, "Rotate UV", 0, 0, 0, 0, 0, 5, 0},
    {49, FIX, "Rotate WV", 45, -10000, 10000, 0, 180, 5, 0},
    {50, CHECK, "Opposite light", 1, 0, 0, 0, 0, 5, STATIC},
    {51, END, "", 0, 0, 0, 0, 0, 5, STATIC},
    {52, CHECK, "Cut alpha", 0, 0, 0, 0, 0, 5, STATIC},
};

PF_Fixed Fixed(double decimal) { return static_cast<PF_Fixed>(decimal * 65536.0); }

PF_Pixel Colour(double rgb) {
  auto v = static_cast<unsigned>(rgb);
  return PF_Pixel{0, static_cast<A_u_char>(v >> 16), static_cast<A_u_char>(v >> 8),
                  static_cast<A_u_char>(v)};
}

// The definition the host must receive for a row, with every field not set here zero.
// Pointer fields (popup names, checkbox label) are checked by content and then copied.
PF_ParamDef ExpectedDefinition(const Expected& e) {
  PF_ParamDef d;
  std::memset(&d, 0, sizeof d);
  d.uu.id = e.id;
  d.param_type = e.type;
  std::strncpy(d.name, e.name, sizeof d.name - 1);
  d.flags = e.flags;
  PF_ParamDefUnion& u = d.u;
  switch (e.type) {
    case NO_DATA:
      d.ui_flags = PF_PUI_CONTROL, d.ui_width = 416, d.ui_height = 148;
      break;
    case POPUP:
      u.pd.value = u.pd.dephault = static_cast<A_short>(e.dephault);
      u.pd.num_choices = 7;
      break;
    case SLIDER:
      u.sd.value = u.sd.dephault = static_cast<A_long>(e.dephault);
      u.sd.valid_min = static_cast<A_long>(e.valid_min);
      u.sd.valid_max = static_cast<A_long>(e.valid_max);
      u.sd.slider_min = static_cast<A_long>(e.slider_min);
      u.sd.slider_max = static_cast<A_long>(e.slider_max);
      break;
    case FIX:
      u.fd.value = u.fd.dephault = Fixed(e.dephault);
      u.fd.valid_min = Fixed(e.valid_min), u.fd.valid_max = Fixed(e.valid_max);
      u.fd.slider_min = Fixed(e.slider_min), u.fd.slider_max = Fixed(e.slider_max);
      u.fd.precision = 2;
      break;
    case POINT:
      u.td.x_value = u.td.x_dephault = Fixed(e.dephault);
      u.td.y_value = u.td.y_dephault = Fixed(e.dephault);
      break;
    case ANGLE:
      u.ad.value = u.ad.dephault = Fixed(e.dephault);
      break;
    case COLOR:
      u.cd.value = u.cd.dephault = Colour(e.dephault);
      break;
    case CHECK:
      u.bd.value = static_cast<A_long>(e.dephault);
      u.bd.dephault = static_cast<PF_Boolean>(e.dephault);
      break;
    default:  // layers default to none (0); groups carry nothing
      break;
  }
  return d;
}

class ParamsTest : public ModuleTest {};

TEST_F(ParamsTest, SetupDefinesFiftyTwoParametersAndThePanel) {
  SetUpEffect();
  EXPECT_EQ(session_->definitions().size(), 52u);
  EXPECT_EQ(session_->out_data().num_params, 53);
  EXPECT_EQ(session_->in_data().num_params, 53);
  EXPECT_EQ(session_->add_param_indices(), std::vector<PF_ParamIndex>(52, -1));
  ASSERT_TRUE(session_->custom_ui().has_value());
  EXPECT_EQ(session_->register_ui_calls(), 1);
  PF_CustomUIInfo expected;
  std::memset(&expected, 0, sizeof expected);
  expected.events = PF_CustomEFlag_COMP | PF_CustomEFlag_LAYER | PF_CustomEFlag_EFFECT;
  EXPECT_EQ(session_->custom_ui()->events, 7);
  EXPECT_EQ(std::memcmp(&*session_->custom_ui(), &expected, sizeof expected), 0)
      << "every width, height, alignment and the reserved field are 0";
  EXPECT_TRUE(session_->problems().empty()) << session_->problems().front();
}

TEST_F(ParamsTest, EveryDefinitionMatchesTheTableByteForByte) {
  SetUpEffect();
  ASSERT_EQ(session_->definitions().size(), sizeof kTable / sizeof kTable[0]);
  for (const Expected& e : kTable) {
    SCOPED_TRACE("parameter " + std::to_string(e.index) + " \"" + e.name + "\"");
    PF_ParamDef got = session_->definitions()[static_cast<size_t>(e.index - 1)];
    PF_ParamDef want = ExpectedDefinition(e);

    EXPECT_EQ(got.param_type, want.param_type);
    EXPECT_EQ(std::string(got.name), std::string(e.name));
    EXPECT_EQ(got.uu.id, e.id);
    EXPECT_EQ(got.flags, e.flags);
    EXPECT_EQ(got.ui_flags, want.ui_flags);
    EXPECT_EQ(got.ui_width, want.ui_width);
    EXPECT_EQ(got.ui_height, want.ui_height);
    if (e.type == FIX || e.type == SLIDER) {
      EXPECT_EQ(got.u.fd.dephault, want.u.fd.dephault);
      EXPECT_EQ(got.u.fd.value, want.u.fd.value);
      EXPECT_EQ(got.u.fd.valid_min, want.u.fd.valid_min);
      EXPECT_EQ(got.u.fd.valid_max, want.u.fd.valid_max);
      EXPECT_EQ(got.u.fd.slider_min, want.u.fd.slider_min);
      EXPECT_EQ(got.u.fd.slider_max, want.u.fd.slider_max);
      EXPECT_EQ(got.u.fd.value_str[0], 0);
      EXPECT_EQ(got.u.fd.value_desc[0], 0);
    }
    if (e.type == POPUP) {
      ASSERT_NE(got.u.pd.u.namesptr, nullptr);
      EXPECT_STREQ(got.u.pd.u.namesptr, "Rough|Line|Wire|Flat|Phong|Patches|Bezier");
      want.u.pd.u.namesptr = got.u.pd.u.namesptr;
    }
    if (e.type == CHECK) {
      ASSERT_NE(got.u.bd.u.nameptr, nullptr);
      EXPECT_STREQ(got.u.bd.u.nameptr, "");
      want.u.bd.u.nameptr = got.u.bd.u.nameptr;
    }
    // Everything else, the zeroed remainder of the name and the union included.
    EXPECT_EQ(std::memcmp(&got, &want, sizeof got), 0);
  }
}

TEST_F(ParamsTest, RadiusAcceptsTheRawLowerBoundButNotZero) {
  SetUpEffect();
  const PF_FixedSliderDef& radius = session_->definitions()[3].u.fd;
  EXPECT_EQ(radius.valid_min, 0x42);
  EXPECT_GT(radius.valid_min, 0);
}

TEST_F(ParamsTest, IdsCountTheLayersDefinedSoFar) {
  SetUpEffect();
  int layers = 0;
  for (const PF_ParamDef& def : session_->definitions()) {
    if (def.param_type == PF_Param_LAYER) ++layers;
    EXPECT_EQ(def.uu.id, layers) << def.name;
  }
  EXPECT_EQ(layers, 5);
}

TEST_F(ParamsTest, OnlyTheCheckboxesAfterTheLightCannotBeKeyframed) {
  SetUpEffect();
  for (size_t i = 0; i < session_->definitions().size(); ++i) {
    int index = static_cast<int>(i) + 1;
    PF_ParamFlags flags = session_->definitions()[i].flags;
    if (index >= 50)
      EXPECT_EQ(flags, PF_ParamFlag_CANNOT_TIME_VARY) << "index " << index;
    else
      EXPECT_EQ(flags, 0) << "index " << index;
  }
}

TEST_F(ParamsTest, GroupsNestAndClose) {
  SetUpEffect();
  int depth = 0, max_depth = 0;
  for (const PF_ParamDef& def : session_->definitions()) {
    if (def.param_type == PF_Param_GROUP_START) max_depth = std::max(max_depth, ++depth);
    if (def.param_type == PF_Param_GROUP_END) {
      ASSERT_GT(depth--, 0) << "an end without a start";
    }
  }
  EXPECT_EQ(depth, 0);
  EXPECT_EQ(max_depth, 2);
  // "Cut alpha" is last and outside any group.
  EXPECT_EQ(session_->definitions()[50].param_type, PF_Param_GROUP_END);
}

TEST_F(ParamsTest, ValuesStartAtTheDefaultsWithTheInputLayerFirst) {
  session_->SetLayerSize(640, 480);
  SetUpEffect();
  ASSERT_EQ(session_->values().size(), 53u);
  EXPECT_EQ(session_->value(0).param_type, PF_Param_LAYER);
  EXPECT_EQ(session_->value(2).u.pd.value, 5);
  EXPECT_EQ(session_->value(3).u.sd.value, 300);
  EXPECT_EQ(session_->value(4).u.fd.value, 50 * 65536);
  // The position's percent default becomes the layer centre in pixels.
  EXPECT_EQ(session_->value(5).u.td.x_value, 320 * 65536);
  EXPECT_EQ(session_->value(5).u.td.y_value, 240 * 65536);
  EXPECT_EQ(session_->value(9).u.ad.value, 180 * 65536);
  EXPECT_EQ(session_->value(31).u.cd.value.green, 255);
  EXPECT_EQ(session_->value(50).u.bd.value, 1);
  EXPECT_EQ(session_->value(52).u.bd.value, 0);
  EXPECT_EQ(session_->params()[52], &session_->value(52));
  EXPECT_THROW(session_->value(53), std::out_of_range);
}

// A host that refuses a definition: setup returns that error at once, the definitions
// before it stay, num_params is not written and no panel is registered.
TEST_F(ParamsTest, RefusedTenthDefinitionStopsSetup) {
  ASSERT_EQ(session_->GlobalSetup(), PF_Err_NONE);
  session_->RefuseAddParam(10, PF_Err_OUT_OF_MEMORY);
  session_->out_data().num_params = 12345;
  EXPECT_EQ(session_->ParamsSetup(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(session_->definitions().size(), 9u);
  EXPECT_EQ(session_->add_param_indices().size(), 10u) << "no definition after the refused one";
  EXPECT_EQ(session_->out_data().num_params, 12345);
  EXPECT_FALSE(session_->custom_ui().has_value());
  EXPECT_EQ(session_->register_ui_calls(), 0);
  EXPECT_EQ(session_->values().size(), 1u) << "an effect whose setup failed has no values";
}

TEST_F(ParamsTest, RefusalPassesAnyErrorBackUnchanged) {
  for (PF_Err err :
       {PF_Err(PF_Err_INTERNAL_STRUCT_DAMAGED), PF_Err(PF_Err_INVALID_INDEX), PF_Err(-7)}) {
    for (int nth : {1, 52}) {
      session_->RefuseAddParam(nth, err);
      EXPECT_EQ(session_->ParamsSetup(), err) << "refusing definition " << nth;
      EXPECT_EQ(session_->definitions().size(), static_cast<size_t>(nth - 1));
      EXPECT_FALSE(session_->custom_ui().has_value());
    }
  }
  session_->RefuseAddParam(0, PF_Err_NONE);
  EXPECT_EQ(session_->ParamsSetup(), PF_Err_NONE);
  EXPECT_EQ(session_->definitions().size(), 52u);
}

TEST_F(ParamsTest, SetupIsRepeatableWithTheSameResult) {
  SetUpEffect();
  std::vector<PF_ParamDef> first = session_->definitions();
  ASSERT_EQ(session_->ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(session_->definitions().size(), first.size());
  EXPECT_EQ(
      std::memcmp(first.data(), session_->definitions().data(), first.size() * sizeof(PF_ParamDef)),
      0);
}

}  // namespace

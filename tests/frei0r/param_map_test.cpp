// The effect's parameters as frei0r sees them, mapped from the definitions the linked
// effect really registers: which parameters there are, their names and types, and values
// carried both ways between frei0r's 0..1 and the effect's ranges.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "frei0r/effect.h"
#include "frei0r/frei0r_api.h"
#include "frei0r/param_map.h"

namespace {

using qvfrei0r::MappedParam;

class ParamMapTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(qvfrei0r::LoadEffect(error)) << error;
    session_ = qvfrei0r::NewSession().release();
    session_->SetLayerSize(640, 480);
    ASSERT_EQ(session_->ParamsSetup(), PF_Err_NONE);
  }
  static void TearDownTestSuite() {
    delete session_;
    qvfrei0r::UnloadEffect();
  }

  static const MappedParam& Named(const std::string& name) {
    for (const MappedParam& p : qvfrei0r::EffectParams())
      if (p.name == name) return p;
    ADD_FAILURE() << "no frei0r parameter " << name;
    return qvfrei0r::EffectParams().front();
  }
  static PF_ParamDef& Value(const MappedParam& p) { return session_->value(p.index); }

  // Writes a double and returns the effect's decimal value.
  static bool Write(const MappedParam& p, double x) {
    std::string error;
    return qvfrei0r::WriteParam(p, &x, kFrame, Value(p), error);
  }
  static double Read(const MappedParam& p) {
    double x = -99;
    std::string text;
    qvfrei0r::ReadParam(p, Value(p), kFrame, &x, text);
    return x;
  }

  static constexpr qvfrei0r::FrameSize kFrame{640, 480};
  static qvhost::Session* session_;
};

qvhost::Session* ParamMapTest::session_ = nullptr;

// Everything a user sets is there once: 52 definitions less the information panel and the
// six group starts and ends leave 45, each name unique, tabs made spaces, the pendant's
// repeated names led by their group's.
TEST_F(ParamMapTest, EveryValueParameterOnceUnderAUniqueName) {
  const auto& params = qvfrei0r::EffectParams();
  ASSERT_EQ(params.size(), 45u);
  std::set<std::string> names;
  for (const MappedParam& p : params) {
    EXPECT_TRUE(names.insert(p.name).second) << "twice: " << p.name;
    EXPECT_EQ(p.name.find('\t'), std::string::npos) << p.name;
  }
  EXPECT_EQ(params.front().name, "Rendering mode");
  EXPECT_EQ(params.front().index, 2);
  EXPECT_EQ(params.back().name, "Cut alpha");
  EXPECT_EQ(params.back().index, 52);
  EXPECT_EQ(Named("Strength of shininess").index, 14);
  EXPECT_EQ(Named("Material of pendant: Strength of shininess").index, 34);
  EXPECT_EQ(Named("Diffuse").index, 11);
  EXPECT_EQ(Named("Material of pendant: Diffuse").index, 31);
  EXPECT_EQ(Named("Material of pendant: Reflection percent").index, 42);
  EXPECT_EQ(Named("Texture of reflection").index, 28);
  EXPECT_EQ(Named("Material of pendant: Texture of reflection").index, 41);
}

// Types by the effect's: popups and layers strings, sliders and angles doubles.
TEST_F(ParamMapTest, TypesFollowTheEffectsTypes) {
  EXPECT_EQ(Named("Rendering mode").type, F0R_PARAM_STRING);
  EXPECT_EQ(Named("Faces number").type, F0R_PARAM_DOUBLE);
  EXPECT_EQ(Named("Radius").type, F0R_PARAM_DOUBLE);
  EXPECT_EQ(Named("Rotation Y").type, F0R_PARAM_DOUBLE);
  EXPECT_EQ(Named("Position").type, F0R_PARAM_POSITION);
  EXPECT_EQ(Named("Light color").type, F0R_PARAM_COLOR);
  EXPECT_EQ(Named("Glass").type, F0R_PARAM_BOOL);
  EXPECT_EQ(Named("Texture").type, F0R_PARAM_STRING);
  EXPECT_TRUE(Named("Texture").layer);
  EXPECT_FALSE(Named("Rendering mode").layer);
}

// A double's 0 and 1 are the ends of the effect's slider range (a turn for angles); values
// beyond reach the valid range and stop at its ends.
TEST_F(ParamMapTest, DoublesSpanTheSliderAndStopAtTheValidRange) {
  const MappedParam& radius = Named("Radius");  // slider 10..110, valid 66/65536..1000
  ASSERT_TRUE(Write(radius, 0.4));
  EXPECT_EQ(Value(radius).u.fd.value, 50 * 65536);
  EXPECT_DOUBLE_EQ(Read(radius), 0.4);
  ASSERT_TRUE(Write(radius, -5));
  EXPECT_EQ(Value(radius).u.fd.value, 66) << "the lowest valid radius, not 0";
  ASSERT_TRUE(Write(radius, 1e9));
  EXPECT_EQ(Value(radius).u.fd.value, 1000 * 65536);

  const MappedParam& faces = Named("Faces number");  // integer slider 100..1000, valid 30..10000
  ASSERT_TRUE(Write(faces, 0.5));
  EXPECT_EQ(Value(faces).u.sd.value, 550);
  ASSERT_TRUE(Write(faces, 2));
  EXPECT_EQ(Value(faces).u.sd.value, 1900);
  ASSERT_TRUE(Write(faces, -1));
  EXPECT_EQ(Value(faces).u.sd.value, 30);

  const MappedParam& transparency = Named("Transparancy");  // 0..100 both
  ASSERT_TRUE(Write(transparency, 1.5));
  EXPECT_EQ(Value(transparency).u.fd.value, 100 * 65536);

  const MappedParam& turn = Named("Rotation Z");
  EXPECT_DOUBLE_EQ(Read(turn), 0.5) << "the default 180 degrees";
  ASSERT_TRUE(Write(turn, 0.25));
  EXPECT_EQ(Value(turn).u.ad.value, 90 * 65536);
  ASSERT_TRUE(Write(turn, -2));
  EXPECT_EQ(Value(turn).u.ad.value, -720 * 65536) << "angles go round more than once";

  const MappedParam& wv = Named("Rotate WV");  // a plain slider 0..180, valid +-10000
  EXPECT_DOUBLE_EQ(Read(wv), 0.25) << "the default 45 degrees";
}

TEST_F(ParamMapTest, NotANumberLeavesTheValue) {
  const MappedParam& scale = Named("Scale");
  ASSERT_TRUE(Write(scale, 0.5));
  const PF_Fixed before = Value(scale).u.fd.value;
  EXPECT_FALSE(Write(scale, std::nan("")));
  EXPECT_EQ(Value(scale).u.fd.value, before);
  f0r_param_position_t bad{std::nan(""), 0.5};
  std::string error;
  const MappedParam& position = Named("Position");
  const PF_PointDef point = Value(position).u.td;
  EXPECT_FALSE(qvfrei0r::WriteParam(position, &bad, kFrame, Value(position), error));
  EXPECT_EQ(Value(position).u.td.x_value, point.x_value);
  EXPECT_NE(error.find("Position"), std::string::npos);
}

// Booleans switch at one half; colours are 0..1 a channel, rounded to bytes and clamped.
TEST_F(ParamMapTest, BooleansAndColours) {
  const MappedParam& glass = Named("Glass");
  EXPECT_TRUE(Write(glass, 0.49));
  EXPECT_EQ(Value(glass).u.bd.value, 0);
  EXPECT_TRUE(Write(glass, 0.5));
  EXPECT_EQ(Value(glass).u.bd.value, 1);
  EXPECT_DOUBLE_EQ(Read(glass), 1.0);

  const MappedParam& diffuse = Named("Material of pendant: Diffuse");
  f0r_param_color_t c{0, 0, 0};
  std::string text, error;
  qvfrei0r::ReadParam(diffuse, Value(diffuse), kFrame, &c, text);
  EXPECT_FLOAT_EQ(c.r, 1.0f) << "the pendant's default yellow";
  EXPECT_FLOAT_EQ(c.g, 1.0f);
  EXPECT_FLOAT_EQ(c.b, 0.0f);
  const f0r_param_color_t blue{-0.5f, 0.5f, 3.0f};
  ASSERT_TRUE(qvfrei0r::WriteParam(diffuse, &blue, kFrame, Value(diffuse), error));
  EXPECT_EQ(Value(diffuse).u.cd.value.red, 0);
  EXPECT_EQ(Value(diffuse).u.cd.value.green, 128);
  EXPECT_EQ(Value(diffuse).u.cd.value.blue, 255);
}

// Positions are fractions of the frame; the default is its centre.
TEST_F(ParamMapTest, PositionsAreFractionsOfTheFrame) {
  const MappedParam& position = Named("Position");
  f0r_param_position_t p{0, 0};
  std::string text, error;
  qvfrei0r::ReadParam(position, Value(position), kFrame, &p, text);
  EXPECT_DOUBLE_EQ(p.x, 0.5);
  EXPECT_DOUBLE_EQ(p.y, 0.5);
  const f0r_param_position_t corner{0.25, 1.5};
  ASSERT_TRUE(qvfrei0r::WriteParam(position, &corner, kFrame, Value(position), error));
  EXPECT_EQ(Value(position).u.td.x_value, 160 * 65536);
  EXPECT_EQ(Value(position).u.td.y_value, 720 * 65536) << "outside the frame is allowed";
}

// The rendering mode by name (any case) or number; anything else is refused with the
// choices named, and the mode stays.
TEST_F(ParamMapTest, RenderingModeByNameOrNumber) {
  const MappedParam& mode = Named("Rendering mode");
  std::string text, error;
  const char* flat = "flat";
  ASSERT_TRUE(qvfrei0r::WriteParam(mode, &flat, kFrame, Value(mode), error)) << error;
  EXPECT_EQ(Value(mode).u.pd.value, 4);
  char* read = nullptr;
  qvfrei0r::ReadParam(mode, Value(mode), kFrame, &read, text);
  EXPECT_STREQ(read, "Flat");
  const char* seven = "7";
  ASSERT_TRUE(qvfrei0r::WriteParam(mode, &seven, kFrame, Value(mode), error));
  EXPECT_EQ(Value(mode).u.pd.value, 7);
  for (const char* bad : {"Spline", "0", "8", ""}) {
    error.clear();
    EXPECT_FALSE(qvfrei0r::WriteParam(mode, &bad, kFrame, Value(mode), error)) << bad;
    EXPECT_EQ(Value(mode).u.pd.value, 7);
    EXPECT_NE(error.find("Bezier"), std::string::npos) << error;
  }
  const char* none = nullptr;
  EXPECT_FALSE(qvfrei0r::WriteParam(mode, &none, kFrame, Value(mode), error));
}

}  // namespace

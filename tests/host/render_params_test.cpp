// Parameter values as the command line gives them, against the module's own definitions:
// finding a parameter by name or index, parsing by type, the messages for bad values, and
// interpolation for animation.
#include <string>

#include "host/param_assign.h"
#include "host_fixture.h"

namespace {

class ParamTextTest : public ModuleTest {
 protected:
  void SetUp() override {
    ModuleTest::SetUp();
    SetUpEffect();
  }
  const std::vector<PF_ParamDef>& defs() { return session_->definitions(); }
  int Find(const std::string& key) {
    error_.clear();
    return qvhost::FindParam(defs(), key, error_);
  }
  // Parses text for a parameter given by index; returns whether it was accepted.
  bool Parse(int index, const std::string& text) {
    error_.clear();
    return qvhost::ParseParamValue(defs()[static_cast<size_t>(index - 1)], index, text, value_,
                                   error_);
  }
  std::string error_;
  qvhost::ParamValue value_;
};

// ---- Finding parameters --------------------------------------------------------------------
// Exact names; the first of equal names wins; a tab in a name may be typed as a space;
// indices reach every parameter.

TEST_F(ParamTextTest, NamesAndIndicesFindParameters) {
  EXPECT_EQ(Find("Rendering mode"), 2);
  EXPECT_EQ(Find("Diffuse"), 11) << "the ball's, the first of that name";
  EXPECT_EQ(Find("31"), 31) << "the pendant's, by index";
  EXPECT_EQ(Find("Strength of\tshininess"), 14);
  EXPECT_EQ(Find("Strength of shininess"), 14) << "a space stands for the tab; the first wins";
  EXPECT_EQ(Find("Cut alpha"), 52);
  EXPECT_EQ(Find("52"), 52);
}

TEST_F(ParamTextTest, UnknownNamesAndIndicesAreRefusedWithAHint) {
  EXPECT_EQ(Find("rendering mode"), -1) << "names are exact";
  EXPECT_NE(error_.find("quorvel info"), std::string::npos) << error_;
  EXPECT_EQ(Find("Strength of  shininess"), -1);
  EXPECT_EQ(Find("53"), -1);
  EXPECT_NE(error_.find("1 to 52"), std::string::npos) << error_;
  EXPECT_EQ(Find("0"), -1);
  EXPECT_NE(error_.find("--input"), std::string::npos) << error_;
  EXPECT_EQ(Find(""), -1);
  EXPECT_EQ(Find("99999999999999999999"), -1);
}

// ---- Values by type ---------------------------------------------------------------------------

TEST_F(ParamTextTest, PopupsTakeAChoiceNameOrNumber) {
  ASSERT_TRUE(Parse(2, "Phong"));
  EXPECT_EQ(value_.v[0], 5);
  ASSERT_TRUE(Parse(2, "bezier"));
  EXPECT_EQ(value_.v[0], 7);
  ASSERT_TRUE(Parse(2, "1"));
  EXPECT_EQ(value_.v[0], 1);
  EXPECT_FALSE(Parse(2, "Gouraud"));
  EXPECT_NE(error_.find("\"Rendering mode\" (2)"), std::string::npos) << error_;
  EXPECT_NE(error_.find("1 Rough, 2 Line, 3 Wire, 4 Flat, 5 Phong, 6 Patches, 7 Bezier"),
            std::string::npos)
      << error_;
  EXPECT_FALSE(Parse(2, "8"));
  EXPECT_FALSE(Parse(2, "0"));
}

TEST_F(ParamTextTest, ColoursCheckboxesAndPoints) {
  ASSERT_TRUE(Parse(31, "0, 128,255"));
  EXPECT_EQ(value_.v[1], 128);
  EXPECT_FALSE(Parse(31, "256,0,0"));
  EXPECT_NE(error_.find("0 to 255"), std::string::npos) << error_;
  EXPECT_FALSE(Parse(31, "1,2"));
  EXPECT_FALSE(Parse(31, "1,2,3,4"));
  EXPECT_FALSE(Parse(31, "1.5,2,3"));

  for (const char* on : {"on", "true", "1", "YES"}) {
    ASSERT_TRUE(Parse(52, on)) << on;
    EXPECT_EQ(value_.v[0], 1);
  }
  for (const char* off : {"off", "false", "0", "No"}) {
    ASSERT_TRUE(Parse(52, off)) << off;
    EXPECT_EQ(value_.v[0], 0);
  }
  EXPECT_FALSE(Parse(17, "maybe"));
  EXPECT_NE(error_.find("\"Glass\" (17)"), std::string::npos) << error_;

  ASSERT_TRUE(Parse(5, "100,-20.5"));
  EXPECT_EQ(value_.v[0], 100);
  EXPECT_EQ(value_.v[1], -20.5);
  EXPECT_FALSE(Parse(5, "100;20"));
  EXPECT_FALSE(Parse(5, "40000,0"));
}

// Sliders are checked against their valid range (not the slider's narrower one), and the
// message gives that range.
TEST_F(ParamTextTest, SlidersAndAnglesAreCheckedAgainstTheValidRange) {
  ASSERT_TRUE(Parse(3, "10000"));
  EXPECT_FALSE(Parse(3, "29"));
  EXPECT_NE(error_.find("\"Faces number\" (3)"), std::string::npos) << error_;
  EXPECT_NE(error_.find("30 to 10000"), std::string::npos) << error_;
  EXPECT_FALSE(Parse(3, "300.5"));
  EXPECT_NE(error_.find("whole number"), std::string::npos) << error_;

  ASSERT_TRUE(Parse(6, "-100")) << "Scale goes down to -1000";
  ASSERT_TRUE(Parse(4, "0.002"));
  EXPECT_FALSE(Parse(4, "0")) << "Radius stops just above 0";
  EXPECT_NE(error_.find("0.00100708 to 1000"), std::string::npos) << error_;
  EXPECT_FALSE(Parse(16, "101"));
  EXPECT_NE(error_.find("\"Transparancy\" (16)"), std::string::npos) << error_;
  EXPECT_FALSE(Parse(16, "fifty"));
  EXPECT_NE(error_.find("not a number"), std::string::npos) << error_;
  EXPECT_FALSE(Parse(16, "nan"));
  EXPECT_FALSE(Parse(16, "1e400"));
  ASSERT_TRUE(Parse(49, "-10000")) << "Rotate WV is a plain slider of -10000 to 10000";

  ASSERT_TRUE(Parse(8, "720")) << "angles turn any number of times";
  EXPECT_FALSE(Parse(8, "40000"));
}

TEST_F(ParamTextTest, LayersAndGroupsTakeNoValue) {
  EXPECT_FALSE(Parse(22, "file.png"));
  EXPECT_NE(error_.find("--layer"), std::string::npos) << error_;
  EXPECT_FALSE(Parse(10, "1"));
  EXPECT_FALSE(Parse(1, "1"));
}

// ---- Into the host's array, and animation -------------------------------------------------

TEST_F(ParamTextTest, ValuesAreWrittenAsTheHostStoresThem) {
  PF_ParamDef& radius = session_->value(4);
  ASSERT_TRUE(Parse(4, "12.5"));
  qvhost::ApplyParamValue(value_, radius);
  EXPECT_EQ(radius.u.fd.value, 12 * 65536 + 32768);
  PF_ParamDef& colour = session_->value(11);
  ASSERT_TRUE(Parse(11, "1,2,3"));
  qvhost::ApplyParamValue(value_, colour);
  EXPECT_EQ(colour.u.cd.value.blue, 3);
  PF_ParamDef& point = session_->value(5);
  ASSERT_TRUE(Parse(5, "-3,7.25"));
  qvhost::ApplyParamValue(value_, point);
  EXPECT_EQ(point.u.td.x_value, -3 * 65536);
  EXPECT_EQ(point.u.td.y_value, 7 * 65536 + 16384);
}

// Numbers move linearly from the first frame's value to the last's (whole-number types
// rounded); popups and checkboxes switch at the half.
TEST_F(ParamTextTest, InterpolationIsLinearAndSwitchesChoicesAtTheHalf) {
  qvhost::ParamValue a, b;
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[7], 8, "0", a, error_));
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[7], 8, "360", b, error_));
  EXPECT_DOUBLE_EQ(qvhost::Interpolate(a, b, 0.25).v[0], 90.0);
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[2], 3, "30", a, error_));
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[2], 3, "33", b, error_));
  EXPECT_DOUBLE_EQ(qvhost::Interpolate(a, b, 0.5).v[0], 32.0);
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[10], 11, "0,0,0", a, error_));
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[10], 11, "255,100,10", b, error_));
  const qvhost::ParamValue mid = qvhost::Interpolate(a, b, 0.5);
  EXPECT_DOUBLE_EQ(mid.v[0], 128.0);
  EXPECT_DOUBLE_EQ(mid.v[1], 50.0);
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[1], 2, "Flat", a, error_));
  ASSERT_TRUE(qvhost::ParseParamValue(defs()[1], 2, "Phong", b, error_));
  EXPECT_EQ(qvhost::Interpolate(a, b, 0.49).v[0], 4);
  EXPECT_EQ(qvhost::Interpolate(a, b, 0.5).v[0], 5);
}

}  // namespace

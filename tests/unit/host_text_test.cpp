// How the host shows interface values: 16.16 decimals, escaped names, flag names,
// unpacked versions and parameter rows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>

#include "host/param_format.h"
#include "host/sdk_names.h"

namespace {

using qvhost::FormatFixed;

// Whole numbers print bare; six decimals at most, with the raw value when they are not
// exact; the sign in front of the magnitude.
TEST(HostText, FixedPointAsDecimals) {
  EXPECT_EQ(FormatFixed(50 * 65536), "50");
  EXPECT_EQ(FormatFixed(-1000 * 65536), "-1000");
  EXPECT_EQ(FormatFixed(0), "0");
  EXPECT_EQ(FormatFixed(0x8000), "0.5");
  EXPECT_EQ(FormatFixed(-0x8000), "-0.5");
  EXPECT_EQ(FormatFixed(0x4000 + 3 * 65536), "3.25");
  EXPECT_EQ(FormatFixed(0x42), "0.001007 (raw 0x00000042)");
  EXPECT_EQ(FormatFixed(INT_MIN), "-32768");
  EXPECT_EQ(FormatFixed(INT_MAX), "32767.999985 (raw 0x7FFFFFFF)");
}

TEST(HostText, NamesShowControlCharacters) {
  EXPECT_EQ(qvhost::EscapeName("Strength of\tshininess"), "Strength of\\tshininess");
  EXPECT_EQ(qvhost::EscapeName("a\"b\\c\x01"), "a\\\"b\\\\c\\x01");
  EXPECT_EQ(qvhost::EscapeName("Glass"), "Glass");
}

TEST(HostText, OutFlagsByName) {
  EXPECT_EQ(qvhost::OutFlagNames(0), "none");
  EXPECT_EQ(qvhost::OutFlagNames(0x06008454),
            "NON_PARAM_VARY | SEQUENCE_DATA_NEEDS_FLATTENING | USE_OUTPUT_EXTENT | "
            "PIX_INDEPENDENT | CUSTOM_UI | DEEP_COLOR_AWARE | SEND_UPDATE_PARAMS_UI");
  EXPECT_EQ(qvhost::OutFlagNames(0x100 | 0x1), "DISPLAY_ERROR_MESSAGE | 0x00000001");
}

TEST(HostText, VersionUnpacked) {
  qvhost::UnpackedVersion v = qvhost::UnpackVersion(0x00100001);
  EXPECT_EQ(v.version, 2u);
  EXPECT_EQ(v.subversion, 0u);
  EXPECT_EQ(v.bugfix, 0u);
  EXPECT_EQ(v.stage, 0u);
  EXPECT_EQ(v.build, 1u);
  EXPECT_EQ(qvhost::DescribeVersion(PF_VERSION(7, 15, 15, PF_Stage_RELEASE, 511)),
            "7.15.15 release build 511");
}

TEST(HostText, TypeNames) {
  EXPECT_EQ(qvhost::ParamTypeName(PF_Param_FIX_SLIDER), "FIX_SLIDER");
  EXPECT_EQ(qvhost::ParamTypeName(PF_Param_GROUP_END), "GROUP_END");
  EXPECT_EQ(qvhost::ParamTypeName(99), "TYPE_99");
  EXPECT_EQ(qvhost::ParamTypeName(-1), "TYPE_-1");
}

TEST(HostText, ParameterRows) {
  PF_ParamDef popup;
  std::memset(&popup, 0, sizeof popup);
  popup.param_type = PF_Param_POPUP;
  std::strcpy(popup.name, "Mode");
  popup.u.pd.num_choices = 3;
  popup.u.pd.dephault = 2;
  popup.u.pd.value = 3;
  popup.u.pd.u.namesptr = "A|Bee|C";
  qvhost::ParamRowText row = qvhost::DescribeDefinition(4, popup);
  EXPECT_EQ(row.dephault, "2 \"Bee\" (value 3 \"C\")");
  EXPECT_EQ(row.details, "3 choices \"A|Bee|C\"");

  PF_ParamDef check;
  std::memset(&check, 0, sizeof check);
  check.param_type = PF_Param_CHECKBOX;
  check.flags = PF_ParamFlag_CANNOT_TIME_VARY;
  check.u.bd.dephault = 1;
  check.u.bd.value = 1;
  check.u.bd.u.nameptr = nullptr;
  row = qvhost::DescribeDefinition(7, check);
  EXPECT_EQ(row.dephault, "on");
  EXPECT_EQ(row.flags, "0x2 CANNOT_TIME_VARY");
  EXPECT_EQ(row.details, "label null");
  EXPECT_EQ(qvhost::ParamFlagNames(1), "0x1 reserved-bit-0");

  std::string table = qvhost::FormatParamTable({popup, check});
  EXPECT_NE(table.find("(input layer)"), std::string::npos);
  EXPECT_NE(table.find("Mode"), std::string::npos);
  EXPECT_EQ(std::count(table.begin(), table.end(), '\n'), 4) << "heading, input layer, two rows";
}

}  // namespace

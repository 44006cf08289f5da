// Parameter setup called without the host's callbacks: refused with
// PF_Err_INVALID_CALLBACK instead of calling through a null pointer, nothing written.
#include <gtest/gtest.h>

#include <cstring>

#include "shell/shell.h"

namespace {

PF_Err CountingAddParam(PF_ProgPtr, PF_ParamIndex, PF_ParamDefPtr) { return PF_Err_NONE; }

TEST(ParamsSetupDirect, RefusesMissingRecordsOrCallbacks) {
  PF_InData in;
  PF_OutData out;
  std::memset(&in, 0, sizeof in);
  std::memset(&out, 0, sizeof out);
  out.num_params = -1;
  EXPECT_EQ(ParamsSetup(nullptr, &out), PF_Err_INVALID_CALLBACK);
  EXPECT_EQ(ParamsSetup(&in, nullptr), PF_Err_INVALID_CALLBACK);
  EXPECT_EQ(ParamsSetup(&in, &out), PF_Err_INVALID_CALLBACK) << "no add_param";
  in.inter.add_param = CountingAddParam;
  EXPECT_EQ(ParamsSetup(&in, &out), PF_Err_INVALID_CALLBACK) << "no register_ui";
  EXPECT_EQ(out.num_params, -1);
}

}  // namespace

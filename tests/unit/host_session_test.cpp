// The reference host's session driving a stand-in effect (a plain function in place of a
// module): the identity check against the PiPL, handles, bounded string output, parameter
// values and layer check-outs, suites, and callbacks used where they must not be.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "host/session.h"
#include "host/world.h"
#include "shell/resources/pipl_words.h"

namespace {

using qvhost::Session;

using EffectFn =
    std::function<PF_Err(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef**, PF_LayerDef*)>;
EffectFn g_effect;

PF_Err StandInEntry(PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef* params[],
                    PF_LayerDef* output, void*) {
  return g_effect ? g_effect(cmd, in, out, params, output) : PF_Err_NONE;
}

qvhost::Pipl ModulePipl() {
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  return qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES);
}

PF_ParamDef Definition(PF_ParamType type, const char* name) {
  PF_ParamDef d;
  std::memset(&d, 0, sizeof d);
  d.param_type = type;
  std::strcpy(d.name, name);
  return d;
}

// A stand-in effect with three parameters: a slider (1), a layer (2) and a point (3).
PF_Err DefineThree(PF_InData* in) {
  PF_ParamDef slider = Definition(PF_Param_SLIDER, "Amount");
  slider.u.sd.dephault = 7;
  PF_ParamDef layer = Definition(PF_Param_LAYER, "Map");
  PF_ParamDef point = Definition(PF_Param_POINT, "Centre");
  point.u.td.x_dephault = 25 * 65536;
  point.u.td.y_dephault = 50 * 65536;
  for (PF_ParamDef* d : {&slider, &layer, &point})
    if (PF_Err err = in->inter.add_param(in->effect_ref, -1, d)) return err;
  return PF_Err_NONE;
}

class SessionTest : public ::testing::Test {
 protected:
  void SetUp() override { g_effect = nullptr; }
  void TearDown() override { g_effect = nullptr; }
  Session session_{StandInEntry, ModulePipl()};
};

// ---- Identity ------------------------------------------------------------------------------

TEST_F(SessionTest, VersionAndFlagsOtherThanThePiplsAreReported) {
  g_effect = [](PF_Cmd cmd, PF_InData*, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    if (cmd == PF_Cmd_GLOBAL_SETUP) {
      out->my_version = 0x00100002;
      out->out_flags = 0x06008454 | 0x20;
    }
    return PF_Err_NONE;
  };
  EXPECT_EQ(session_.GlobalSetup(), PF_Err_NONE);
  ASSERT_EQ(session_.problems().size(), 2u);
  EXPECT_NE(session_.problems()[0].find("my_version 0x00100002"), std::string::npos);
  EXPECT_NE(session_.problems()[0].find("eVER 0x00100001"), std::string::npos);
  EXPECT_NE(session_.problems()[1].find("only in out_flags: 0x00000020"), std::string::npos)
      << session_.problems()[1];
}

TEST_F(SessionTest, MatchingIdentityIsNotAProblem) {
  g_effect = [](PF_Cmd, PF_InData*, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    out->my_version = 0x00100001;
    out->out_flags = 0x06008454;
    return PF_Err_NONE;
  };
  EXPECT_EQ(session_.GlobalSetup(), PF_Err_NONE);
  EXPECT_TRUE(session_.problems().empty());
}

// ---- Handles and the sequence data -----------------------------------------------------------

TEST_F(SessionTest, SequenceHandlesAreKeptAndTracked) {
  g_effect = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    PF_UtilCallbacks* u = in->utils;
    if (cmd == PF_Cmd_SEQUENCE_SETUP || cmd == PF_Cmd_SEQUENCE_RESETUP) {
      PF_Handle h = u->host_new_handle(24);
      if (!h) return PF_Err(PF_Err_OUT_OF_MEMORY);
      auto* bytes = static_cast<uint8_t*>(u->host_lock_handle(h));
      EXPECT_EQ(bytes[0], qvhost::HandleTable::kFreshFill) << "fresh blocks are not zeroed";
      std::memset(bytes, 0, 24);
      u->host_unlock_handle(h);
      out->sequence_data = h;
    }
    if (cmd == PF_Cmd_SEQUENCE_FLATTEN || cmd == PF_Cmd_SEQUENCE_SETDOWN) {
      if (in->sequence_data) u->host_dispose_handle(in->sequence_data);
      out->sequence_data = nullptr;
    }
    return PF_Err_NONE;
  };
  ASSERT_EQ(session_.SequenceSetup(), PF_Err_NONE);
  PF_Handle h = session_.in_data().sequence_data;
  ASSERT_NE(h, nullptr);
  EXPECT_TRUE(session_.handles().Owns(h));
  EXPECT_EQ(session_.handles().SizeOf(h), 24u);
  EXPECT_EQ(session_.handles().LockCount(h), 0);
  EXPECT_EQ(session_.handles().live(), 1u);

  ASSERT_EQ(session_.SequenceFlatten(), PF_Err_NONE);
  EXPECT_EQ(session_.in_data().sequence_data, nullptr);
  EXPECT_EQ(session_.handles().live(), 0u);
  ASSERT_EQ(session_.SequenceResetup(), PF_Err_NONE);
  EXPECT_EQ(session_.handles().live(), 1u);
  ASSERT_EQ(session_.SequenceSetdown(), PF_Err_NONE);
  EXPECT_EQ(session_.handles().live(), 0u);
  EXPECT_EQ(session_.handles().created(), 2);
  EXPECT_EQ(session_.handles().disposed(), 2);
  EXPECT_EQ(session_.handles().bad_calls(), 0);

  session_.handles().set_refuse_new(true);
  EXPECT_EQ(session_.SequenceSetup(), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(session_.handles().refused(), 1);
  EXPECT_EQ(session_.in_data().sequence_data, nullptr);
}

TEST_F(SessionTest, HandleMisuseIsCountedNotFatal) {
  qvhost::HandleTable& t = session_.handles();
  PF_Handle h = t.New(0);
  ASSERT_NE(h, nullptr);
  EXPECT_NE(*h, nullptr) << "even an empty handle has a block";
  t.Unlock(h);  // never locked
  t.Dispose(h);
  t.Dispose(h);  // twice
  EXPECT_EQ(t.Lock(h), nullptr);
  EXPECT_EQ(t.bad_calls(), 3);
  EXPECT_EQ(t.New(uint64_t{1} << 40), nullptr) << "an absurd size is refused";
}

// ---- ANSI output is bounded ------------------------------------------------------------------

TEST_F(SessionTest, SprintfIsBoundedByTheReturnMessage) {
  std::string long_text(400, 'x');
  g_effect = [&](PF_Cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    int n = in->utils->ansi.sprintf(out->return_msg, "%s", long_text.c_str());
    EXPECT_EQ(n, 255);
    in->utils->ansi.sprintf(out->return_msg + 250, "%s!", "abcdefghij");
    out->out_flags |= PF_OutFlag_DISPLAY_ERROR_MESSAGE;
    return PF_Err_NONE;
  };
  EXPECT_EQ(session_.Send(PF_Cmd_EVENT), PF_Err_NONE);
  EXPECT_EQ(session_.ansi_truncations(), 2);
  ASSERT_EQ(session_.messages().size(), 1u);
  EXPECT_EQ(session_.messages()[0], std::string(250, 'x') + "abcde");
  EXPECT_EQ(session_.out_data().out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE, 0)
      << "the host takes the request back once shown";
}

TEST_F(SessionTest, StrcpyIsBoundedToo) {
  char buffer[300];
  std::string long_text(280, 'y');
  g_effect = [&](PF_Cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    in->utils->ansi.strcpy(buffer, long_text.c_str());
    in->utils->ansi.strcpy(out->return_msg, "short");
    return PF_Err_NONE;
  };
  session_.Send(PF_Cmd_EVENT);
  EXPECT_EQ(std::strlen(buffer), qvhost::kAnsiBufferBytes - 1);
  EXPECT_STREQ(session_.out_data().return_msg, "short");
  EXPECT_EQ(session_.ansi_truncations(), 1);
}

// ---- Parameter values and layer check-outs ---------------------------------------------------

TEST_F(SessionTest, RenderHandsTheValuesAndChecksOutLayersFromTheTable) {
  qvhost::World input(4, 2, false), map(3, 3, true), output(4, 2, false);
  g_effect = [&](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef** params,
                 PF_LayerDef* world) -> PF_Err {
    if (cmd == PF_Cmd_PARAMS_SETUP) {
      out->num_params = 4;
      return DefineThree(in);
    }
    if (cmd != PF_Cmd_RENDER) return PF_Err(PF_Err_NONE);
    EXPECT_EQ(world, &output.def());
    EXPECT_EQ(params[0]->u.ld.data, input.def().data) << "params[0] is the input layer";
    EXPECT_EQ(params[1]->u.sd.value, 7);
    EXPECT_EQ(params[3]->u.td.x_value, 50 * 65536) << "25% of 200 pixels";
    EXPECT_EQ(params[3]->u.td.y_value, 50 * 65536) << "50% of 100 pixels";
    PF_ParamDef got, none, failed, outside;
    auto checkout = in->inter.checkout_param;
    EXPECT_EQ(
        checkout(in->effect_ref, 2, in->current_time, in->local_time_step, in->time_scale, &got),
        PF_Err_NONE);
    EXPECT_EQ(got.u.ld.data, map.def().data);
    EXPECT_EQ(got.u.ld.world_flags, PF_WorldFlag_DEEP);
    EXPECT_STREQ(got.name, "Map");
    EXPECT_EQ(checkout(in->effect_ref, 1, 0, 1, 30, &none), PF_Err_NONE) << "a slider";
    EXPECT_EQ(none.u.sd.value, 7);
    EXPECT_EQ(checkout(in->effect_ref, 9, 0, 1, 30, &outside), PF_Err_INVALID_INDEX);
    EXPECT_EQ(in->inter.checkin_param(in->effect_ref, &none), PF_Err_NONE);
    EXPECT_EQ(in->inter.checkin_param(in->effect_ref, &got), PF_Err_NONE);
    EXPECT_EQ(in->inter.checkin_param(in->effect_ref, &failed), PF_Err_BAD_CALLBACK_PARAM)
        << "never checked out";
    return PF_Err_NONE;
  };
  session_.SetLayerSize(200, 100);
  ASSERT_EQ(session_.ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(session_.values().size(), 4u);
  session_.SetInputLayer(input.def());
  session_.SetLayer(2, map.def());
  EXPECT_EQ(session_.Render(&output.def()), PF_Err_NONE);

  ASSERT_EQ(session_.checkouts().size(), 3u);
  EXPECT_EQ(session_.checkouts()[0].index, 2);
  EXPECT_EQ(session_.checkouts()[0].time_scale, session_.in_data().time_scale);
  EXPECT_EQ(session_.checkouts()[2].result, PF_Err_INVALID_INDEX);
  EXPECT_EQ(session_.checkins(), (std::vector<PF_ParamIndex>{1, 2, -1}));
  EXPECT_EQ(session_.outstanding_checkouts(), 0u);
}

TEST_F(SessionTest, LayerCheckoutFailsWithoutAWorldOrWhenTold) {
  qvhost::World map(2, 2, false);
  g_effect = [&](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**,
                 PF_LayerDef*) -> PF_Err {
    if (cmd == PF_Cmd_PARAMS_SETUP) {
      out->num_params = 4;
      return DefineThree(in);
    }
    PF_ParamDef def;
    return in->inter.checkout_param(in->effect_ref, 2, 0, 1, 30, &def);
  };
  ASSERT_EQ(session_.ParamsSetup(), PF_Err_NONE);
  EXPECT_EQ(session_.Render(nullptr), PF_Err_BAD_CALLBACK_PARAM) << "no world set";
  session_.SetLayer(2, map.def());
  session_.FailCheckout(2, PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(session_.Render(nullptr), PF_Err_OUT_OF_MEMORY);
  EXPECT_EQ(session_.outstanding_checkouts(), 0u);
  EXPECT_EQ(session_.checkouts().size(), 2u);
}

TEST_F(SessionTest, ValuesCanBeChangedByIndexAndReset) {
  g_effect = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    if (cmd != PF_Cmd_PARAMS_SETUP) return PF_Err(PF_Err_NONE);
    out->num_params = 4;
    return DefineThree(in);
  };
  ASSERT_EQ(session_.ParamsSetup(), PF_Err_NONE);
  session_.value(1).u.sd.value = 99;
  EXPECT_EQ(session_.params()[1]->u.sd.value, 99);
  session_.ResetValues();
  EXPECT_EQ(session_.params()[1]->u.sd.value, 7);
  EXPECT_THROW(session_.value(-1), std::out_of_range);
}

TEST_F(SessionTest, ParameterCountOtherThanTheDefinitionsIsReported) {
  g_effect = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    out->num_params = 3;  // one short
    return cmd == PF_Cmd_PARAMS_SETUP ? DefineThree(in) : PF_Err(PF_Err_NONE);
  };
  ASSERT_EQ(session_.ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(session_.problems().size(), 1u);
  EXPECT_NE(session_.problems()[0].find("num_params is 3"), std::string::npos);
}

// ---- Callbacks where they must not be used --------------------------------------------------

TEST_F(SessionTest, CallbacksOutsideACommandAreRefused) {
  PF_InData& in = session_.in_data();
  PF_ParamDef def = Definition(PF_Param_SLIDER, "Late");
  EXPECT_EQ(in.inter.add_param(in.effect_ref, -1, &def), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(in.utils->host_new_handle(8), nullptr);
  void* window = &def;
  EXPECT_EQ(in.utils->get_platform_data(in.effect_ref, PF_PlatData_MAIN_WND, &window),
            PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_TRUE(session_.definitions().empty());
}

TEST_F(SessionTest, DefinitionsOutsideParameterSetupOrNotAppendedAreProblems) {
  g_effect = [](PF_Cmd cmd, PF_InData* in, PF_OutData* out, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    PF_ParamDef def = Definition(PF_Param_SLIDER, "Odd");
    if (cmd == PF_Cmd_GLOBAL_SETUP) return in->inter.add_param(in->effect_ref, -1, &def);
    if (cmd == PF_Cmd_PARAMS_SETUP) {
      out->num_params = 2;
      return in->inter.add_param(in->effect_ref, 3, &def);
    }
    return PF_Err(PF_Err_NONE);
  };
  EXPECT_EQ(session_.Send(PF_Cmd_GLOBAL_SETUP), PF_Err_BAD_CALLBACK_PARAM);
  session_.ClearProblems();
  EXPECT_EQ(session_.ParamsSetup(), PF_Err_NONE);
  ASSERT_EQ(session_.problems().size(), 1u);
  EXPECT_NE(session_.problems()[0].find("with index 3"), std::string::npos);
}

TEST_F(SessionTest, MainWindowIsTheOneSet) {
  int dummy_window = 0;
  session_.SetMainWindow(&dummy_window);
  void* got = nullptr;
  PF_Err other = PF_Err_NONE;
  g_effect = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    void* scratch = nullptr;
    other = in->utils->get_platform_data(in->effect_ref, 7, &scratch);
    return in->utils->get_platform_data(in->effect_ref, PF_PlatData_MAIN_WND, &got);
  };
  EXPECT_EQ(session_.About(), PF_Err_NONE);
  EXPECT_EQ(got, &dummy_window);
  EXPECT_EQ(other, PF_Err_BAD_CALLBACK_PARAM);
}

// ---- Suites --------------------------------------------------------------------------------

TEST_F(SessionTest, OnlyProvidedSuitesAreHandedOut) {
  static const int kFakeSuite = 42;
  session_.ProvideSuite("Fake Suite", 2, &kFakeSuite);
  SPErr unknown = 0, known = 0, release = 0, release_unheld = 0;
  const void* unknown_suite = &kFakeSuite;
  const void* known_suite = nullptr;
  g_effect = [&](PF_Cmd, PF_InData* in, PF_OutData*, PF_ParamDef**, PF_LayerDef*) -> PF_Err {
    SPBasicSuite* sp = in->pica_basicP;
    unknown = sp->AcquireSuite("PF Effect Custom UI Suite", 1, &unknown_suite);
    known = sp->AcquireSuite("Fake Suite", 2, &known_suite);
    release = sp->ReleaseSuite("Fake Suite", 2);
    release_unheld = sp->ReleaseSuite("Fake Suite", 2);
    return PF_Err(PF_Err_NONE);
  };
  session_.Send(PF_Cmd_EVENT);
  EXPECT_EQ(unknown, qvhost::kSPSuiteNotFoundError);
  EXPECT_EQ(unknown_suite, nullptr);
  EXPECT_EQ(known, qvhost::kSPNoError);
  EXPECT_EQ(known_suite, &kFakeSuite);
  EXPECT_EQ(release, qvhost::kSPNoError);
  EXPECT_NE(release_unheld, qvhost::kSPNoError);
  ASSERT_EQ(session_.problems().size(), 1u) << "releasing a suite not held is the effect's fault";
  EXPECT_NE(session_.problems()[0].find("does not hold"), std::string::npos);
  EXPECT_EQ(session_.suites_held(), 0);
  ASSERT_EQ(session_.suite_requests().size(), 2u);
  EXPECT_EQ(session_.suite_requests()[0].name, "PF Effect Custom UI Suite");
}

}  // namespace

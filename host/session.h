// A host session: one application of an effect, with every record the host hands over
// (PF_InData with its callbacks, PF_OutData, the parameter array, the suites) owned here.
// It sends commands through the module's entry point, plays the host's side of every
// callback, and records what the effect did (its parameter definitions, its panel
// registration, its handles, layer check-outs, suite requests) so that tests and the
// command line can look at it.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/handles.h"
#include "host/pipl.h"
#include "platform/sdk/ae_sdk.h"

namespace qvhost {

class Module;

// Error codes of this host's suite broker, as the SP basic suite reports them.
constexpr SPErr kSPNoError = 0;
constexpr SPErr kSPSuiteNotFoundError = 0x53214664;  // 'S!Fd'
constexpr SPErr kSPBadParameterError = 0x5061723F;   // 'Par?'

// sprintf and strcpy of the ANSI callbacks take no size: the host bounds them to this
// many bytes, the size of PF_OutData::return_msg (less when the destination lies inside
// return_msg and nearer its end).
constexpr size_t kAnsiBufferBytes = 256;

// One call of checkout_param as the effect made it.
struct CheckoutCall {
  PF_ParamIndex index;
  A_long what_time;
  A_long time_step;
  A_u_long time_scale;
  PF_Err result;
};

class Session {
 public:
  // A session over a loaded module (kept alive by the session).
  explicit Session(std::shared_ptr<const Module> module);
  // A session over an entry point and its PiPL without a file (for testing the host).
  Session(PF_EntryPoint entry, Pipl pipl);
  // Releases what is left (handles, acquired blocks); sends no command.
  ~Session();

  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // ---- Commands. Each returns the effect's PF_Err unchanged. -------------------------
  // Global setup; a my_version or out_flags other than the PiPL's eVER / eGLO is
  // recorded in problems().
  PF_Err GlobalSetup();
  PF_Err GlobalSetdown();
  // Parameter setup: records each definition passed to add_param and the register_ui
  // record; on success builds the parameter values from the definitions' defaults.
  PF_Err ParamsSetup();
  // Sequence commands. The host keeps the handle the effect leaves in
  // out_data.sequence_data after setup, resetup and flatten (the flat data), and hands
  // it back in in_data.sequence_data; after setdown it holds none.
  PF_Err SequenceSetup();
  PF_Err SequenceResetup();
  PF_Err SequenceFlatten();
  PF_Err SequenceSetdown();
  PF_Err About();
  // PF_Cmd_RENDER into `output` with the parameter values (params[0] = the input layer).
  PF_Err Render(PF_LayerDef* output);
  // PF_Cmd_EVENT with the event record.
  PF_Err Event(PF_EventExtra* extra);
  // Any command, raw.
  PF_Err Send(PF_Cmd cmd, PF_LayerDef* output = nullptr, void* extra = nullptr);

  // ---- The records handed over. -----------------------------------------------------
  PF_InData& in_data() { return in_data_; }
  const PF_InData& in_data() const { return in_data_; }
  PF_OutData& out_data() { return out_data_; }
  const Pipl& pipl() const { return pipl_; }

  // Layer size in PF_InData (width, height, extent hint). Point defaults are percentages
  // of it: call ResetValues afterwards to place them.
  void SetLayerSize(int width, int height);
  // The window get_platform_data(PF_PlatData_MAIN_WND) hands out (default null).
  void SetMainWindow(void* window) { main_window_ = window; }

  // ---- What the effect defined. ------------------------------------------------------
  // Copies of the definitions passed to add_param, in order (refused ones not included).
  const std::vector<PF_ParamDef>& definitions() const { return definitions_; }
  // The index argument of every add_param call, refused ones included.
  const std::vector<PF_ParamIndex>& add_param_indices() const { return add_param_indices_; }
  // The record passed to register_ui, if it was called.
  const std::optional<PF_CustomUIInfo>& custom_ui() const { return custom_ui_; }
  int register_ui_calls() const { return register_ui_calls_; }
  // The n-th add_param call (counting from 1) of later parameter setups returns `error`
  // and defines nothing; 0 refuses none.
  void RefuseAddParam(int nth, PF_Err error) { refuse_add_param_ = {nth, error}; }

  // ---- Parameter values (the params array of PF_Cmd_RENDER and PF_Cmd_EVENT). --------
  // Index 0 is the input layer; 1 to num_params - 1 start as copies of the definitions
  // with value = default (a point's value in layer pixels, from its percent default and
  // the layer size). Callers change them by index before a render.
  std::vector<PF_ParamDef>& values() { return values_; }
  PF_ParamDef& value(int index);  // throws std::out_of_range
  void ResetValues();
  // The world params[0] carries: the input layer.
  void SetInputLayer(const PF_LayerDef& world);
  // The array handed to the effect.
  PF_ParamDef** params() { return param_pointers_.data(); }

  // ---- Layer parameters for checkout_param. -------------------------------------------
  // checkout_param of a layer parameter returns a copy of its definition with u.ld set to
  // the world given here; with no world set, or after FailCheckout, it returns an error.
  void SetLayer(int index, const PF_LayerDef& world) { layers_[index] = world; }
  void ClearLayer(int index) { layers_.erase(index); }
  void FailCheckout(int index, PF_Err error) { checkout_failures_[index] = error; }
  void FailCheckin(int index, PF_Err error) { checkin_failures_[index] = error; }
  const std::vector<CheckoutCall>& checkouts() const { return checkouts_; }
  // Indices of the parameters checked in, in order (-1 for a record never checked out).
  const std::vector<PF_ParamIndex>& checkins() const { return checkins_; }
  // Check-outs (successful ones) not yet checked in.
  size_t outstanding_checkouts() const { return outstanding_.size(); }
  void ClearCallRecords();

  // ---- Host memory. -------------------------------------------------------------------
  HandleTable& handles() { return handles_; }
  const HandleTable& handles() const { return handles_; }

  // ---- Suites through pica_basicP. ----------------------------------------------------
  // Makes a suite available to AcquireSuite; none is provided unless given here.
  void ProvideSuite(const std::string& name, int version, const void* suite);
  // Takes a provided suite away again (a host that lacks it).
  void WithdrawSuite(const std::string& name, int version) { suites_.erase({name, version}); }
  // Every AcquireSuite request, in order, with its result.
  struct SuiteRequest {
    std::string name;
    int version;
    SPErr result;
  };
  const std::vector<SuiteRequest>& suite_requests() const { return suite_requests_; }
  // Suites acquired and not yet released.
  int suites_held() const;

  // ---- What the host noticed. ---------------------------------------------------------
  // Faults in the effect's use of the interface (version mismatch, bad callback use);
  // empty when all went well.
  const std::vector<std::string>& problems() const { return problems_; }
  void ClearProblems() { problems_.clear(); }
  // Messages the effect asked the host to show (return_msg with DISPLAY_ERROR_MESSAGE).
  const std::vector<std::string>& messages() const { return messages_; }
  // How often sprintf / strcpy output was cut at the buffer bound.
  int ansi_truncations() const { return ansi_truncations_; }
  int platform_data_calls() const { return platform_data_calls_; }

 private:
  friend struct SessionCallbacks;

  void InitRecords();
  void BeforeCommand(PF_Cmd cmd);
  void AfterCommand(PF_Cmd cmd, PF_Err err);
  void CheckIdentity();
  void Problem(const std::string& text) { problems_.push_back(text); }
  void RebuildParamPointers();

  std::shared_ptr<const Module> module_;
  PF_EntryPoint entry_ = nullptr;
  Pipl pipl_;

  PF_InData in_data_;
  PF_OutData out_data_;
  PF_UtilCallbacks utils_;
  SPBasicSuite basic_suite_;
  void* main_window_ = nullptr;
  PF_Cmd current_cmd_ = -1;  // the command being sent, -1 between commands

  std::vector<PF_ParamDef> definitions_;
  std::vector<PF_ParamIndex> add_param_indices_;
  int add_param_calls_ = 0;
  std::pair<int, PF_Err> refuse_add_param_{0, PF_Err_NONE};
  std::optional<PF_CustomUIInfo> custom_ui_;
  int register_ui_calls_ = 0;

  std::vector<PF_ParamDef> values_;
  std::vector<PF_ParamDef*> param_pointers_;
  PF_LayerDef input_layer_;

  std::map<int, PF_LayerDef> layers_;
  std::map<int, PF_Err> checkout_failures_;
  std::map<int, PF_Err> checkin_failures_;
  std::vector<CheckoutCall> checkouts_;
  std::vector<PF_ParamIndex> checkins_;
  std::map<const PF_ParamDef*, PF_ParamIndex> outstanding_;

  HandleTable handles_;

  std::map<std::pair<std::string, int>, const void*> suites_;
  std::map<std::pair<std::string, int>, int> suites_held_;
  std::vector<SuiteRequest> suite_requests_;
  std::map<void*, size_t> blocks_;  // AllocateBlock memory still held

  std::vector<std::string> problems_;
  std::vector<std::string> messages_;
  int ansi_truncations_ = 0;
  int platform_data_calls_ = 0;
};

}  // namespace qvhost

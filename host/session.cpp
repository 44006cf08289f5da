// The host session: sending commands, keeping the sequence and global handles between
// them, checking the effect's identity against its PiPL, and the parameter values.
#include "host/session.h"

#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "host/module.h"
#include "host/sdk_names.h"
#include "host/session_callbacks.h"

namespace qvhost {

namespace {
// The host's application id, 'FXTC'.
constexpr A_long kApplicationId = 0x46585443;
// The interface version this host speaks, as the effect's PiPL declares it (13.2).
constexpr PF_SpecVersion kSpecVersion = {13, 2};
// Default timing: frame 0 of a 30 frames a second composition one second long.
constexpr A_u_long kTimeScale = 30;
}  // namespace

Session::Session(std::shared_ptr<const Module> module)
    : module_(std::move(module)), entry_(module_->entry()), pipl_(module_->pipl()) {
  InitRecords();
}

Session::Session(PF_EntryPoint entry, Pipl pipl) : entry_(entry), pipl_(std::move(pipl)) {
  if (!entry_) throw std::invalid_argument("a session needs an entry point");
  InitRecords();
}

Session::~Session() {
  for (auto& block : blocks_) std::free(block.first);
}

void Session::InitRecords() {
  std::memset(&in_data_, 0, sizeof in_data_);
  std::memset(&out_data_, 0, sizeof out_data_);
  std::memset(&utils_, 0, sizeof utils_);
  std::memset(&basic_suite_, 0, sizeof basic_suite_);
  std::memset(&input_layer_, 0, sizeof input_layer_);
  SessionCallbacks::Install(this);

  in_data_.utils = &utils_;
  in_data_.effect_ref = reinterpret_cast<PF_ProgPtr>(this);
  in_data_.pica_basicP = &basic_suite_;
  in_data_.quality = PF_Quality_HI;
  in_data_.version = kSpecVersion;
  in_data_.appl_id = kApplicationId;
  in_data_.current_time = 0;
  in_data_.time_step = 1;
  in_data_.local_time_step = 1;
  in_data_.total_time = static_cast<A_long>(kTimeScale);
  in_data_.time_scale = kTimeScale;
  in_data_.downsample_x = PF_RationalScale{1, 1};
  in_data_.downsample_y = PF_RationalScale{1, 1};
  in_data_.pixel_aspect_ratio = PF_RationalScale{1, 1};
  ResetValues();
}

void Session::SetLayerSize(int width, int height) {
  in_data_.width = width;
  in_data_.height = height;
  in_data_.extent_hint = PF_Rect{0, 0, width, height};
}

// ---- Commands ---------------------------------------------------------------------------

PF_Err Session::Send(PF_Cmd cmd, PF_LayerDef* output, void* extra) {
  SessionCallbacks::Scope scope(this);
  BeforeCommand(cmd);
  PF_Cmd outer = current_cmd_;
  current_cmd_ = cmd;
  PF_Err err = entry_(cmd, &in_data_, &out_data_, param_pointers_.data(), output, extra);
  current_cmd_ = outer;
  AfterCommand(cmd, err);
  return err;
}

void Session::BeforeCommand(PF_Cmd cmd) {
  out_data_.return_msg[0] = '\0';
  switch (cmd) {
    case PF_Cmd_PARAMS_SETUP:
      definitions_.clear();
      add_param_indices_.clear();
      add_param_calls_ = 0;
      custom_ui_.reset();
      register_ui_calls_ = 0;
      break;
    case PF_Cmd_SEQUENCE_SETUP:
      out_data_.sequence_data = nullptr;
      break;
    case PF_Cmd_SEQUENCE_RESETUP:
    case PF_Cmd_SEQUENCE_FLATTEN:
    case PF_Cmd_SEQUENCE_SETDOWN:
      out_data_.sequence_data = in_data_.sequence_data;
      break;
    default: break;
  }
}

void Session::AfterCommand(PF_Cmd cmd, PF_Err err) {
  // The host shows the effect's message once and takes the request back.
  if (out_data_.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE) {
    size_t n = strnlen(out_data_.return_msg, sizeof out_data_.return_msg);
    if (n == sizeof out_data_.return_msg) Problem("return_msg is not NUL-terminated");
    messages_.emplace_back(out_data_.return_msg, n);
    out_data_.out_flags &= ~PF_OutFlag_DISPLAY_ERROR_MESSAGE;
  }
  switch (cmd) {
    case PF_Cmd_GLOBAL_SETUP:
      in_data_.global_data = out_data_.global_data;
      if (err == PF_Err_NONE) CheckIdentity();
      break;
    case PF_Cmd_GLOBAL_SETDOWN:
      in_data_.global_data = nullptr;
      out_data_.global_data = nullptr;
      break;
    case PF_Cmd_PARAMS_SETUP:
      if (err == PF_Err_NONE) {
        A_long expected = static_cast<A_long>(definitions_.size()) + 1;
        if (out_data_.num_params != expected)
          Problem("num_params is " + std::to_string(out_data_.num_params) + " but " +
                  std::to_string(definitions_.size()) + " parameters were added (expected " +
                  std::to_string(expected) + " with the input layer)");
        in_data_.num_params = static_cast<A_long>(definitions_.size()) + 1;
      } else {
        in_data_.num_params = 0;  // the effect cannot be applied
      }
      ResetValues();
      break;
    case PF_Cmd_SEQUENCE_SETUP:
    case PF_Cmd_SEQUENCE_RESETUP:
    case PF_Cmd_SEQUENCE_FLATTEN:  // the flat data, handed back at resetup
      in_data_.sequence_data = out_data_.sequence_data;
      break;
    case PF_Cmd_SEQUENCE_SETDOWN:
      in_data_.sequence_data = nullptr;
      out_data_.sequence_data = nullptr;
      break;
    default: break;
  }
}

void Session::CheckIdentity() {
  auto version = pipl_.Long("eVER");
  auto flags = pipl_.Long("eGLO");
  if (!version)
    Problem("the PiPL has no effect version (eVER) to compare my_version with");
  else if (*version != out_data_.my_version)
    Problem("my_version " + Hex32(out_data_.my_version) + " (" +
            DescribeVersion(out_data_.my_version) + ") differs from the PiPL's eVER " +
            Hex32(*version) + " (" + DescribeVersion(*version) + ")");
  if (!flags)
    Problem("the PiPL has no global out flags (eGLO) to compare out_flags with");
  else if (*flags != static_cast<uint32_t>(out_data_.out_flags))
    Problem("out_flags " + Hex32(static_cast<uint32_t>(out_data_.out_flags)) +
            " differ from the PiPL's eGLO " + Hex32(*flags) + ": only in out_flags: " +
            OutFlagNames(static_cast<uint32_t>(out_data_.out_flags) & ~*flags) +
            "; only in the PiPL: " +
            OutFlagNames(*flags & ~static_cast<uint32_t>(out_data_.out_flags)));
}

PF_Err Session::GlobalSetup() { return Send(PF_Cmd_GLOBAL_SETUP); }
PF_Err Session::GlobalSetdown() { return Send(PF_Cmd_GLOBAL_SETDOWN); }
PF_Err Session::ParamsSetup() { return Send(PF_Cmd_PARAMS_SETUP); }
PF_Err Session::SequenceSetup() { return Send(PF_Cmd_SEQUENCE_SETUP); }
PF_Err Session::SequenceResetup() { return Send(PF_Cmd_SEQUENCE_RESETUP); }
PF_Err Session::SequenceFlatten() { return Send(PF_Cmd_SEQUENCE_FLATTEN); }
PF_Err Session::SequenceSetdown() { return Send(PF_Cmd_SEQUENCE_SETDOWN); }
PF_Err Session::About() { return Send(PF_Cmd_ABOUT); }
PF_Err Session::Render(PF_LayerDef* output) { return Send(PF_Cmd_RENDER, output); }
PF_Err Session::Event(PF_EventExtra* extra) { return Send(PF_Cmd_EVENT, nullptr, extra); }

// ---- Parameter values -------------------------------------------------------------------

namespace {

// A definition turned into the value the host passes: value = default.
PF_ParamDef ValueFromDefinition(const PF_ParamDef& def, A_long layer_width,
                                A_long layer_height) {
  PF_ParamDef v = def;
  PF_ParamDefUnion& u = v.u;
  switch (def.param_type) {
    case PF_Param_SLIDER: u.sd.value = u.sd.dephault; break;
    case PF_Param_FIX_SLIDER: u.fd.value = u.fd.dephault; break;
    case PF_Param_ANGLE: u.ad.value = u.ad.dephault; break;
    case PF_Param_CHECKBOX: u.bd.value = u.bd.dephault; break;
    case PF_Param_COLOR: u.cd.value = u.cd.dephault; break;
    case PF_Param_POPUP: u.pd.value = u.pd.dephault; break;
    case PF_Param_POINT:
      // Point defaults are percentages of the layer; values are layer pixels (16.16).
      u.td.x_value = static_cast<PF_Fixed>(int64_t{u.td.x_dephault} * layer_width / 100);
      u.td.y_value = static_cast<PF_Fixed>(int64_t{u.td.y_dephault} * layer_height / 100);
      break;
    case PF_Param_LAYER: {
      // The array carries no world for a layer parameter: the effect checks it out.
      A_long dephault = u.ld.dephault;
      std::memset(&u.ld, 0, sizeof u.ld);
      u.ld.dephault = dephault;
      break;
    }
    default: break;
  }
  return v;
}

}  // namespace

void Session::ResetValues() {
  values_.clear();
  PF_ParamDef input;
  std::memset(&input, 0, sizeof input);
  input.param_type = PF_Param_LAYER;
  input.u.ld = input_layer_;
  values_.push_back(input);
  if (in_data_.num_params > 0) {
    for (const PF_ParamDef& def : definitions_)
      values_.push_back(ValueFromDefinition(def, in_data_.width, in_data_.height));
  }
  RebuildParamPointers();
}

void Session::RebuildParamPointers() {
  param_pointers_.clear();
  for (PF_ParamDef& v : values_) param_pointers_.push_back(&v);
  param_pointers_.push_back(nullptr);  // never read; keeps data() valid and terminated
}

PF_ParamDef& Session::value(int index) {
  if (index < 0 || static_cast<size_t>(index) >= values_.size())
    throw std::out_of_range("no parameter " + std::to_string(index) + " (there are " +
                            std::to_string(values_.size()) + ")");
  return values_[static_cast<size_t>(index)];
}

void Session::SetInputLayer(const PF_LayerDef& world) {
  input_layer_ = world;
  values_[0].u.ld = world;
}

void Session::ClearCallRecords() {
  checkouts_.clear();
  checkins_.clear();
  suite_requests_.clear();
}

// ---- Suites -----------------------------------------------------------------------------

void Session::ProvideSuite(const std::string& name, int version, const void* suite) {
  suites_[{name, version}] = suite;
}

int Session::suites_held() const {
  int held = 0;
  for (const auto& s : suites_held_) held += s.second;
  return held;
}

}  // namespace qvhost

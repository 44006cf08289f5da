// The host's side of the callbacks: parameter definitions and check-outs, the panel
// registration, memory handles, platform data, bounded ANSI string output and the suite
// broker. Each reaches the session sending the current command; a callback made outside
// a command, or with another session's effect_ref, is refused.
#include "host/session_callbacks.h"

#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qvhost {

namespace {

thread_local Session* t_current = nullptr;

// The current session when `effect_ref` is its own, else null.
Session* Owner(PF_ProgPtr effect_ref) {
  Session* s = t_current;
  return s && effect_ref == s->in_data().effect_ref ? s : nullptr;
}

// How many bytes an unsized ANSI output may write at `buffer`.
size_t AnsiBound(const char* buffer) {
  if (Session* s = t_current) {
    auto begin = reinterpret_cast<uintptr_t>(s->out_data().return_msg);
    auto end = begin + sizeof s->out_data().return_msg;
    auto at = reinterpret_cast<uintptr_t>(buffer);
    if (at >= begin && at < end) return end - at;
  }
  return kAnsiBufferBytes;
}

}  // namespace

Session* SessionCallbacks::Current() { return t_current; }

SessionCallbacks::Scope::Scope(Session* session) : previous_(t_current) { t_current = session; }
SessionCallbacks::Scope::~Scope() { t_current = previous_; }

void SessionCallbacks::Install(Session* s) {
  PF_InteractCallbacks& inter = s->in_data_.inter;
  inter.checkout_param = CheckoutParam;
  inter.checkin_param = CheckinParam;
  inter.add_param = AddParam;
  inter.abort = Abort;
  inter.progress = Progress;
  inter.register_ui = RegisterUi;

  PF_UtilCallbacks& utils = s->utils_;
  utils.host_new_handle = NewHandle;
  utils.host_lock_handle = LockHandle;
  utils.host_unlock_handle = UnlockHandle;
  utils.host_dispose_handle = DisposeHandle;
  utils.get_platform_data = GetPlatformData;
  PF_ANSICallbacks& ansi = utils.ansi;
  ansi.atan = [](double x) { return std::atan(x); };
  ansi.atan2 = [](double y, double x) { return std::atan2(y, x); };
  ansi.ceil = [](double x) { return std::ceil(x); };
  ansi.cos = [](double x) { return std::cos(x); };
  ansi.exp = [](double x) { return std::exp(x); };
  ansi.fabs = [](double x) { return std::fabs(x); };
  ansi.floor = [](double x) { return std::floor(x); };
  ansi.fmod = [](double x, double y) { return std::fmod(x, y); };
  ansi.hypot = [](double x, double y) { return std::hypot(x, y); };
  ansi.log = [](double x) { return std::log(x); };
  ansi.log10 = [](double x) { return std::log10(x); };
  ansi.pow = [](double x, double y) { return std::pow(x, y); };
  ansi.sin = [](double x) { return std::sin(x); };
  ansi.sqrt = [](double x) { return std::sqrt(x); };
  ansi.tan = [](double x) { return std::tan(x); };
  ansi.sprintf = Sprintf;
  ansi.strcpy = Strcpy;
  ansi.asin = [](double x) { return std::asin(x); };
  ansi.acos = [](double x) { return std::acos(x); };

  SPBasicSuite& basic = s->basic_suite_;
  basic.AcquireSuite = AcquireSuite;
  basic.ReleaseSuite = ReleaseSuite;
  basic.IsEqual = IsEqual;
  basic.AllocateBlock = AllocateBlock;
  basic.FreeBlock = FreeBlock;
  basic.ReallocateBlock = ReallocateBlock;
  basic.Undefined = Undefined;
}

// ---- Interaction callbacks --------------------------------------------------------------

PF_Err SessionCallbacks::CheckoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index,
                                       A_long what_time, A_long time_step,
                                       A_u_long time_scale, PF_ParamDef* param) {
  Session* s = Owner(effect_ref);
  if (!s) return PF_Err_BAD_CALLBACK_PARAM;
  auto result = [&](PF_Err err) {
    s->checkouts_.push_back({index, what_time, time_step, time_scale, err});
    return err;
  };
  if (!param) {
    s->Problem("checkout_param of parameter " + std::to_string(index) + " into a null record");
    return result(PF_Err_BAD_CALLBACK_PARAM);
  }
  auto failure = s->checkout_failures_.find(index);
  if (failure != s->checkout_failures_.end()) return result(failure->second);
  if (index < 0 || static_cast<size_t>(index) >= s->values_.size())
    return result(PF_Err_INVALID_INDEX);

  PF_ParamDef copy = s->values_[static_cast<size_t>(index)];
  if (copy.param_type == PF_Param_LAYER) {
    if (index == 0) {
      copy.u.ld = s->input_layer_;
    } else {
      auto layer = s->layers_.find(index);
      if (layer == s->layers_.end()) return result(PF_Err_BAD_CALLBACK_PARAM);  // none set
      copy.u.ld = layer->second;
    }
  }
  if (s->outstanding_.count(param))
    s->Problem("checkout_param into a record still checked out (parameter " +
               std::to_string(s->outstanding_[param]) + ")");
  *param = copy;
  s->outstanding_[param] = index;
  return result(PF_Err_NONE);
}

PF_Err SessionCallbacks::CheckinParam(PF_ProgPtr effect_ref, PF_ParamDef* param) {
  Session* s = Owner(effect_ref);
  if (!s) return PF_Err_BAD_CALLBACK_PARAM;
  if (!param) {
    s->Problem("checkin_param of a null record");
    s->checkins_.push_back(-1);
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  PF_ParamIndex index = -1;
  auto it = s->outstanding_.find(param);
  if (it != s->outstanding_.end()) {
    index = it->second;
    s->outstanding_.erase(it);
  }
  s->checkins_.push_back(index);
  auto failure = s->checkin_failures_.find(index);
  if (failure != s->checkin_failures_.end()) return failure->second;
  // A record that was never (successfully) checked out: the host knows nothing of it.
  return index < 0 ? PF_Err_BAD_CALLBACK_PARAM : PF_Err_NONE;
}

PF_Err SessionCallbacks::AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index,
                                  PF_ParamDefPtr def) {
  Session* s = Owner(effect_ref);
  if (!s) return PF_Err_BAD_CALLBACK_PARAM;
  s->add_param_indices_.push_back(index);
  int call = ++s->add_param_calls_;
  if (s->current_cmd_ != PF_Cmd_PARAMS_SETUP) {
    s->Problem("add_param outside parameter setup (command " +
               std::to_string(s->current_cmd_) + ")");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (s->refuse_add_param_.first == call) return s->refuse_add_param_.second;
  if (!def) {
    s->Problem("add_param " + std::to_string(call) + " with a null definition");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (index != -1)
    s->Problem("add_param " + std::to_string(call) + " with index " + std::to_string(index) +
               " (this host appends: -1)");
  if (!std::memchr(def->name, 0, sizeof def->name))
    s->Problem("add_param " + std::to_string(call) + ": name is not NUL-terminated");
  s->definitions_.push_back(*def);
  return PF_Err_NONE;
}

PF_Err SessionCallbacks::Abort(PF_ProgPtr effect_ref) {
  return Owner(effect_ref) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err SessionCallbacks::Progress(PF_ProgPtr effect_ref, A_long, A_long) {
  return Owner(effect_ref) ? PF_Err_NONE : PF_Err_BAD_CALLBACK_PARAM;
}

PF_Err SessionCallbacks::RegisterUi(PF_ProgPtr effect_ref, PF_CustomUIInfo* info) {
  Session* s = Owner(effect_ref);
  if (!s) return PF_Err_BAD_CALLBACK_PARAM;
  ++s->register_ui_calls_;
  if (!info) {
    s->Problem("register_ui with a null record");
    return PF_Err_BAD_CALLBACK_PARAM;
  }
  if (s->current_cmd_ != PF_Cmd_PARAMS_SETUP)
    s->Problem("register_ui outside parameter setup");
  s->custom_ui_ = *info;
  return PF_Err_NONE;
}

// ---- Utility callbacks ------------------------------------------------------------------

PF_Handle SessionCallbacks::NewHandle(A_u_longlong size) {
  Session* s = t_current;
  return s ? s->handles_.New(size) : nullptr;
}

void* SessionCallbacks::LockHandle(PF_Handle handle) {
  Session* s = t_current;
  return s ? s->handles_.Lock(handle) : nullptr;
}

void SessionCallbacks::UnlockHandle(PF_Handle handle) {
  if (Session* s = t_current) s->handles_.Unlock(handle);
}

void SessionCallbacks::DisposeHandle(PF_Handle handle) {
  if (Session* s = t_current) s->handles_.Dispose(handle);
}

PF_Err SessionCallbacks::GetPlatformData(PF_ProgPtr effect_ref, PF_PlatDataID which,
                                         void* data) {
  Session* s = Owner(effect_ref);
  if (!s) return PF_Err_BAD_CALLBACK_PARAM;
  ++s->platform_data_calls_;
  if (!data || which != PF_PlatData_MAIN_WND) return PF_Err_BAD_CALLBACK_PARAM;
  *static_cast<void**>(data) = s->main_window_;
  return PF_Err_NONE;
}

int SessionCallbacks::Sprintf(A_char* buffer, const A_char* format, ...) {
  if (!buffer || !format) return -1;
  size_t bound = AnsiBound(buffer);
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, bound, format, args);
  va_end(args);
  if (n < 0) {
    buffer[0] = '\0';
    return n;
  }
  if (static_cast<size_t>(n) >= bound) {
    if (Session* s = t_current) ++s->ansi_truncations_;
    return static_cast<int>(bound - 1);
  }
  return n;
}

A_char* SessionCallbacks::Strcpy(A_char* dest, const A_char* source) {
  if (!dest) return dest;
  if (!source) source = "";
  size_t bound = AnsiBound(dest);
  size_t n = std::strlen(source);
  if (n >= bound) {
    n = bound - 1;
    if (Session* s = t_current) ++s->ansi_truncations_;
  }
  std::memmove(dest, source, n);
  dest[n] = '\0';
  return dest;
}

// ---- SP basic suite ---------------------------------------------------------------------

SPErr SessionCallbacks::AcquireSuite(const char* name, int version, const void** suite) {
  if (suite) *suite = nullptr;
  Session* s = t_current;
  if (!s || !name || !suite) return kSPBadParameterError;
  auto key = std::make_pair(std::string(name), version);
  auto found = s->suites_.find(key);
  SPErr result = found == s->suites_.end() ? kSPSuiteNotFoundError : kSPNoError;
  if (result == kSPNoError) {
    *suite = found->second;
    ++s->suites_held_[key];
  }
  s->suite_requests_.push_back({key.first, version, result});
  return result;
}

SPErr SessionCallbacks::ReleaseSuite(const char* name, int version) {
  Session* s = t_current;
  if (!s || !name) return kSPBadParameterError;
  auto held = s->suites_held_.find({std::string(name), version});
  if (held == s->suites_held_.end() || held->second == 0) {
    s->Problem("ReleaseSuite of \"" + std::string(name) + "\" version " + std::to_string(version) +
               ", which the effect does not hold");
    return kSPSuiteNotFoundError;
  }
  --held->second;
  return kSPNoError;
}

int SessionCallbacks::IsEqual(const char* token1, const char* token2) {
  return token1 && token2 && std::strcmp(token1, token2) == 0;
}

SPErr SessionCallbacks::AllocateBlock(size_t size, void** block) {
  Session* s = t_current;
  if (!s || !block) return kSPBadParameterError;
  *block = std::malloc(size == 0 ? 1 : size);
  if (!*block) return kSPBadParameterError;
  s->blocks_[*block] = size;
  return kSPNoError;
}

SPErr SessionCallbacks::FreeBlock(void* block) {
  Session* s = t_current;
  if (!s) return kSPBadParameterError;
  auto it = s->blocks_.find(block);
  if (it == s->blocks_.end()) return kSPBadParameterError;
  std::free(block);
  s->blocks_.erase(it);
  return kSPNoError;
}

SPErr SessionCallbacks::ReallocateBlock(void* block, size_t new_size, void** new_block) {
  Session* s = t_current;
  if (!s || !new_block) return kSPBadParameterError;
  if (!block) return AllocateBlock(new_size, new_block);
  auto it = s->blocks_.find(block);
  if (it == s->blocks_.end()) return kSPBadParameterError;
  void* moved = std::realloc(block, new_size == 0 ? 1 : new_size);
  if (!moved) return kSPBadParameterError;
  s->blocks_.erase(it);
  s->blocks_[moved] = new_size;
  *new_block = moved;
  return kSPNoError;
}

SPErr SessionCallbacks::Undefined() { return kSPBadParameterError; }

}  // namespace qvhost

// Test helper: the host's handle services for sequence commands, with handles made and
// counted by the test, and the in_data / out_data records it fills.
#pragma once

#include <cstdlib>
#include <cstring>

#include "platform/sdk/ae_sdk.h"

struct FakeSequenceHost {
  static int live_handles;
  static int locks;
  static bool refuse_handles;

  static PF_Handle NewHandle(A_u_longlong size) {
    if (refuse_handles) return nullptr;
    void** h = static_cast<void**>(std::malloc(sizeof(void*)));
    *h = std::calloc(1, static_cast<size_t>(size));
    ++live_handles;
    return h;
  }
  static void* Lock(PF_Handle h) {
    ++locks;
    return h ? *h : nullptr;
  }
  static void Unlock(PF_Handle) {}
  static void Dispose(PF_Handle h) {
    if (!h) return;
    std::free(*h);
    std::free(h);
    --live_handles;
  }

  PF_UtilCallbacks utils;
  PF_InData in;
  PF_OutData out;

  FakeSequenceHost() {
    std::memset(&utils, 0, sizeof utils);
    std::memset(&in, 0, sizeof in);
    std::memset(&out, 0, sizeof out);
    utils.host_new_handle = NewHandle;
    utils.host_lock_handle = Lock;
    utils.host_unlock_handle = Unlock;
    utils.host_dispose_handle = Dispose;
    in.utils = &utils;
    live_handles = locks = 0;
    refuse_handles = false;
  }
  // The host passes the handle it was given back in in_data.
  void Keep() { in.sequence_data = out.sequence_data; }
};

inline int FakeSequenceHost::live_handles = 0;
inline int FakeSequenceHost::locks = 0;
inline bool FakeSequenceHost::refuse_handles = false;

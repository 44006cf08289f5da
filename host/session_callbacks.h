// The host's side of every callback the session hands over (interaction, utility, ANSI,
// SP basic suite). Callbacks that carry no effect_ref (handles, ANSI, suites) reach the
// session that is sending the current command on this thread.
#pragma once

#include "host/session.h"

namespace qvhost {

struct SessionCallbacks {
  // Fills the callback tables of the session's records.
  static void Install(Session* session);

  // The session whose command is running on this thread, or null.
  static Session* Current();

  // Interaction callbacks (in PF_InData::inter).
  static PF_Err CheckoutParam(PF_ProgPtr effect_ref, PF_ParamIndex index, A_long what_time,
                              A_long time_step, A_u_long time_scale, PF_ParamDef* param);
  static PF_Err CheckinParam(PF_ProgPtr effect_ref, PF_ParamDef* param);
  static PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  static PF_Err Abort(PF_ProgPtr effect_ref);
  static PF_Err Progress(PF_ProgPtr effect_ref, A_long current, A_long total);
  static PF_Err RegisterUi(PF_ProgPtr effect_ref, PF_CustomUIInfo* info);

  // Utility callbacks (behind PF_InData::utils).
  static PF_Handle NewHandle(A_u_longlong size);
  static void* LockHandle(PF_Handle handle);
  static void UnlockHandle(PF_Handle handle);
  static void DisposeHandle(PF_Handle handle);
  static PF_Err GetPlatformData(PF_ProgPtr effect_ref, PF_PlatDataID which, void* data);
  static int Sprintf(A_char* buffer, const A_char* format, ...);
  static A_char* Strcpy(A_char* dest, const A_char* source);

  // The SP basic suite (behind PF_InData::pica_basicP).
  static SPErr AcquireSuite(const char* name, int version, const void** suite);
  static SPErr ReleaseSuite(const char* name, int version);
  static int IsEqual(const char* token1, const char* token2);
  static SPErr AllocateBlock(size_t size, void** block);
  static SPErr FreeBlock(void* block);
  static SPErr ReallocateBlock(void* block, size_t new_size, void** new_block);
  static SPErr Undefined();

  // Makes `session` current for the lifetime of the scope (commands may nest).
  class Scope {
   public:
    explicit Scope(Session* session);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Session* previous_;
  };
};

}  // namespace qvhost

// The shell's "open" verb: ShellExecuteA on Windows; natively only a recorder sees it.
#include "platform/os/shell_open.h"

#if defined(_WIN32)
#include <windows.h>
#include <shellapi.h>
#endif

namespace {
ShellOpenRecorder g_recorder = nullptr;
}

void SetShellOpenRecorder(ShellOpenRecorder recorder) { g_recorder = recorder; }

void ShellOpen(void* parent, const char* target) {
  if (!target || !*target) return;
  if (g_recorder) {
    g_recorder(parent, target);
    return;
  }
#if defined(_WIN32)
  ShellExecuteA(static_cast<HWND>(parent), "open", target, nullptr, nullptr, SW_SHOW);
#else
  (void)parent;
#endif
}

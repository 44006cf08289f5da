// Module identity: DllMain records the handle on Windows; natively dladdr finds the
// shared object that holds this code.
#include "platform/os/module_handle.h"

#include <string.h>

#if defined(_WIN32)
#include <windows.h>

namespace {
HMODULE g_module = nullptr;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

void* ModuleHandle() {
  if (!g_module) {
    // Linked into a program rather than loaded as the module: find the image holding us.
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ModuleHandle), &g_module);
  }
  return g_module;
}

size_t ModuleFilePath(char* buffer, size_t capacity) {
  if (!buffer || capacity == 0) return 0;
  DWORD n = GetModuleFileNameA(static_cast<HMODULE>(ModuleHandle()), buffer,
                               static_cast<DWORD>(capacity));
  if (n == 0 || n >= capacity) {  // unknown, or cut short
    buffer[0] = '\0';
    return 0;
  }
  return n;
}

#else
#include <dlfcn.h>

void* ModuleHandle() {
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ModuleHandle), &info) == 0) return nullptr;
  return info.dli_fbase;
}

size_t ModuleFilePath(char* buffer, size_t capacity) {
  if (!buffer || capacity == 0) return 0;
  buffer[0] = '\0';
  Dl_info info;
  if (dladdr(reinterpret_cast<void*>(&ModuleFilePath), &info) == 0 || !info.dli_fname)
    return 0;
  size_t n = strlen(info.dli_fname);
  if (n >= capacity) return 0;
  memcpy(buffer, info.dli_fname, n + 1);
  return n;
}
#endif

// Where the command line host finds the module by default: the plug-in folder beside it.
#include <string>

#include "host/cli/commands.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>
#endif

namespace {

std::string ProgramFolder() {
#if defined(_WIN32)
  char path[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string s = (n > 0 && n < MAX_PATH) ? std::string(path, n) : std::string();
  size_t cut = s.find_last_of("\\/");
#else
  char path[PATH_MAX];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string s = n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
  size_t cut = s.find_last_of('/');
#endif
  return cut == std::string::npos ? std::string(".") : s.substr(0, cut);
}

}  // namespace

std::string DefaultModulePath() {
#if defined(_WIN32)
  return ProgramFolder() + "\\plugin\\" QUORVEL_DEFAULT_MODULE;
#else
  return ProgramFolder() + "/plugin/" QUORVEL_DEFAULT_MODULE;
#endif
}

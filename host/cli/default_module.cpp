// Where the command line host finds the module by default: the plug-in folder beside it
// (a build), or natively the package's folder lib/quorvel/ under the prefix of the bin/
// folder it lies in (an installed program, /usr/bin/quorvel).
#include <string>

#include "host/cli/commands.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <limits.h>
#include <unistd.h>

#include <filesystem>
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
  const std::string folder = ProgramFolder();
  const std::string beside = folder + "/plugin/" QUORVEL_DEFAULT_MODULE;
  const size_t cut = folder.find_last_of('/');
  if (cut == std::string::npos || folder.substr(cut) != "/bin") return beside;
  const std::string installed = folder.substr(0, cut) + "/lib/quorvel/" QUORVEL_DEFAULT_MODULE;
  std::error_code ignored;
  return std::filesystem::exists(beside, ignored) || !std::filesystem::exists(installed, ignored)
             ? beside
             : installed;
#endif
}

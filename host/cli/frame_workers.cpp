// Worker processes of `quorvel render --jobs N`: the split of a frame range and the start
// of one process of this program per part (posix_spawn natively, CreateProcess on Windows).
#include "host/cli/frame_workers.h"

#if defined(_WIN32)
#include <windows.h>

#include "host/wide_text.h"
#else
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char** environ;
#endif

std::vector<FrameRange> SplitFrames(int first, int last, int parts) {
  std::vector<FrameRange> ranges;
  const int count = last - first + 1;
  if (count <= 0 || parts <= 0) return ranges;
  if (parts > count) parts = count;
  int start = first;
  for (int i = 0; i < parts; ++i) {
    const int size = count / parts + (i < count % parts ? 1 : 0);
    ranges.push_back(FrameRange{start, start + size - 1});
    start += size;
  }
  return ranges;
}

#if defined(_WIN32)
namespace {

// One argument quoted the way the C runtime splits a command line: backslashes are literal
// except before a quote, where they and the quote are escaped.
std::wstring Quote(const std::wstring& arg) {
  std::wstring out = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(2 * backslashes, L'\\');
  out.push_back(L'"');
  return out;
}

}  // namespace

int RunWorkers(const std::vector<std::vector<std::string>>& argument_lists) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  std::vector<HANDLE> processes;
  std::vector<int> codes(argument_lists.size(), 1);
  for (size_t i = 0; i < argument_lists.size(); ++i) {
    std::wstring line = Quote(self);
    for (const std::string& a : argument_lists[i]) line += L" " + Quote(qvhost::WidenUtf8(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(self, &line[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                        &info)) {
      processes.push_back(nullptr);
      continue;
    }
    CloseHandle(info.hThread);
    processes.push_back(info.hProcess);
  }
  for (size_t i = 0; i < processes.size(); ++i) {
    if (!processes[i]) continue;
    WaitForSingleObject(processes[i], INFINITE);
    DWORD code = 1;
    if (GetExitCodeProcess(processes[i], &code)) codes[i] = static_cast<int>(code);
    CloseHandle(processes[i]);
  }
  for (int code : codes)
    if (code != 0) return code;
  return 0;
}

#else

int RunWorkers(const std::vector<std::vector<std::string>>& argument_lists) {
  static const char kSelf[] = "/proc/self/exe";
  std::vector<pid_t> pids;
  for (const std::vector<std::string>& args : argument_lists) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(kSelf));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, kSelf, nullptr, nullptr, argv.data(), environ) != 0) pid = -1;
    pids.push_back(pid);
  }
  int result = 0;
  for (pid_t pid : pids) {
    int code = 1;
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status))
      code = WEXITSTATUS(status);
    if (result == 0) result = code;
  }
  return result;
}

#endif

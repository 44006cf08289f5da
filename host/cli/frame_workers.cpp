// Worker processes of `quorvel render --jobs N`: the split of a frame range, the start of
// one process of this program per part (fork and exec natively, CreateProcess in a job
// object on Windows), and the wait that stops the rest when one fails.
#include "host/cli/frame_workers.h"

#include <cstdio>

#if defined(_WIN32)
#include <windows.h>

#include "host/wide_text.h"
#else
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

#include "host/interrupt.h"
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

// How a worker's exit code reads: small codes as they are, exceptions in hex.
std::string Ending(DWORD code) {
  char text[32];
  std::snprintf(text, sizeof text, code > 255 ? "exit code 0x%08lX" : "exit code %lu",
                static_cast<unsigned long>(code));
  return text;
}

}  // namespace

std::string RunWorkers(const std::vector<WorkerJob>& jobs) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return "cannot find this program to start workers";
  // Closing the job (at the end, or by our own end) ends every worker still in it.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (!job) return "cannot make a job object for the workers";
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits);
  std::vector<HANDLE> running;
  std::vector<size_t> which;
  std::string failure;
  for (size_t i = 0; i < jobs.size() && failure.empty(); ++i) {
    std::wstring line = Quote(self);
    for (const std::string& a : jobs[i].arguments) line += L" " + Quote(qvhost::WidenUtf8(a));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(self, &line[0], nullptr, nullptr, TRUE, CREATE_SUSPENDED, nullptr,
                        nullptr, &startup, &info)) {
      failure = jobs[i].name + ": cannot start (error " + std::to_string(GetLastError()) + ")";
      break;
    }
    AssignProcessToJobObject(job, info.hProcess);
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    running.push_back(info.hProcess);
    which.push_back(i);
  }
  while (!running.empty() && failure.empty()) {
    const DWORD r = WaitForMultipleObjects(static_cast<DWORD>(running.size()), running.data(),
                                           FALSE, INFINITE);
    if (r >= WAIT_OBJECT_0 + running.size()) {
      failure = "cannot wait for the workers";
      break;
    }
    const size_t k = r - WAIT_OBJECT_0;
    DWORD code = 1;
    GetExitCodeProcess(running[k], &code);
    if (code != 0) failure = jobs[which[k]].name + ": " + Ending(code);
    CloseHandle(running[k]);
    running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
    which.erase(which.begin() + static_cast<std::ptrdiff_t>(k));
  }
  if (!failure.empty()) TerminateJobObject(job, 1);
  for (HANDLE process : running) {
    WaitForSingleObject(process, INFINITE);
    CloseHandle(process);
  }
  CloseHandle(job);
  return failure;
}

#else

namespace {

// How a worker ended, as its failure is reported.
std::string Ending(int status) {
  if (WIFSIGNALED(status)) {
    const int s = WTERMSIG(status);
    return "killed by signal " + std::to_string(s) + " (" + strsignal(s) + ")";
  }
  return "exit code " + std::to_string(WIFEXITED(status) ? WEXITSTATUS(status) : 1);
}

void RunWorker(void* argv) {
  char** args = static_cast<char**>(argv);
  execv(args[0], args);
  _exit(127);
}

}  // namespace

std::string RunWorkers(const std::vector<WorkerJob>& jobs) {
  static char self[] = "/proc/self/exe";
  std::vector<pid_t> running;
  std::vector<size_t> which;
  std::string failure;
  for (size_t i = 0; i < jobs.size(); ++i) {
    std::vector<char*> argv{self};
    for (const std::string& a : jobs[i].arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const pid_t pid = qvhost::StartChild(RunWorker, argv.data());
    if (pid < 0) {
      failure = jobs[i].name + ": cannot start: " + std::strerror(errno);
      break;
    }
    running.push_back(pid);
    which.push_back(i);
  }
  // The first failure stops the rest; they are still waited for, and not reported.
  bool stopped = false;
  while (!running.empty()) {
    if (!failure.empty() && !stopped) {
      for (pid_t pid : running) kill(pid, SIGTERM);
      stopped = true;
    }
    int status = 0;
    const pid_t pid = waitpid(-1, &status, 0);
    if (pid < 0) {
      if (errno == EINTR) continue;
      break;  // no child left to wait for
    }
    size_t k = 0;
    while (k < running.size() && running[k] != pid) ++k;
    if (k == running.size()) continue;  // not one of ours
    qvhost::ForgetChild(pid);
    const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!ok && failure.empty()) failure = jobs[which[k]].name + ": " + Ending(status);
    running.erase(running.begin() + static_cast<std::ptrdiff_t>(k));
    which.erase(which.begin() + static_cast<std::ptrdiff_t>(k));
  }
  return failure;
}

#endif

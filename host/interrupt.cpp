// The interrupt handlers and the records they read: fixed slots of plain memory, so that
// the handler touches nothing a signal could catch half-changed (no allocation, no locks).
#include "host/interrupt.h"

#include <atomic>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <cerrno>
#include <csignal>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qvhost {
namespace {

// Files written at once: a PNG frame being written while the next renders, or one video.
constexpr int kFileSlots = 16;
constexpr size_t kPathBytes = 4096;

enum SlotState : int { kFree, kFilling, kReady };

struct FileSlot {
  std::atomic<int> state{kFree};
  char path[kPathBytes];
};
FileSlot g_files[kFileSlots];

void RemovePendingFiles() {
  for (FileSlot& slot : g_files)
    if (slot.state.load() == kReady) {
#if defined(_WIN32)
      DeleteFileA(slot.path);
#else
      unlink(slot.path);
#endif
    }
}

#if defined(_WIN32)

BOOL WINAPI OnConsoleEvent(DWORD) {
  RemovePendingFiles();
  return FALSE;  // the default handler ends the process
}

void InstallHandlers() {
  static std::atomic<bool> installed{false};
  if (!installed.exchange(true)) SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

#else

// Worker processes (at most 64) and one ffmpeg; with the end of the pipe we feed the
// child through (-1 for none), closed first: a child blocked reading it would never see
// the stop otherwise.
constexpr int kChildSlots = 72;
std::atomic<pid_t> g_children[kChildSlots];
std::atomic<int> g_child_inputs[kChildSlots];
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnSignal(int signal_number) {
  const int saved = errno;
  for (int i = 0; i < kChildSlots; ++i)
    if (g_children[i].load() > 0 && g_child_inputs[i].load() >= 0) close(g_child_inputs[i]);
  for (std::atomic<pid_t>& child : g_children)
    if (const pid_t pid = child.load(); pid > 0) kill(pid, SIGTERM);
  for (std::atomic<pid_t>& child : g_children)
    if (const pid_t pid = child.load(); pid > 0) {
      while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
  RemovePendingFiles();
  errno = saved;
  // Ended by the signal itself, so that whoever started us sees how we ended.
  std::signal(signal_number, SIG_DFL);
  raise(signal_number);
}

void InstallHandlers() {
  static std::atomic<bool> installed{false};
  if (installed.exchange(true)) return;
  for (int s : kSignals) {
    struct sigaction action {};
    sigaction(s, nullptr, &action);
    if (action.sa_handler == SIG_IGN) continue;  // started in the background: stay so
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    for (int other : kSignals) sigaddset(&action.sa_mask, other);
    action.sa_flags = 0;
    sigaction(s, &action, nullptr);
  }
}

#endif

}  // namespace

int AddPendingFile(const std::string& path) {
  InstallHandlers();
  if (path.size() >= kPathBytes) return -1;
  for (int i = 0; i < kFileSlots; ++i) {
    int expected = kFree;
    if (!g_files[i].state.compare_exchange_strong(expected, kFilling)) continue;
    std::memcpy(g_files[i].path, path.c_str(), path.size() + 1);
    g_files[i].state.store(kReady);
    return i;
  }
  return -1;
}

void ForgetPendingFile(int slot) {
  if (slot >= 0 && slot < kFileSlots) g_files[slot].state.store(kFree);
}

#if !defined(_WIN32)

pid_t StartChild(void (*run)(void* context), void* context, int input_fd) {
  InstallHandlers();
  // Interrupts wait until the child is recorded, and the child starts with none of ours.
  sigset_t blocked, previous;
  sigemptyset(&blocked);
  for (int s : kSignals) sigaddset(&blocked, s);
  pthread_sigmask(SIG_BLOCK, &blocked, &previous);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid == 0) {
    for (int s : kSignals) {
      struct sigaction action {};
      sigaction(s, nullptr, &action);
      if (action.sa_handler == OnSignal) std::signal(s, SIG_DFL);
    }
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() != parent) _exit(127);  // the parent is already gone
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    run(context);
    _exit(127);
  }
  const int fork_error = errno;
  if (pid > 0)
    for (int i = 0; i < kChildSlots; ++i) {
      pid_t expected = 0;
      if (!g_children[i].compare_exchange_strong(expected, pid)) continue;
      g_child_inputs[i].store(input_fd);
      break;
    }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  errno = fork_error;
  return pid;
}

void ForgetChildInput(pid_t pid) {
  for (int i = 0; i < kChildSlots; ++i)
    if (g_children[i].load() == pid) g_child_inputs[i].store(-1);
}

void ForgetChild(pid_t pid) {
  ForgetChildInput(pid);
  for (std::atomic<pid_t>& child : g_children) {
    pid_t expected = pid;
    if (child.compare_exchange_strong(expected, 0)) return;
  }
}

#endif

}  // namespace qvhost

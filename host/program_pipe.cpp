// Starting a program with a pipe to its input: fork and exec natively (a child stopped with
// us), with a second, close-on-exec pipe that carries exec's error back, so that a missing
// program is known at once; _popen on Windows.
#include "host/program_pipe.h"

#include <cerrno>
#include <cstring>

#include "host/interrupt.h"

#if defined(_WIN32)
#include <cstdio>
#else
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace qvhost {

#if defined(_WIN32)

struct ProgramPipe::State {
  FILE* pipe = nullptr;
};

namespace {
// One argument for the command line _popen hands to cmd: quoted, inner quotes escaped.
std::string Quoted(const std::string& argument) {
  std::string q = "\"";
  for (char c : argument) q += c == '"' ? std::string("\\\"") : std::string(1, c);
  return q + "\"";
}
}  // namespace

ProgramPipe::ProgramPipe(const std::string& program, const std::vector<std::string>& arguments)
    : state_(std::make_unique<State>()) {
  std::string command = Quoted(program);
  for (const std::string& a : arguments) command += " " + Quoted(a);
  // cmd strips one pair of quotes around the whole line.
  state_->pipe = _popen(("\"" + command + "\"").c_str(), "wb");
  if (!state_->pipe) throw PipeError("cannot run " + program + ": " + std::strerror(errno));
}

ProgramPipe::~ProgramPipe() {
  if (state_->pipe) Close();
}

// _popen gives no handle of the program: it is waited for as it ends by itself.
void ProgramPipe::Stop() { Close(); }

void ProgramPipe::Write(const void* bytes, size_t size) {
  if (!state_->pipe || std::fwrite(bytes, 1, size, state_->pipe) != size)
    throw PipeError("the program stopped reading its input");
}

int ProgramPipe::Close() {
  if (!state_->pipe) return -1;
  const int status = _pclose(state_->pipe);
  state_->pipe = nullptr;
  return status;
}

#else

struct ProgramPipe::State {
  int fd = -1;  // our end of the program's input
  pid_t pid = -1;
};

namespace {

void CloseBoth(int fds[2]) {
  close(fds[0]);
  close(fds[1]);
}

struct ChildStart {
  int* input;
  int* report;
  char** argv;
};

// In the child: the pipe becomes standard input, then the program replaces us. When it
// cannot, errno goes back through `report` and the child ends.
void RunChild(void* context) {
  const ChildStart& c = *static_cast<ChildStart*>(context);
  dup2(c.input[0], 0);
  CloseBoth(c.input);
  close(c.report[0]);
  execvp(c.argv[0], c.argv);
  const int error = errno;
  ssize_t ignored = write(c.report[1], &error, sizeof error);
  (void)ignored;
  _exit(127);
}

}  // namespace

ProgramPipe::ProgramPipe(const std::string& program, const std::vector<std::string>& arguments)
    : state_(std::make_unique<State>()) {
  std::vector<std::string> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  int input[2], report[2];
  if (pipe(input) != 0) throw PipeError(std::string("cannot make a pipe: ") + std::strerror(errno));
  if (pipe2(report, O_CLOEXEC) != 0) {
    CloseBoth(input);
    throw PipeError(std::string("cannot make a pipe: ") + std::strerror(errno));
  }
  fcntl(input[1], F_SETFD, FD_CLOEXEC);  // the child keeps only its end
  // A program that stops reading must not end us with SIGPIPE: writes report EPIPE.
  signal(SIGPIPE, SIG_IGN);
  ChildStart start{input, report, argv.data()};
  const pid_t pid = StartChild(RunChild, &start, input[1]);
  const int start_error = errno;
  close(input[0]);
  close(report[1]);
  if (pid < 0) {
    close(input[1]);
    close(report[0]);
    throw PipeError(std::string("cannot start ") + program + ": " + std::strerror(start_error));
  }
  int error = 0;
  ssize_t n;
  do n = read(report[0], &error, sizeof error); while (n < 0 && errno == EINTR);
  close(report[0]);
  state_->fd = input[1];
  state_->pid = pid;
  if (n == sizeof error) {  // exec failed: the child has ended
    Close();
    throw PipeError("cannot run " + program + ": " + std::strerror(error));
  }
}

ProgramPipe::~ProgramPipe() {
  if (state_->pid > 0) Stop();
}

void ProgramPipe::Write(const void* bytes, size_t size) {
  const char* p = static_cast<const char*>(bytes);
  while (size > 0) {
    const ssize_t n = state_->fd < 0 ? -1 : write(state_->fd, p, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) throw PipeError("the program stopped reading its input");
    p += n;
    size -= static_cast<size_t>(n);
  }
}

int ProgramPipe::Close() {
  if (state_->pid > 0) ForgetChildInput(state_->pid);
  if (state_->fd >= 0) close(state_->fd);
  state_->fd = -1;
  if (state_->pid <= 0) return -1;
  int status = 0;
  pid_t r;
  do r = waitpid(state_->pid, &status, 0); while (r < 0 && errno == EINTR);
  ForgetChild(state_->pid);
  state_->pid = -1;
  return r > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ProgramPipe::Stop() {
  if (state_->pid > 0) kill(state_->pid, SIGTERM);
  Close();
}

#endif

}  // namespace qvhost

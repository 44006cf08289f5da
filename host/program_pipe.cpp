// Starting a program with a pipe to its input or from its output: fork and exec natively (a
// child stopped with us), with a second, close-on-exec pipe that carries exec's error back,
// so that a missing program is known at once; _popen on Windows.
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

ProgramPipe::ProgramPipe(const std::string& program, const std::vector<std::string>& arguments,
                         Direction direction)
    : state_(std::make_unique<State>()) {
  std::string command = Quoted(program);
  for (const std::string& a : arguments) command += " " + Quoted(a);
  // cmd strips one pair of quotes around the whole line.
  state_->pipe = _popen(("\"" + command + "\"").c_str(),
                        direction == Direction::kToInput ? "wb" : "rb");
  if (!state_->pipe) throw PipeError("cannot run " + program + ": " + std::strerror(errno));
}

ProgramPipe::~ProgramPipe() {
  if (state_->pipe) Close();
}

void ProgramPipe::Write(const void* bytes, size_t size) {
  if (!state_->pipe || std::fwrite(bytes, 1, size, state_->pipe) != size)
    throw PipeError("the program stopped reading its input");
}

// _popen gives no handle of the program: it is waited for as it ends by itself.
void ProgramPipe::Stop() { Close(); }

size_t ProgramPipe::Read(void* bytes, size_t size) {
  if (!state_->pipe) throw PipeError("the program's output is closed");
  const size_t n = std::fread(bytes, 1, size, state_->pipe);
  if (n < size && std::ferror(state_->pipe)) throw PipeError("cannot read the program's output");
  return n;
}

int ProgramPipe::Close() {
  if (!state_->pipe) return -1;
  const int status = _pclose(state_->pipe);
  state_->pipe = nullptr;
  return status;
}

#else

struct ProgramPipe::State {
  int fd = -1;  // our end of the program's input or output
  pid_t pid = -1;
};

namespace {

void CloseBoth(int fds[2]) {
  close(fds[0]);
  close(fds[1]);
}

struct ChildStart {
  int end;  // the child's end of the pipe
  int stream;  // the standard stream it becomes: 0 or 1
  int* report;
  char** argv;
};

// In the child: the pipe's end becomes standard input or output, then the program replaces
// us. When it cannot, errno goes back through `report` and the child ends.
void RunChild(void* context) {
  const ChildStart& c = *static_cast<ChildStart*>(context);
  if (c.end != c.stream) {
    dup2(c.end, c.stream);
    close(c.end);
  } else {
    fcntl(c.end, F_SETFD, 0);
  }
  close(c.report[0]);
  signal(SIGPIPE, SIG_DFL);  // we ignore it; the program gets the usual default
  execvp(c.argv[0], c.argv);
  const int error = errno;
  ssize_t ignored = write(c.report[1], &error, sizeof error);
  (void)ignored;
  _exit(127);
}

}  // namespace

ProgramPipe::ProgramPipe(const std::string& program, const std::vector<std::string>& arguments,
                         Direction direction)
    : state_(std::make_unique<State>()) {
  std::vector<std::string> all{program};
  all.insert(all.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);

  // Both ends close on exec: the child duplicates its own onto its stream first.
  int data[2], report[2];
  if (pipe2(data, O_CLOEXEC) != 0)
    throw PipeError(std::string("cannot make a pipe: ") + std::strerror(errno));
  if (pipe2(report, O_CLOEXEC) != 0) {
    CloseBoth(data);
    throw PipeError(std::string("cannot make a pipe: ") + std::strerror(errno));
  }
  const bool to_input = direction == Direction::kToInput;
  const int theirs = to_input ? data[0] : data[1];
  const int ours = to_input ? data[1] : data[0];
  // A program that stops reading must not end us with SIGPIPE: writes report EPIPE.
  signal(SIGPIPE, SIG_IGN);
  ChildStart start{theirs, to_input ? 0 : 1, report, argv.data()};
  // An interrupt closes the input we feed before it stops the program.
  const pid_t pid = StartChild(RunChild, &start, to_input ? ours : -1);
  const int start_error = errno;
  close(theirs);
  close(report[1]);
  if (pid < 0) {
    close(ours);
    close(report[0]);
    throw PipeError(std::string("cannot start ") + program + ": " + std::strerror(start_error));
  }
  int error = 0;
  ssize_t n;
  do n = read(report[0], &error, sizeof error); while (n < 0 && errno == EINTR);
  close(report[0]);
  state_->fd = ours;
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

size_t ProgramPipe::Read(void* bytes, size_t size) {
  char* p = static_cast<char*>(bytes);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = state_->fd < 0 ? -1 : read(state_->fd, p + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw PipeError("cannot read the program's output");
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return done;
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

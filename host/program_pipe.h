// A program started with a pipe to its standard input: the host feeds ffmpeg this way.
// The program is run directly (no shell), so names with spaces or quotes reach it whole.
#pragma once

#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvhost {

// The program cannot be started or the pipe breaks.
class PipeError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class ProgramPipe {
 public:
  // Starts `program` (found on PATH) with `arguments`; its output goes where ours goes.
  // Throws PipeError when it cannot be started (with the system's reason).
  ProgramPipe(const std::string& program, const std::vector<std::string>& arguments);
  // Stops the program if Close was not called.
  ~ProgramPipe();
  ProgramPipe(const ProgramPipe&) = delete;
  ProgramPipe& operator=(const ProgramPipe&) = delete;

  // Writes all bytes. Throws PipeError when the program has stopped reading.
  void Write(const void* bytes, size_t size);
  // Closes the pipe (end of input) and waits for the program: its exit status, or -1 when
  // it did not exit normally (killed by a signal).
  int Close();
  // Ends the program without waiting for it to finish its input (natively SIGTERM), then
  // waits for it.
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace qvhost

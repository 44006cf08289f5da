// A program started with a pipe to its standard input or from its standard output: the
// host feeds ffmpeg frames to encode this way, and reads the frames it decodes. The
// program is run directly (no shell), so names with spaces or quotes reach it whole.
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
  // Which of the program's streams the pipe is: its input (we write; its output goes where
  // ours goes) or its output (we read; its input is ours, its errors go where ours go).
  enum class Direction { kToInput, kFromOutput };

  // Starts `program` (found on PATH) with `arguments`. Throws PipeError when it cannot be
  // started (with the system's reason).
  ProgramPipe(const std::string& program, const std::vector<std::string>& arguments,
              Direction direction = Direction::kToInput);
  // Stops the program if Close was not called.
  ~ProgramPipe();
  ProgramPipe(const ProgramPipe&) = delete;
  ProgramPipe& operator=(const ProgramPipe&) = delete;

  // Writes all bytes. Throws PipeError when the program has stopped reading.
  void Write(const void* bytes, size_t size);
  // Reads until `size` bytes have come or the program's output ends: the number read (less
  // than `size` only at the end). Throws PipeError when the pipe cannot be read.
  size_t Read(void* bytes, size_t size);
  // Closes the pipe (end of input; a program still writing its output is ended by SIGPIPE)
  // and waits for the program: its exit status, or -1 when it did not exit normally (killed
  // by a signal).
  int Close();
  // Ends the program without waiting for it to finish its input (natively SIGTERM), then
  // waits for it.
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace qvhost

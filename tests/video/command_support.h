// The video tests' way of running programs: a shell command in the work folder, with its
// output kept, and `quorvel render`, ffmpeg and ffprobe each under a time limit.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace video_test {

const std::string kProgram = QUORVEL_TEST_PROGRAM;
const std::string kWork = QUORVEL_TEST_WORK_DIR;
// Put before every program a test starts: a hung program fails its test, not the run.
constexpr char kTimeLimit[] = "timeout -k 10 300 ";

inline std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// Runs a command in the work folder; returns its exit status, its output in `output`.
inline int Shell(const std::string& command, std::string* output = nullptr) {
  // One log per test program: ctest runs the cases side by side.
  const std::string log = kWork + "/video-command-" + std::to_string(getpid()) + ".log";
  const std::string line = "cd '" + kWork + "' && " + command + " >'" + log + "' 2>&1";
  const int status = std::system(line.c_str());
  if (output) *output = Slurp(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline int Render(const std::string& args, std::string* output = nullptr) {
  return Shell(kTimeLimit + ("'" + kProgram + "' render " + args), output);
}

// ffprobe's `entries` of the stream `stream` (v:0, a:0) as one CSV line.
inline std::string Probe(const std::string& file, const std::string& entries,
                         const std::string& stream = "v:0") {
  std::string out;
  EXPECT_EQ(Shell(kTimeLimit + std::string("ffprobe -v error -count_frames -select_streams ") +
                      stream + " -show_entries stream=" + entries + " -of csv=p=0 '" + file + "'",
                  &out),
            0)
      << out;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

}  // namespace video_test

// A shell command line for the tests, run through scripts/bounded-run.sh: a time limit in
// seconds, one more try when a run reaches it, then a failure (exit 124) with both logs.
#pragma once

#include <string>

inline std::string BoundedCommand(const std::string& command, int seconds) {
  std::string quoted;  // inside single quotes: each ' as '\''
  for (char c : command) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return "bash '" QUORVEL_TEST_BOUNDED_RUN "' " + std::to_string(seconds) + " bash -c '" +
         quoted + "'";
}

// A command's standard output checked once it is flushed.
#include <cstdio>

#include "host/cli/commands.h"

int FinishOutput(const char* command, int status) {
  if ((std::fflush(stdout) != 0 || std::ferror(stdout)) && status == 0) {
    std::fprintf(stderr, "quorvel %s: cannot write to standard output\n", command);
    return kExitFailure;
  }
  return status;
}

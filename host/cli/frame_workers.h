// Worker processes for `quorvel render --jobs N`: this same program run once per argument
// list, all at once, each with its own module. The module renders one frame at a time on
// one thread; parallel frames come from separate processes.
#pragma once

#include <string>
#include <vector>

// Starts this program once for each argument list (without the program name), waits for
// every one, and returns 0 when all exited 0, else the first non-zero exit code in list
// order (1 when a worker could not be started).
int RunWorkers(const std::vector<std::vector<std::string>>& argument_lists);

// Frames first..last (from 1) cut into at most `parts` contiguous ranges of sizes that
// differ by at most one frame, in order.
struct FrameRange {
  int first, last;
};
std::vector<FrameRange> SplitFrames(int first, int last, int parts);

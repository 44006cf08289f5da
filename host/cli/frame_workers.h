// Worker processes for `quorvel render --jobs N`: this same program run once per argument
// list, all at once, each with its own module. The module renders one frame at a time on
// one thread; parallel frames come from separate processes.
#pragma once

#include <string>
#include <vector>

// One worker: its arguments (without the program name) and the name its failure is
// reported under ("frames 21-40").
struct WorkerJob {
  std::vector<std::string> arguments;
  std::string name;
};

// Starts every worker and waits for them. The first to fail stops the others at once; the
// result names it and how it ended ("frames 21-40: killed by signal 9 (Killed)", "... exit
// code 1"), or is empty when every worker succeeded. Workers end with this process: an
// interrupt reaches them, and so does this process's own end (Linux: the parent-death
// signal; Windows: a job object that kills its processes when closed).
std::string RunWorkers(const std::vector<WorkerJob>& jobs);

// Frames first..last (from 1) cut into at most `parts` contiguous ranges of sizes that
// differ by at most one frame, in order.
struct FrameRange {
  int first, last;
};
std::vector<FrameRange> SplitFrames(int first, int last, int parts);

// framecheck A.png B.png [TOLERANCE]: compares two PNG frames channel by channel and prints
// the largest difference and how many channels differ. Exit 0 when the sizes and depths
// match and no channel differs by more than TOLERANCE levels (default 0), 1 otherwise, 2 on
// a usage or read error. Used to check that a speed change keeps the pictures.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/image.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 4) {
    std::fprintf(stderr, "usage: framecheck A.png B.png [TOLERANCE]\n");
    return 2;
  }
  const int tolerance = argc == 4 ? std::atoi(argv[3]) : 0;
  qvhost::Image a, b;
  std::string error;
  if (!qvhost::ReadPng(argv[1], a, error) || !qvhost::ReadPng(argv[2], b, error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 2;
  }
  if (a.width != b.width || a.height != b.height || a.depth != b.depth) {
    std::printf("%s: %dx%d/%d against %dx%d/%d\n", argv[2], a.width, a.height, a.depth,
                b.width, b.height, b.depth);
    return 1;
  }
  int largest = 0;
  size_t differing = 0;
  for (size_t i = 0; i < a.rgba.size(); ++i) {
    const int d = std::abs(static_cast<int>(a.rgba[i]) - static_cast<int>(b.rgba[i]));
    if (d > largest) largest = d;
    if (d) ++differing;
  }
  std::printf("%s: largest difference %d, %zu channels differ\n", argv[2], largest, differing);
  return largest > tolerance ? 1 : 0;
}

// framecheck A.png B.png [TOLERANCE [SHARE]]: compares two frames of the same size and depth
// channel by channel, in the frames' own levels (0..255 or 0..65535). A pixel differs when
// one of its channels is more than TOLERANCE levels apart (default 0); the frames agree when
// at most SHARE of the pixels differ (default 0: none). Prints the largest difference and
// how many pixels differ. Exit 0 when the frames agree, 1 when they do not or their sizes or
// depths differ, 2 on a usage or read error.
//   framecheck before.png after.png              the same picture, channel for channel
//   framecheck native.png windows.png 2 0.001    at most 0.1 % of the pixels over 2 levels
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/image.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: framecheck A.png B.png [TOLERANCE [SHARE]]\n");
  return 2;
}

// A whole number of levels, or a share in 0..1; false for anything else.
bool ParseLevels(const char* text, int& levels) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 65535) return false;
  levels = static_cast<int>(value);
  return true;
}

bool ParseShare(const char* text, double& share) {
  char* end = nullptr;
  share = std::strtod(text, &end);
  return end != text && *end == '\0' && share >= 0.0 && share <= 1.0;
}

}  // namespace

int main(int argc, char** argv) {
  int tolerance = 0;
  double share = 0.0;
  if (argc < 3 || argc > 5 || (argc > 3 && !ParseLevels(argv[3], tolerance)) ||
      (argc > 4 && !ParseShare(argv[4], share)))
    return Usage();
  qvhost::Image a, b;
  std::string error;
  if (!qvhost::ReadPng(argv[1], a, error) || !qvhost::ReadPng(argv[2], b, error)) {
    std::fprintf(stderr, "framecheck: %s\n", error.c_str());
    return 2;
  }
  if (a.width != b.width || a.height != b.height || a.depth != b.depth) {
    std::printf("%s: %dx%d %d-bit against %dx%d %d-bit\n", argv[2], a.width, a.height, a.depth,
                b.width, b.height, b.depth);
    return 1;
  }
  int largest = 0;
  long differ = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      int d = 0;
      for (int k = 0; k < 4; ++k) d = std::max(d, std::abs(a.pixel(x, y)[k] - b.pixel(x, y)[k]));
      largest = std::max(largest, d);
      differ += d > tolerance;
    }
  const long pixels = static_cast<long>(a.width) * a.height;
  std::printf("%s: largest difference %d, %ld of %ld pixels differ by more than %d\n", argv[2],
              largest, differ, pixels, tolerance);
  return differ <= share * pixels ? 0 : 1;
}

// frame_compare A.png B.png [LEVELS [SHARE]]: compares two frames of the same size and
// depth channel by channel. A pixel differs when one of its channels is more than LEVELS
// apart (default 2, in 8-bit levels); the frames agree when at most SHARE of the pixels
// differ (default 0.001). Prints the count and the largest difference. Exit codes: 0 the
// frames agree, 1 they do not (or a file cannot be read, or the sizes differ), 2 usage.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "host/image.h"

int main(int argc, char** argv) {
  if (argc < 3 || argc > 5) {
    std::fprintf(stderr, "usage: frame_compare A.png B.png [LEVELS [SHARE]]\n");
    return 2;
  }
  const int levels = argc > 3 ? std::atoi(argv[3]) : 2;
  const double share = argc > 4 ? std::atof(argv[4]) : 0.001;
  qvhost::Image a, b;
  std::string error;
  if (!qvhost::ReadPng(argv[1], a, error) || !qvhost::ReadPng(argv[2], b, error)) {
    std::fprintf(stderr, "frame_compare: %s\n", error.c_str());
    return 1;
  }
  if (a.width != b.width || a.height != b.height || a.depth != b.depth) {
    std::fprintf(stderr, "frame_compare: %dx%d %d-bit against %dx%d %d-bit\n", a.width,
                 a.height, a.depth, b.width, b.height, b.depth);
    return 1;
  }
  const int shift = a.depth == 16 ? 8 : 0;  // compared in 8-bit levels
  long differ = 0;
  int largest = 0;
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x) {
      int d = 0;
      for (int k = 0; k < 4; ++k)
        d = std::max(d, std::abs((a.pixel(x, y)[k] >> shift) - (b.pixel(x, y)[k] >> shift)));
      largest = std::max(largest, d);
      differ += d > levels;
    }
  const long pixels = static_cast<long>(a.width) * a.height;
  std::printf("%ld of %ld pixels differ by more than %d levels; the largest difference is %d\n",
              differ, pixels, levels, largest);
  return differ <= share * pixels ? 0 : 1;
}

// make_pendant OUT.3dd: writes the shipped pendant cap model.
#include <cstdio>
#include <string>

#include "tools/modelkit/pendant_cap.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_pendant OUT.3dd\n");
    return 2;
  }
  std::string error;
  if (!modelkit::WriteModelFile(argv[1], {modelkit::MakePendantCap()}, &error)) {
    std::fprintf(stderr, "make_pendant: %s\n", error.c_str());
    return 1;
  }
  return 0;
}

// contact_sheet OUTPUT LABEL=FILE [LABEL=FILE ...]: the PNG frames side by side under their
// labels, written to OUTPUT. Exit codes: 0 done, 2 usage error, 1 a file that cannot be
// read or written.
#include <cstdio>
#include <string>
#include <vector>

#include "tools/contact_sheet/contact_sheet.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: contact_sheet OUTPUT LABEL=FILE [LABEL=FILE ...]\n");
    return 2;
  }
  std::vector<qvsheet::LabelledFrame> frames;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    const size_t eq = arg.find('=');
    if (eq == std::string::npos || eq + 1 == arg.size()) {
      std::fprintf(stderr, "contact_sheet: \"%s\" is not LABEL=FILE\n", arg.c_str());
      return 2;
    }
    qvsheet::LabelledFrame f;
    f.label = arg.substr(0, eq);
    std::string error;
    if (!qvhost::ReadPng(arg.substr(eq + 1), f.frame, error)) {
      std::fprintf(stderr, "contact_sheet: %s\n", error.c_str());
      return 1;
    }
    frames.push_back(std::move(f));
  }
  const qvhost::Image sheet = qvsheet::MakeSheet(frames, qvsheet::SheetLayout{});
  std::string error;
  if (!qvhost::WritePng(argv[1], sheet, error)) {
    std::fprintf(stderr, "contact_sheet: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %dx%d, %zu frames\n", argv[1], sheet.width, sheet.height, frames.size());
  return 0;
}

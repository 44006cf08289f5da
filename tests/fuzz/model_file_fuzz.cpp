// libFuzzer target for the 3DD model loader: any bytes must load cleanly or fail cleanly.
#include <cstdlib>

#include "tests/fuzz/model_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!FeedModelLoader(data, size)) std::abort();  // an unsound mesh is a finding
  return 0;
}

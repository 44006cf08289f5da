// The object chain walk.
#include "model/model_chain.h"

int ReadModelObjectChain(const ModelSource* source, ModelObjectHeader* headers, int capacity) {
  ModelFileHeader file;
  if (!headers || capacity < 0 || !ReadModelFileHeader(source, &file)) return -1;
  // Objects never overlap, so a file holds at most size / 72 of them; a looping chain
  // stops there.
  const int64_t most = source->size / kModelObjectHeaderSize;
  int64_t steps = file.object_count < most ? file.object_count : most;
  if (steps > capacity) steps = capacity;
  int64_t offset = file.first_offset;
  for (int k = 0; k < steps; ++k) {
    if (!ReadModelObjectHeader(source, offset, &headers[k])) return -1;
    offset = headers[k].next_offset;
  }
  return static_cast<int>(steps);
}

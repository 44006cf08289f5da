// The object chain walk.
#include "model/model_chain.h"

int ReadModelObjectChain(const ModelSource* source, ModelObjectHeader* headers, int capacity,
                         bool* intact) {
  if (intact) *intact = false;
  ModelFileHeader file;
  if (!headers || capacity < 0 || !ReadModelFileHeader(source, &file)) return -1;
  const int steps = file.object_count < capacity ? file.object_count : capacity;
  int64_t offset = file.first_offset;
  for (int k = 0; k < steps; ++k) {
    if (!ReadModelObjectHeader(source, offset, &headers[k])) return k;
    const int64_t next = headers[k].next_offset;
    // Objects follow one another; a next offset that does not lead past this header would
    // walk the same bytes again.
    if (k + 1 < file.object_count && next < offset + kModelObjectHeaderSize) return k + 1;
    offset = next;
  }
  if (intact) *intact = true;
  return steps;
}

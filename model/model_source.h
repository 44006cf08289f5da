// Where a model file's bytes come from: a file on disk (through the OS seam) or a block of
// memory (tests and the fuzz target). A source reads whole ranges at absolute offsets.
#pragma once

#include <stddef.h>
#include <stdint.h>

struct ModelSource {
  // Reads exactly `bytes` bytes at `offset` into buffer; false on a failed seek, a failed
  // or short read, or a range outside the source.
  bool (*read_at)(void* context, int64_t offset, void* buffer, size_t bytes);
  void* context;
  int64_t size;  // bytes in the source; every range is checked against it before reading
};

// Reads through the source, also checking the range against its size first.
bool ReadSource(const ModelSource* source, int64_t offset, void* buffer, size_t bytes);

// A source over `size` bytes at `data`; the bytes must outlive the source.
struct MemoryBytes {
  const unsigned char* data;
  size_t size;
};
ModelSource MemorySource(MemoryBytes* bytes);

// Opens a file as a source (read access shared with other readers). False when it cannot
// be opened or its size found; close an opened one with CloseFileSource.
bool OpenFileSource(const char* path, ModelSource* source);
void CloseFileSource(ModelSource* source);

// Model sources over memory and over files.
#include "model/model_source.h"

#include <string.h>

#include "platform/os/file_read.h"

bool ReadSource(const ModelSource* source, int64_t offset, void* buffer, size_t bytes) {
  if (!source || !source->read_at || offset < 0 || offset > source->size) return false;
  if (bytes > static_cast<uint64_t>(source->size - offset)) return false;
  if (bytes == 0) return true;
  return source->read_at(source->context, offset, buffer, bytes);
}

namespace {

bool ReadMemory(void* context, int64_t offset, void* buffer, size_t bytes) {
  const MemoryBytes* m = static_cast<const MemoryBytes*>(context);
  if (offset < 0 || static_cast<uint64_t>(offset) > m->size || bytes > m->size - offset)
    return false;
  memcpy(buffer, m->data + offset, bytes);
  return true;
}

bool ReadFileRange(void* context, int64_t offset, void* buffer, size_t bytes) {
  OsFile file = static_cast<OsFile>(context);
  return OsFileSeek(file, offset) && OsFileRead(file, buffer, bytes) == bytes;
}

}  // namespace

ModelSource MemorySource(MemoryBytes* bytes) {
  ModelSource s;
  s.read_at = ReadMemory;
  s.context = bytes;
  s.size = bytes && bytes->data ? static_cast<int64_t>(bytes->size) : 0;
  return s;
}

bool OpenFileSource(const char* path, ModelSource* source) {
  if (!source) return false;
  OsFile file = OsFileOpenRead(path);
  if (!file) return false;
  const int64_t size = OsFileSize(file);
  if (size < 0) {
    OsFileClose(file);
    return false;
  }
  source->read_at = ReadFileRange;
  source->context = file;
  source->size = size;
  return true;
}

void CloseFileSource(ModelSource* source) {
  if (!source) return;
  OsFileClose(static_cast<OsFile>(source->context));
  source->context = nullptr;
  source->read_at = nullptr;
  source->size = 0;
}

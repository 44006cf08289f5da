// File reading: CreateFileA / SetFilePointerEx / ReadFile on Windows, POSIX calls natively.
#include "platform/os/file_read.h"

#if defined(_WIN32)
#include <windows.h>

OsFile OsFileOpenRead(const char* path) {
  if (!path) return nullptr;
  HANDLE h = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (GetFileType(h) != FILE_TYPE_DISK) {  // a pipe or a device is not a model file
    CloseHandle(h);
    return nullptr;
  }
  return static_cast<OsFile>(h);
}

bool OsFileSeek(OsFile file, int64_t offset) {
  if (!file || offset < 0) return false;
  LARGE_INTEGER to;
  to.QuadPart = offset;
  return SetFilePointerEx(static_cast<HANDLE>(file), to, nullptr, FILE_BEGIN) != 0;
}

size_t OsFileRead(OsFile file, void* buffer, size_t bytes) {
  if (!file || !buffer) return 0;
  size_t total = 0;
  while (total < bytes) {
    // ReadFile takes a 32-bit count: large reads go in pieces.
    DWORD chunk = static_cast<DWORD>(bytes - total > 0x40000000u ? 0x40000000u : bytes - total);
    DWORD got = 0;
    if (!ReadFile(static_cast<HANDLE>(file), static_cast<char*>(buffer) + total, chunk, &got,
                  nullptr) ||
        got == 0)
      break;
    total += got;
  }
  return total;
}

int64_t OsFileSize(OsFile file) {
  LARGE_INTEGER size;
  if (!file || !GetFileSizeEx(static_cast<HANDLE>(file), &size)) return -1;
  return size.QuadPart;
}

void OsFileClose(OsFile file) {
  if (file) CloseHandle(static_cast<HANDLE>(file));
}

#else
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

// The descriptor is kept as descriptor + 1, so that descriptor 0 is not a null handle.
namespace {
int Descriptor(OsFile file) { return static_cast<int>(reinterpret_cast<intptr_t>(file)) - 1; }
}  // namespace

OsFile OsFileOpenRead(const char* path) {
  if (!path) return nullptr;
  // Non-blocking: opening a FIFO for reading would otherwise wait for a writer for ever.
  int fd = open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return nullptr;
  struct stat st;
  // Only a plain file: a folder, a FIFO or a device is not a readable model.
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  return reinterpret_cast<OsFile>(static_cast<intptr_t>(fd) + 1);
}

bool OsFileSeek(OsFile file, int64_t offset) {
  if (!file || offset < 0) return false;
  return lseek(Descriptor(file), static_cast<off_t>(offset), SEEK_SET) == offset;
}

size_t OsFileRead(OsFile file, void* buffer, size_t bytes) {
  if (!file || !buffer) return 0;
  size_t total = 0;
  while (total < bytes) {
    ssize_t got = read(Descriptor(file), static_cast<char*>(buffer) + total, bytes - total);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    total += static_cast<size_t>(got);
  }
  return total;
}

int64_t OsFileSize(OsFile file) {
  struct stat st;
  if (!file || fstat(Descriptor(file), &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

void OsFileClose(OsFile file) {
  if (file) close(Descriptor(file));
}
#endif

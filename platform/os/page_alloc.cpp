// Page allocator: VirtualAlloc on Windows, mmap natively. Sanitizer builds use calloc
// instead, so that the address sanitizer sees every block's bounds and every leak.
#include "page_alloc.h"

#include <stdint.h>

#if defined(_WIN32)
#include <windows.h>

void* PageAlloc(size_t bytes) {
  if (bytes == 0) return nullptr;
  return VirtualAlloc(nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
}

void PageFree(void* block) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}

#elif defined(QUORVEL_HEAP_PAGES)
#include <stdlib.h>

void* PageAlloc(size_t bytes) { return bytes ? calloc(1, bytes) : nullptr; }
void PageFree(void* block) { free(block); }

#else
#include <sys/mman.h>

// munmap needs the length, so each block keeps it in a header in front of the caller's
// bytes; 16 bytes keep the caller's pointer 16-byte aligned.
namespace {
constexpr size_t kHeader = 16;
}

void* PageAlloc(size_t bytes) {
  if (bytes == 0 || bytes > SIZE_MAX - kHeader) return nullptr;
  size_t total = bytes + kHeader;
  void* base = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (base == MAP_FAILED) return nullptr;
  *static_cast<size_t*>(base) = total;
  return static_cast<unsigned char*>(base) + kHeader;
}

void PageFree(void* block) {
  if (!block) return;
  unsigned char* base = static_cast<unsigned char*>(block) - kHeader;
  munmap(base, *reinterpret_cast<size_t*>(base));
}
#endif

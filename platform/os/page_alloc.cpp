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

// Large pages need a privilege a plug-in cannot count on: ordinary pages.
void* PageAllocWhole(size_t bytes) { return PageAlloc(bytes); }

#elif defined(QUORVEL_HEAP_PAGES)
#include <stdlib.h>

void* PageAlloc(size_t bytes) { return bytes ? calloc(1, bytes) : nullptr; }
void PageFree(void* block) { free(block); }
void* PageAllocWhole(size_t bytes) { return PageAlloc(bytes); }

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

void* PageAllocWhole(size_t bytes) {
  void* block = PageAlloc(bytes);
  // Only worth it from a few large pages up; a refusal changes nothing but the page size.
  constexpr size_t kLargePages = 4u << 20;
  if (block && bytes >= kLargePages) {
    unsigned char* base = static_cast<unsigned char*>(block) - kHeader;
    madvise(base, *reinterpret_cast<size_t*>(base), MADV_HUGEPAGE);
  }
  return block;
}

void PageFree(void* block) {
  if (!block) return;
  unsigned char* base = static_cast<unsigned char*>(block) - kHeader;
  munmap(base, *reinterpret_cast<size_t*>(base));
}
#endif

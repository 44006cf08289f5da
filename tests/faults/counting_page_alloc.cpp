// The module's page allocator as the allocation-failure tests build it: zero-filled blocks
// from calloc (the sanitizers see their bounds and leaks), counted, and the chosen call
// refused as a system without memory would refuse it.
#include "counting_page_alloc.h"

#include <stdlib.h>

#include "platform/os/page_alloc.h"

namespace {
long g_calls = 0;
long g_fail_at = 0;
long g_live = 0;
size_t g_bytes = 0;
}  // namespace

void FailPageAllocAt(long n) {
  g_calls = 0;
  g_bytes = 0;
  g_fail_at = n;
}

long PageAllocCalls() { return g_calls; }
size_t PageAllocBytes() { return g_bytes; }
bool PageAllocFailed() { return g_fail_at > 0 && g_calls >= g_fail_at; }
long LivePageBlocks() { return g_live; }

void* PageAlloc(size_t bytes) {
  if (bytes == 0) return nullptr;
  g_bytes += bytes;
  if (++g_calls == g_fail_at) return nullptr;
  void* block = calloc(1, bytes);
  if (block) ++g_live;
  return block;
}

void PageFree(void* block) {
  if (!block) return;
  --g_live;
  free(block);
}

// Counted and refused like any other block.
void* PageAllocWhole(size_t bytes) { return PageAlloc(bytes); }

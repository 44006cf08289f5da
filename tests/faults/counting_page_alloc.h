// The page allocator of the allocation-failure tests: calloc-backed blocks, a count of the
// calls and of the blocks still held, and one chosen call made to fail.
#pragma once

#include <stddef.h>

// Makes the n-th call from now fail (n from 1); 0 makes none fail. Resets the call count.
void FailPageAllocAt(long n);

// Calls of PageAlloc since the last FailPageAllocAt (zero-byte requests not counted).
long PageAllocCalls();

// Bytes those calls asked for.
size_t PageAllocBytes();

// True when the chosen call has been reached and refused.
bool PageAllocFailed();

// Blocks handed out and not yet released.
long LivePageBlocks();

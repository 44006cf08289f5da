// The page allocator behind every large buffer of the module (meshes, images, z-buffer):
// zero-filled blocks, released only through PageFree.
#pragma once

#include <stddef.h>

// Returns a zero-filled block of at least `bytes` bytes, or null when the system has no
// memory for it (or `bytes` is 0).
void* PageAlloc(size_t bytes);

// Releases a block from PageAlloc; null is ignored.
void PageFree(void* block);

// The page allocator behind every large buffer of the module (meshes, images, z-buffer):
// zero-filled blocks, released only through PageFree.
#pragma once

#include <stddef.h>

// Returns a zero-filled block of at least `bytes` bytes, or null when the system has no
// memory for it (or `bytes` is 0).
void* PageAlloc(size_t bytes);

// PageAlloc for a block the caller writes whole on every use (a z-buffer, a frame image).
// Where the system offers large pages for such a block (Linux's transparent huge pages),
// it asks for them: a frame's rows lie a page or more apart, and every row a triangle
// crosses otherwise costs its own address translation. Only for blocks used whole, since a
// large page is resident as a whole as soon as one byte of it is touched.
void* PageAllocWhole(size_t bytes);

// Releases a block from PageAlloc or PageAllocWhole; null is ignored.
void PageFree(void* block);

// The engine's block allocator: zero-filled blocks from the page allocator, released only
// through EngineFree.
#include "engine/engine.h"
#include "platform/os/page_alloc.h"

void* EngineAlloc(size_t bytes) { return PageAlloc(bytes); }

void* EngineAllocWhole(size_t bytes) { return PageAllocWhole(bytes); }

void EngineFree(void* block) { PageFree(block); }

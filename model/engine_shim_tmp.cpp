// TEMPORARY: the depth setting and the engine allocator until the engine's settings land.
// Removed when the engine's settings are merged in.
#include "engine/engine.h"
#include "platform/os/page_alloc.h"

unsigned char _Deep = 0;
void __SetDeep(unsigned char v) { _Deep = v; }
unsigned char __GetDeep() { return _Deep; }
void* EngineAlloc(size_t bytes) { return PageAlloc(bytes); }
void EngineFree(void* block) { PageFree(block); }

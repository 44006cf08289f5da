// Where __RasterScene takes its per-render scratch buffers from (EngineAlloc, behind a
// pointer so that a test can make one of the allocations fail), and whether the last
// __RasterScene could get them. The engine's exported interface reports no errors; the
// effect's render reads this signal so that a frame the engine could not draw ends in the
// host's out-of-memory error instead of a silent success. Internal, never exported.
#pragma once

#include <stddef.h>

extern void* (*SceneScratchAlloc)(size_t bytes);

// True when the last __RasterScene drew nothing because its z-buffer, default light or
// scratch images could not be allocated; false after a render that had all it needed.
bool EngineOutOfMemory();

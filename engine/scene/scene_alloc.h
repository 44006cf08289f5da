// Where __RasterScene takes its per-render scratch buffers from: EngineAlloc, behind a
// pointer so that a test can make one of the allocations fail (EngineOutOfMemory in
// engine/engine.h then tells). Internal, never exported.
#pragma once

#include <stddef.h>

#include "engine/engine.h"  // EngineOutOfMemory

extern void* (*SceneScratchAlloc)(size_t bytes);


// Where __RasterScene takes its per-render scratch buffers from: EngineAlloc, behind a
// pointer so that a test can make one of the allocations fail.
#pragma once

#include <stddef.h>

extern void* (*SceneScratchAlloc)(size_t bytes);

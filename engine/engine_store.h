// What the engine keeps from one call to the next beside the exported settings and the
// described working state, in one record: the kept working buffers, the z-buffer's real
// extent, the last render's out-of-memory outcome and where renders take their scratch
// buffers from. Everything else a render needs is made by the call itself.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "engine/kept_buffers.h"

struct KeptBlock {
  void* block;
  size_t bytes;
};

struct EngineStore {
  // The kept buffers (kept_buffers.h) and whether renders keep them.
  KeptBlock kept[static_cast<int>(KeptSlot::kCount)];
  bool keeping;
  // The z-buffer whose real size is known (__SetZBuff, a render's own), and that size.
  float* zbuff;
  int32_t zbuff_width, zbuff_height;
  // Set by a render whose working buffers could not be allocated; cleared by each render.
  bool out_of_memory;
  // Where __RasterScene takes its scratch buffers and default light from: EngineAlloc,
  // replaceable so that a test can make one of the allocations fail.
  void* (*scratch_alloc)(size_t bytes);
};

extern EngineStore g_engine_store;

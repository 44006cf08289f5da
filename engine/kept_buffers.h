// Working buffers kept from one render to the next: the z-buffer and scratch images of
// __RasterScene and the effect's own frame images.
//
// Mapping, zero-filling and unmapping about eight full frames on every render costs more
// than drawing the default ball, so the effect's renders turn keeping on around their scene
// (EngineKeepBuffers). While it is on, a buffer is taken from its slot and given back at the
// render's teardown instead of being freed; each slot grows to the largest request so far
// and stays until EngineReleaseBuffers (sequence and global setdown). While it is off (the
// default, and every direct caller of the engine's exports) each render allocates and frees
// its own buffers, as the engine's interface describes.
#pragma once

#include <stddef.h>

enum class KeptSlot {
  kZBuffer,
  kTriLayer,
  kEdgeColor,
  kEdgeUnder,
  kBackCopy,
  kGlassDepth,
  kLayerSpans,  // the columns of _TriLayer written in each row
  kEdgeBits,  // where the render has made an edge composite, one bit a pixel
  kFrame,  // the effect's frame image
  kBackground,  // the effect's background image
  kCount
};

bool KeepingBuffers();

// A block of at least `bytes`. While keeping, the slot's block when it is large enough (its
// contents are what the last user left in it), else a new one from `alloc` (zero-filled)
// that replaces it; otherwise a new block from `alloc`. Null when the allocation fails.
void* TakeBuffer(KeptSlot slot, size_t bytes, void* (*alloc)(size_t));

// Hands a block back: the slot's own block stays kept, any other is freed with EngineFree.
void GiveBackBuffer(KeptSlot slot, void* block);

// The store of working buffers kept between renders: one block and its size per slot.
#include "engine/kept_buffers.h"

#include "engine/engine.h"
#include "engine/engine_store.h"

namespace {

KeptBlock& SlotOf(KeptSlot slot) { return g_engine_store.kept[static_cast<int>(slot)]; }

}  // namespace

void EngineKeepBuffers(bool keep) { g_engine_store.keeping = keep; }

void EngineReleaseBuffers() {
  for (KeptBlock& k : g_engine_store.kept) {
    EngineFree(k.block);
    k = KeptBlock{nullptr, 0};
  }
}

bool KeepingBuffers() { return g_engine_store.keeping; }

void* TakeBuffer(KeptSlot slot, size_t bytes, void* (*alloc)(size_t)) {
  if (!g_engine_store.keeping) return alloc(bytes);
  KeptBlock& k = SlotOf(slot);
  if (k.block && k.bytes >= bytes) return k.block;
  EngineFree(k.block);
  k.block = alloc(bytes);
  k.bytes = k.block ? bytes : 0;
  return k.block;
}

void GiveBackBuffer(KeptSlot slot, void* block) {
  if (block && block != SlotOf(slot).block) EngineFree(block);
}

static KeptSlot ImageSlot(EngineImage image) {
  return image == EngineImage::kFrame ? KeptSlot::kFrame : KeptSlot::kBackground;
}

// The frame images are written whole on every render, so they take large pages.
void* EngineTakeImage(EngineImage image, size_t bytes) {
  return TakeBuffer(ImageSlot(image), bytes, EngineAllocWhole);
}

void EngineGiveBackImage(EngineImage image, void* block) {
  GiveBackBuffer(ImageSlot(image), block);
}

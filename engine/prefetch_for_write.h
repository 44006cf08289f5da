// Asking for a cache line that is about to be written: PREFETCHW fetches it ready for the
// store, so that the store does not wait for the line to be read and then claimed. Every
// processor that runs 64-bit Windows 8.1 or later accepts it; older ones take it as a no-op.
#pragma once

inline void PrefetchForWrite(const void* p) {
  asm volatile("prefetchw %0" : : "m"(*static_cast<const char*>(p)));
}

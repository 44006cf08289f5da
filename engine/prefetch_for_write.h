// Cache hints. PREFETCHW asks for a line that is about to be written, ready for the store,
// so that the store does not wait for the line to be read and then claimed; every processor
// that runs 64-bit Windows 8.1 or later accepts it, older ones take it as a no-op. A line
// about to be read is asked for into every level of the cache (PREFETCHT0).
#pragma once

inline void PrefetchForWrite(const void* p) {
  asm volatile("prefetchw %0" : : "m"(*static_cast<const char*>(p)));
}

inline void PrefetchForRead(const void* p) { __builtin_prefetch(p, 0, 3); }

// The engine's processor-dependent paths, chosen once: the widest the processor runs (AVX,
// or SSE2, which every 64-bit x86 processor has). Global setup fills the table; until then
// (and in a test that narrows it to check one path against another) the SSE2 paths run. A
// build without SIMD (QUORVEL_SIMD 0) has the scalar paths alone, and the table never
// names another. Every path draws the same pixels.
#pragma once

struct CpuPaths {
  bool avx;  // the plain-material lanes eight wide and the sample quad four doubles wide
};

extern CpuPaths g_cpu_paths;

// Whether the processor and the system run AVX code.
bool CpuRunsAvx();
// Fills g_cpu_paths from the processor; with allow_avx false, the SSE2 paths only.
void ChooseCpuPaths(bool allow_avx = true);

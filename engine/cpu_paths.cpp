// The table of processor-dependent paths and the processor probe that fills it.
#include "engine/cpu_paths.h"

#include "engine/engine.h"

CpuPaths g_cpu_paths = {false};

bool CpuRunsAvx() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx");
}

void ChooseCpuPaths(bool allow_avx) {
  g_cpu_paths.avx = QUORVEL_SIMD && allow_avx && CpuRunsAvx();
}

void EngineChooseCpuPaths() { ChooseCpuPaths(); }

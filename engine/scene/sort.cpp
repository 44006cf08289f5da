// Painter's order of the triangles: ascending sum of the three vertex depths, so that the
// farthest triangles are drawn first.
#include <stdlib.h>

#include "engine/engine_state.h"

namespace {

// The vertex array of the sort in progress: the run-time library's quicksort hands the
// comparison nothing but the two elements. Set for the duration of one sort.
const __Point3ds* g_sort_points = nullptr;

float DepthSum(const __Triangle3ds& t) {
  return g_sort_points[t.a].z + g_sort_points[t.b].z + g_sort_points[t.c].z;
}

// Smaller sums first; anything else, a sum that is not a number included, compares equal,
// which keeps the comparison consistent for the quicksort.
int CompareDepthSums(const void* a, const void* b) {
  const float sa = DepthSum(*static_cast<const __Triangle3ds*>(a));
  const float sb = DepthSum(*static_cast<const __Triangle3ds*>(b));
  if (sa < sb) return -1;
  if (sa > sb) return 1;
  return 0;
}

}  // namespace

QV_API void __Sort(int count, __Triangle3ds* tris, __Point3ds* points) {
  if (count <= 0 || !tris || !points) return;
  g_sort_points = points;
  qsort(tris, static_cast<size_t>(count), sizeof(__Triangle3ds), CompareDepthSums);
  g_sort_points = nullptr;
}

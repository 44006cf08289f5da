// Painter's order of the triangles: ascending sum of the three vertex depths, so that the
// farthest triangles are drawn first.
#include <stdint.h>
#include <stdlib.h>

#include "engine/engine_state.h"

namespace {

// The vertex array of the sort in progress: the run-time library's quicksort hands the
// comparison nothing but the two elements. Set for the duration of one sort.
const __Point3ds* g_sort_points = nullptr;

float DepthSum(const __Triangle3ds& t) {
  return g_sort_points[t.a].z + g_sort_points[t.b].z + g_sort_points[t.c].z;
}

// Triangles of equal depth sums in the order of their vertex indices, then materials. The
// run-time library's quicksort may take either of two algorithms (it falls back to another
// when it cannot allocate its buffer, and the Windows one differs again), which would leave
// equal sums in different orders and so draw different frames; with this order the frame
// is the same whichever runs.
int CompareTies(const __Triangle3ds& a, const __Triangle3ds& b) {
  const int64_t ka[4] = {a.a, a.b, a.c, a.material}, kb[4] = {b.a, b.b, b.c, b.material};
  for (int i = 0; i < 4; ++i)
    if (ka[i] != kb[i]) return ka[i] < kb[i] ? -1 : 1;
  return 0;
}

// Smaller sums first; equal sums, a sum that is not a number included, by their indices.
int CompareDepthSums(const void* a, const void* b) {
  const __Triangle3ds& ta = *static_cast<const __Triangle3ds*>(a);
  const __Triangle3ds& tb = *static_cast<const __Triangle3ds*>(b);
  const float sa = DepthSum(ta);
  const float sb = DepthSum(tb);
  if (sa < sb) return -1;
  if (sa > sb) return 1;
  return CompareTies(ta, tb);
}

}  // namespace

QV_API void __Sort(int count, __Triangle3ds* tris, __Point3ds* points) {
  if (count <= 0 || !tris || !points) return;
  g_sort_points = points;
  qsort(tris, static_cast<size_t>(count), sizeof(__Triangle3ds), CompareDepthSums);
  g_sort_points = nullptr;
}

// Painter's order of the triangles: ascending sum of the three vertex depths, so that the
// farthest triangles are drawn first.
#include <math.h>
#include <stdint.h>

#include <algorithm>

#include "engine/engine_state.h"

namespace {

float DepthSum(const __Triangle3ds& t, const __Point3ds* points) {
  return points[t.a].z + points[t.b].z + points[t.c].z;
}

// Triangles of equal depth sums in the order of their vertex indices, then materials, so
// that the order is one and the same whatever sort runs (the C libraries' quicksorts differ).
bool TieBefore(const __Triangle3ds& a, const __Triangle3ds& b) {
  const int64_t ka[4] = {a.a, a.b, a.c, a.material}, kb[4] = {b.a, b.b, b.c, b.material};
  return std::lexicographical_compare(ka, ka + 4, kb, kb + 4);
}

}  // namespace

// Smaller sums first; sums that are not a number after every other, among themselves by
// their indices: a strict order even then, so no sort can read past the array or order the
// triangles differently on another build.
QV_API void __Sort(int count, __Triangle3ds* tris, __Point3ds* points) {
  if (count <= 0 || !tris || !points) return;
  std::sort(tris, tris + count, [points](const __Triangle3ds& a, const __Triangle3ds& b) {
    const float sa = DepthSum(a, points), sb = DepthSum(b, points);
    const bool na = isnan(sa), nb = isnan(sb);
    if (na != nb) return nb;
    if (!na && sa != sb) return sa < sb;
    return TieBefore(a, b);
  });
}

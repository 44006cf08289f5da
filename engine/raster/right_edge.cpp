// The right chain of a triangle: which edge bounds a row on the right, where it crosses
// the row, and how wide its anti-aliased fringe must be.
#include "engine/raster/right_edge.h"

#include <math.h>

#include "engine/raster/truncate.h"

namespace {

// True when the entry's truncated end rows bracket row y: rising edges include both end
// rows, falling ones exclude the start row.
bool SpansRow(const __Point3ds* vertices, const EdgeEntry& e, float y) {
  float ys = static_cast<float>(TruncToInt(vertices[e.start].y));
  float ye = static_cast<float>(TruncToInt(vertices[e.end].y));
  return (ys <= y && y <= ye) || (ye <= y && y < ys);
}

// True when the entry rises through row y (the neighbouring-row search).
bool RisesThroughRow(const __Point3ds* vertices, const EdgeEntry& e, float y) {
  float ys = static_cast<float>(TruncToInt(vertices[e.start].y));
  float ye = static_cast<float>(TruncToInt(vertices[e.end].y));
  return ys <= y && y <= ye;
}

// The edge's x on row y; an edge less than one pixel tall has no usable slope and gives
// its larger end x.
float XOnRow(const __Point3ds& s, const __Point3ds& e, float y) {
  if (fabsf(e.y - s.y) < 1) return s.x > e.x ? s.x : e.x;
  return s.x + (y - s.y) * (e.x - s.x) / (e.y - s.y);
}

}  // namespace

float RightEdgeAt(int count, int first, const __Point3ds* vertices, const EdgeEntry* edges,
                  float y, EdgeSegment& edge, float& fringe_width) {
  if (first < 0) first = 0;
  int k = first;
  while (k < count - 1 && !SpansRow(vertices, edges[k], y)) ++k;
  const EdgeEntry& right = edges[k < count - 1 ? k : count - 1];
  const __Point3ds& s = vertices[right.start];
  const __Point3ds& e = vertices[right.end];
  float xr = XOnRow(s, e, y);
  edge = MakeEdgeSegment(s.x, s.y, e.x, e.y);

  // The fringe reaches as far as the edge moves over one row, towards the side where it
  // leans outwards: the row below when its lower end lies to the right, else the row above.
  const __Point3ds& upper = e.y > s.y ? e : s;
  const __Point3ds& lower = e.y > s.y ? s : e;
  float y_next = lower.x > upper.x ? y - 1 : y + 1;
  k = first;
  while (k < count - 1 && !RisesThroughRow(vertices, edges[k], y_next)) ++k;
  const EdgeEntry& next = edges[k < count - 1 ? k : count - 1];
  float x_next = XOnRow(vertices[next.start], vertices[next.end], y_next);

  fringe_width = fabsf(x_next - xr);
  if (fringe_width < 3) fringe_width = 3;
  return xr;
}

// An edge as the anti-aliasing routines see it: its line, the line's length terms and the
// segment's two end points.
#pragma once

struct EdgeSegment {
  float a, b, c;  // a*x + b*y + c = 0; the inside of an oriented triangle is < 0
  float l2;  // a^2 + b^2
  float l;  // sqrt(l2)
  float x1, y1;  // start
  float x2, y2;  // end
};

// Builds the segment from (x1, y1) to (x2, y2) with EdgeLine and its length terms.
EdgeSegment MakeEdgeSegment(float x1, float y1, float x2, float y2);

// Whether two segments are the very same (terms kept for one are good for the other): the
// line's terms and both end points, compared exactly.
inline bool SameSegment(const EdgeSegment& p, const EdgeSegment& q) {
  return p.a == q.a && p.b == q.b && p.c == q.c && p.x1 == q.x1 && p.y1 == q.y1 &&
         p.x2 == q.x2 && p.y2 == q.y2;
}

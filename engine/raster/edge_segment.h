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

// An edge's line with its length terms and end points, as the anti-aliasing writes use it.
#include "engine/raster/edge_segment.h"

#include <math.h>

#include "engine/raster/triangle_setup.h"

EdgeSegment MakeEdgeSegment(float x1, float y1, float x2, float y2) {
  EdgeSegment s;
  EdgeLine(x1, y1, x2, y2, s.a, s.b, s.c);
  s.l2 = s.a * s.a + s.b * s.b;
  s.l = sqrtf(s.l2);
  s.x1 = x1;
  s.y1 = y1;
  s.x2 = x2;
  s.y2 = y2;
  return s;
}

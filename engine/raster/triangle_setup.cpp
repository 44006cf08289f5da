// Triangle set-up: the edge list and its rotation to the top vertex, the orientation of
// the left chain, the face normal and the line through an edge.
#include "engine/raster/triangle_setup.h"

#include <math.h>

#include <algorithm>

#include "platform/exact_math.h"

int TopEdgeIndex(int count, const __Point3ds* vertices, const EdgeEntry* edges,
                 float* smallest_y) {
  float largest = -1e11f;
  float smallest = 1e11f;
  int top = 1;
  for (int k = 0; k < count; ++k) {
    float y = vertices[edges[k].start].y;
    if (y >= largest) {  // greater or equal: the last of equal largest values wins
      largest = y;
      top = k;
    }
    if (y < smallest) smallest = y;
  }
  if (smallest_y) *smallest_y = smallest;
  return top;
}

void RotateEdgeList(int count, int start, EdgeEntry* edges) {
  if (count <= 0) return;
  int first = start % count;
  if (first < 0) first += count;
  std::rotate(edges, edges + first, edges + count);
}

float AngleOf(float x1, float y1, float x2, float y2) {
  const double pi = 3.14159265358979323846;
  double dx = fabs(static_cast<double>(x1) - x2);
  double dy = fabs(static_cast<double>(y1) - y2);
  double h = exact_math::ExactHypot(dx, dy);
  double angle;
  if (x1 <= x2 && y1 < y2) {
    angle = exact_math::ExactAcos(dx / h);
  } else if (x1 > x2 && y1 < y2) {
    angle = pi / 2 + exact_math::ExactAcos(dy / h);
  } else if (x1 > x2 && y1 >= y2) {
    angle = pi + exact_math::ExactAcos(dx / h);
  } else {
    angle = 3 * pi / 2 + exact_math::ExactAcos(dy / h);
  }
  return static_cast<float>(angle);
}

bool OrientTriangle(EdgeEntry* edges, __Point3ds* vertices) {
  const __Point3ds& p0 = vertices[edges[0].start];
  const __Point3ds& p1 = vertices[edges[1].start];
  const __Point3ds& p2 = vertices[edges[1].end];
  double a1 = AngleOf(p0.x, p0.y, p1.x, p1.y);
  double a2 = AngleOf(p0.x, p0.y, p2.x, p2.y);
  double diff = a2 - a1;
  // A vertex on top of P0 has no direction (NaN): as degenerate as two equal directions.
  if (diff != diff) return false;
  // Directions within 1e-5 radian: the three points are on one line through P0.
  if (fabs(diff) < 1e-5) return false;
  if (diff < 0 || diff > 3.141592) {
    std::swap(vertices[edges[1].start], vertices[edges[1].end]);
    std::swap(edges[0].spare, edges[2].spare);
  }
  return true;
}

void FaceNormal(const __Point3ds* records, float& nx, float& ny, float& nz) {
  const __Point3ds& r0 = records[0];
  const __Point3ds& r1 = records[1];
  const __Point3ds& r2 = records[2];
  nx = (r0.y - r1.y) * (r2.z - r1.z) - (r2.y - r1.y) * (r0.z - r1.z);
  ny = (r2.x - r1.x) * (r0.z - r1.z) - (r0.x - r1.x) * (r2.z - r1.z);
  nz = (r0.x - r1.x) * (r2.y - r1.y) - (r0.y - r1.y) * (r2.x - r1.x);
}

void EdgeLine(float x1, float y1, float x2, float y2, float& a, float& b, float& c) {
  a = y2 - y1;
  b = x1 - x2;
  c = -a * x1 - b * y1;
}

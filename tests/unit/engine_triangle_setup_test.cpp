// Triangle set-up: edge list, orientation, face normal, edge lines and the right chain.
#include <gtest/gtest.h>

#include <math.h>

#include "engine/raster/right_edge.h"
#include "engine/raster/triangle_setup.h"

namespace {

__Point3ds V(float x, float y, float z = 0) {
  __Point3ds p = {};
  p.x = x;
  p.y = y;
  p.z = z;
  return p;
}

struct Prepared {
  __Point3ds v[3];
  EdgeEntry e[3] = {{0, 1, 0}, {1, 2, 0}, {2, 0, 0}};
  bool drawn = false;
};

// The drivers' set-up: rotate the list to the top vertex, then orient.
Prepared Prepare(__Point3ds a, __Point3ds b, __Point3ds c) {
  Prepared s;
  s.v[0] = a;
  s.v[1] = b;
  s.v[2] = c;
  float smallest;
  RotateEdgeList(3, TopEdgeIndex(3, s.v, s.e, &smallest), s.e);
  s.drawn = OrientTriangle(s.e, s.v);
  return s;
}

float SideOf(const EdgeEntry& e, const __Point3ds* v, float x, float y) {
  float a, b, c;
  EdgeLine(v[e.start].x, v[e.start].y, v[e.end].x, v[e.end].y, a, b, c);
  return a * x + b * y + c;
}

}  // namespace

// The largest start y wins, the later entry on a tie; the smallest start y is delivered.
TEST(EngineTriangleSetup, TopEdgeIndexPrefersTheLaterOfEqualTops) {
  __Point3ds v[3] = {V(0, 10), V(5, 10), V(3, -2)};
  EdgeEntry e[3] = {{0, 1, 0}, {1, 2, 0}, {2, 0, 0}};
  float smallest = 0;
  EXPECT_EQ(TopEdgeIndex(3, v, e, &smallest), 1);
  EXPECT_EQ(smallest, -2);
  v[2].y = 11;
  EXPECT_EQ(TopEdgeIndex(3, v, e, &smallest), 2);
  EXPECT_EQ(smallest, 10);
  // No start y reaches -1e11: the index is 1.
  __Point3ds far[3] = {V(0, -2e11f), V(1, -3e11f), V(2, -4e11f)};
  EXPECT_EQ(TopEdgeIndex(3, far, e, &smallest), 1);
  EXPECT_EQ(smallest, -4e11f);
}

TEST(EngineTriangleSetup, RotateEdgeListMovesWholeEntries) {
  EdgeEntry e[3] = {{0, 1, 7}, {1, 2, 8}, {2, 0, 9}};
  RotateEdgeList(3, 2, e);
  EXPECT_EQ(e[0].start, 2);
  EXPECT_EQ(e[0].end, 0);
  EXPECT_EQ(e[0].spare, 9);
  EXPECT_EQ(e[1].start, 0);
  EXPECT_EQ(e[1].spare, 7);
  EXPECT_EQ(e[2].start, 1);
  EXPECT_EQ(e[2].spare, 8);
  RotateEdgeList(3, 0, e);
  EXPECT_EQ(e[0].start, 2);
  RotateEdgeList(3, 4, e);  // 4 mod 3 = 1
  EXPECT_EQ(e[0].start, 0);
  EXPECT_EQ(e[2].start, 2);
}

TEST(EngineTriangleSetup, AngleOfCoversTheFourQuadrants) {
  const float pi = 3.14159265f;
  EXPECT_NEAR(AngleOf(0, 0, 1, 1), pi / 4, 1e-6);
  EXPECT_NEAR(AngleOf(0, 0, -1, 1), 3 * pi / 4, 1e-6);
  EXPECT_NEAR(AngleOf(0, 0, -1, -1), 5 * pi / 4, 1e-6);
  EXPECT_NEAR(AngleOf(0, 0, 1, -1), 7 * pi / 4, 1e-6);
  EXPECT_NEAR(AngleOf(0, 0, 0, -1), 3 * pi / 2, 1e-6);
}

// Both windings of a triangle end in the same vertex order, with the inside of every edge
// on its negative side and the face normal pointing to negative z.
TEST(EngineTriangleSetup, BothWindingsOrientAlike) {
  const __Point3ds a = V(0, 10, 1), b = V(-5, 0, 2), c = V(7, 3, 3);
  Prepared one = Prepare(a, b, c);
  Prepared two = Prepare(a, c, b);
  Prepared three = Prepare(c, a, b);  // same winding as `one`, another start
  ASSERT_TRUE(one.drawn);
  ASSERT_TRUE(two.drawn);
  ASSERT_TRUE(three.drawn);
  for (const Prepared* s : {&one, &two, &three}) {
    const __Point3ds& p0 = s->v[s->e[0].start];
    const __Point3ds& p1 = s->v[s->e[1].start];
    const __Point3ds& p2 = s->v[s->e[1].end];
    EXPECT_EQ(p0.y, 10);  // the top vertex starts the list
    EXPECT_EQ(p1.x, -5);  // the left chain runs through b...
    EXPECT_EQ(p2.x, 7);   // ...then c
    float cx = (a.x + b.x + c.x) / 3, cy = (a.y + b.y + c.y) / 3;
    for (int k = 0; k < 3; ++k) EXPECT_LT(SideOf(s->e[k], s->v, cx, cy), 0) << "edge " << k;
  }
  float nx, ny, nz;
  FaceNormal(one.v, nx, ny, nz);
  EXPECT_LT(nz, 0);
  FaceNormal(two.v, nx, ny, nz);
  EXPECT_LT(nz, 0);
}

// The swap also exchanges the spare bytes of entries 0 and 2.
TEST(EngineTriangleSetup, OrientSwapsVertexRecordsAndSpareBytes) {
  __Point3ds v[3] = {V(0, 10), V(7, 3), V(-5, 0)};
  v[1].u = 0.25f;  // whole records move, not just positions
  EdgeEntry e[3] = {{0, 1, 4}, {1, 2, 5}, {2, 0, 6}};
  ASSERT_TRUE(OrientTriangle(e, v));
  EXPECT_EQ(v[1].x, -5);
  EXPECT_EQ(v[2].x, 7);
  EXPECT_EQ(v[2].u, 0.25f);
  EXPECT_EQ(e[0].spare, 6);
  EXPECT_EQ(e[2].spare, 4);
  EXPECT_EQ(e[1].spare, 5);
}

// P1 and P2 in the same direction from P0 (within 1e-5 radian), or on top of P0, make no
// triangle. Three points in a row with P0 between them pass: the zero-area test of the
// rasterizers rejects those.
TEST(EngineTriangleSetup, DegenerateTrianglesAreRejected) {
  EXPECT_FALSE(Prepare(V(0, 10), V(0, 5), V(0, 0)).drawn);
  EXPECT_FALSE(Prepare(V(0, 10), V(1, 5), V(2, 0)).drawn);
  EXPECT_FALSE(Prepare(V(0, 10), V(0, 10), V(4, 0)).drawn);  // P1 on top of P0
  EXPECT_FALSE(Prepare(V(0, 10), V(2, 0), V(2, 0)).drawn);
  __Point3ds v[3] = {V(5, 0), V(0, 0), V(10, 0)};
  EdgeEntry e[3] = {{0, 1, 0}, {1, 2, 0}, {2, 0, 0}};
  EXPECT_TRUE(OrientTriangle(e, v));
  // Slightly off the line (far more than 1e-5 radian) is a triangle.
  EXPECT_TRUE(Prepare(V(0, 10), V(0, 5), V(0.01f, 0)).drawn);
}

TEST(EngineTriangleSetup, FaceNormalIsPerpendicularToTheFace) {
  __Point3ds r[3] = {V(1, 2, 3), V(4, -1, 0), V(-2, 5, 7)};
  float nx, ny, nz;
  FaceNormal(r, nx, ny, nz);
  for (int k : {0, 2}) {
    float ex = r[k].x - r[1].x, ey = r[k].y - r[1].y, ez = r[k].z - r[1].z;
    EXPECT_NEAR(nx * ex + ny * ey + nz * ez, 0, 1e-3);
  }
  // (R0 - R1) x (R2 - R1) for the unit corner: z points down.
  __Point3ds unit[3] = {V(0, 0), V(1, 0), V(0, 1)};
  FaceNormal(unit, nx, ny, nz);
  EXPECT_EQ(nx, 0);
  EXPECT_EQ(ny, 0);
  EXPECT_EQ(nz, -1);
}

TEST(EngineTriangleSetup, EdgeLinePassesThroughBothEnds) {
  float a, b, c;
  EdgeLine(1, 2, 4, 6, a, b, c);
  EXPECT_EQ(a, 4);
  EXPECT_EQ(b, -3);
  EXPECT_EQ(a * 1 + b * 2 + c, 0);
  EXPECT_EQ(a * 4 + b * 6 + c, 0);
  EdgeSegment s = MakeEdgeSegment(1, 2, 4, 6);
  EXPECT_EQ(s.l2, 25);
  EXPECT_EQ(s.l, 5);
  EXPECT_EQ(s.x2, 4);
}

// The right chain of the oriented triangle (0, 10), (-5, 0), (x2, y2): the edge back to
// the top vertex, and entry 1 when it rises on the right.
TEST(EngineTriangleSetup, RightEdgeOfASimpleTriangle) {
  Prepared s = Prepare(V(0, 10), V(-5, 0), V(5, 0));
  ASSERT_TRUE(s.drawn);
  EdgeSegment edge;
  float wr = 0;
  EXPECT_FLOAT_EQ(RightEdgeAt(3, 1, s.v, s.e, 5, edge, wr), 2.5f);
  EXPECT_EQ(wr, 3);  // the edge moves 0.5 pixel per row: the fringe keeps its minimum
  EXPECT_EQ(edge.x1, 5);
  EXPECT_EQ(edge.y2, 10);
  EXPECT_LT(edge.a * -1 + edge.b * 5 + edge.c, 0);  // inside on the negative side

  // A shallow right edge moves 5 pixels per row: the fringe grows to cover it.
  Prepared wide = Prepare(V(0, 10), V(-5, 0), V(50, 0));
  EXPECT_FLOAT_EQ(RightEdgeAt(3, 1, wide.v, wide.e, 5, edge, wr), 25);
  EXPECT_FLOAT_EQ(wr, 5);

  // With the lowest vertex on the left, entry 1 rises on the right below P2.
  Prepared rising = Prepare(V(0, 10), V(-5, 0), V(5, 6));
  EXPECT_FLOAT_EQ(RightEdgeAt(3, 1, rising.v, rising.e, 3, edge, wr), 0);
  EXPECT_EQ(edge.x1, -5);
  EXPECT_FLOAT_EQ(RightEdgeAt(3, 1, rising.v, rising.e, 8, edge, wr), 2.5f);
  EXPECT_EQ(edge.x1, 5);
  // A rising edge owns its start row: row 0 is entry 1's, at its lower end.
  EXPECT_FLOAT_EQ(RightEdgeAt(3, 1, rising.v, rising.e, 0, edge, wr), -5);
  EXPECT_EQ(edge.x1, -5);

  // An edge exactly one pixel tall still has its slope: at row 10 the edge from (5, 9) up to
  // the top vertex (0, 10) is at x = 0, not at its larger end x.
  Prepared steep = Prepare(V(0, 10), V(-5, 0), V(5, 9));
  EXPECT_FLOAT_EQ(RightEdgeAt(3, 1, steep.v, steep.e, 10, edge, wr), 0);

  // An edge less than one pixel tall gives its larger x.
  Prepared flat = Prepare(V(0, 10), V(-5, 10.5f), V(8, 10.2f));
  EXPECT_FLOAT_EQ(RightEdgeAt(3, 2, flat.v, flat.e, 10, edge, wr),
                  fmaxf(flat.v[flat.e[2].start].x, flat.v[flat.e[2].end].x));
}

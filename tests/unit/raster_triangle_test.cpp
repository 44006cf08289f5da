// The shaded triangle rasterizers: which pixels each family covers, the depth rules, the
// anti-aliased fringes, what the shader is handed, and the patch split.
#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "engine/raster/shaded_triangle.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

using PixelSet = std::set<std::pair<int, int>>;

class TriangleRaster : public EngineTest {
 protected:
  Image image{64, 64, false};
  std::vector<__Point3ds> points;
  __Triangle3ds tri = Face(0, 1, 2);

  void Draw(TriangleDriverFn draw, int origin_x = 0, int origin_y = 0) {
    TestCall(image.data(), image.data(), &tri, points.data(), origin_x, origin_y).Drive(draw);
  }
  PixelSet Covered() const {
    PixelSet s;
    for (int y = 0; y < image.h; ++y)
      for (int x = 0; x < image.w; ++x)
        if (image.at(x, y, 3) != 0) s.insert({x, y});
    return s;
  }
  static PixelSet Shaded() {
    PixelSet s;
    for (const ShaderCall& c : RecordedCalls()) s.insert({c.pixel_x(), c.pixel_y()});
    return s;
  }
};

// Right triangle (10, 30), (10, 10), (30, 10), the top vertex at y = 30 and the right edge
// x = 40 - y. Without quality the Phong rasterizer covers trunc(xl) <= x < xr on the rows
// 30 >= y > 10: 0 + 1 + ... + 19 = 190 pixels, each shaded once at full coverage.
TEST_F(TriangleRaster, PhongWithoutQualityCoversExactlyTheHalfOpenSpans) {
  points = {Vertex(10, 30, 0), Vertex(10, 10, 0), Vertex(30, 10, 0)};
  PixelSet expected;
  for (int y = 11; y <= 30; ++y)
    for (int x = 10; x < 40 - y; ++x) expected.insert({x, y});
  ASSERT_EQ(expected.size(), 190u);

  for (auto order : {Face(0, 1, 2), Face(0, 2, 1), Face(2, 0, 1)}) {
    image.fill(0, 0, 0, 0);
    RecordShaderCalls();
    tri = order;
    Draw(DrawPhongTriangle);
    EXPECT_EQ(Covered(), expected) << "winding " << order.a << order.b << order.c;
    EXPECT_EQ(RecordedCalls().size(), expected.size()) << "each pixel shaded once";
    for (const auto& p : expected) {
      EXPECT_EQ(image.at(p.first, p.second, 0), 200);
      EXPECT_EQ(image.at(p.first, p.second, 3), 255);
    }
  }
}

// The same triangle, flat: rows y >= y_end include the bottom row, and the right boundary
// pixel x = xr belongs to the interior when xr is an integer: rows 10..30, 10 <= x <= 40 - y.
TEST_F(TriangleRaster, FlatIncludesTheIntegerRightBoundaryAndTheBottomRow) {
  points = {Vertex(10, 30, 0), Vertex(10, 10, 0), Vertex(30, 10, 0)};
  PixelSet expected;
  for (int y = 10; y <= 30; ++y)
    for (int x = 10; x <= 40 - y; ++x) expected.insert({x, y});
  Draw(DrawFlatTriangle);
  EXPECT_EQ(Covered(), expected);
}

// A left edge less than one pixel tall has no usable slope: the row it owns starts at its
// smaller x. The flat top (40, 21.3) -> (10, 20.6) of the triangle with (25, 5.5) owns row
// 21 in both families, from column 10 to the right edge at 25 + 15.5 * 15 / 15.8 = 39.72.
TEST_F(TriangleRaster, EdgeUnderAPixelTallFillsItsRowFromItsSmallerX) {
  points = {Vertex(40, 21.3f, 0), Vertex(10, 20.6f, 0), Vertex(25, 5.5f, 0)};
  for (auto draw : {DrawPhongTriangle, DrawFlatTriangle}) {
    image.fill(0, 0, 0, 0);
    Draw(draw);
    int row21 = 0;
    for (int x = 0; x < 64; ++x) {
      EXPECT_EQ(image.at(x, 21, 3), x >= 10 && x <= 39 ? 255 : 0) << x;
      row21 += image.at(x, 21, 3) != 0;
      EXPECT_EQ(image.at(x, 22, 3), 0) << x;
    }
    EXPECT_EQ(row21, 30);
  }
}

// A left edge between one and two rows tall keeps its slope: the edge from the top (20, 20)
// to (14, 18.5) crosses row 19 at 20 - 1 x 6 / 1.5 = 16, and the right edge from (30, 0)
// at 20.5, so row 19 holds columns 16 to 20 in both families.
TEST_F(TriangleRaster, EdgeOneAndAHalfRowsTallKeepsItsSlope) {
  points = {Vertex(20, 20, 0), Vertex(14, 18.5f, 0), Vertex(30, 0, 0)};
  for (auto draw : {DrawPhongTriangle, DrawFlatTriangle}) {
    image.fill(0, 0, 0, 0);
    Draw(draw);
    for (int x = 0; x < 64; ++x)
      EXPECT_EQ(image.at(x, 19, 3), x >= 16 && x <= 20 ? 255 : 0) << x;
  }
}

// With an origin the pixels move, and the shader sees positions relative to the origin.
TEST_F(TriangleRaster, OriginShiftsPixelsAndShaderPositionsAreRelative) {
  points = {Vertex(-10, 0, 0), Vertex(-10, -20, 0), Vertex(10, -20, 0)};
  RecordShaderCalls();
  Draw(DrawPhongTriangle, 20, 30);
  PixelSet expected;
  for (int y = 11; y <= 30; ++y)
    for (int x = 10; x < 40 - y; ++x) expected.insert({x, y});
  EXPECT_EQ(Covered(), expected);
  for (const ShaderCall& c : RecordedCalls()) {
    EXPECT_EQ(c.origin_x, 20.0f);
    EXPECT_EQ(c.origin_y, 30.0f);
    EXPECT_GE(c.x, -10.0f);
    EXPECT_LE(c.y, 0.0f);
  }
}

// Two triangles sharing an edge leave no gap between them: every pixel inside the square
// they make is drawn by one or both.
TEST_F(TriangleRaster, SharedEdgesLeaveNoGaps) {
  for (int family = 0; family < 2; ++family) {
    image.fill(0, 0, 0, 0);
    points = {Vertex(5.3f, 7.6f, 0), Vertex(50.7f, 9.1f, 0), Vertex(48.2f, 55.4f, 0),
              Vertex(6.9f, 52.8f, 0)};
    for (auto f : {Face(0, 1, 2), Face(0, 2, 3)}) {
      tri = f;
      Draw(family ? DrawFlatTriangle : DrawPhongTriangle);
    }
    // Pixels at least 1.5 from every outer edge lie inside the quadrilateral.
    const float qx[4] = {5.3f, 50.7f, 48.2f, 6.9f}, qy[4] = {7.6f, 9.1f, 55.4f, 52.8f};
    int inside = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        bool deep_inside = true;
        for (int k = 0; k < 4; ++k) {
          const float ax = qx[k], ay = qy[k], bx = qx[(k + 1) % 4], by = qy[(k + 1) % 4];
          const float cross = (bx - ax) * (y - ay) - (by - ay) * (x - ax);
          const float len = hypotf(bx - ax, by - ay);
          if (cross / len < 1.5f) deep_inside = false;
        }
        if (!deep_inside) continue;
        ++inside;
        EXPECT_EQ(image.at(x, y, 3), 255) << "gap at " << x << "," << y << " family " << family;
      }
    EXPECT_GT(inside, 1000);
  }
}

// Depth: a pixel is drawn only when the plane's depth is strictly greater than the stored
// one, and then the new depth stays in the z-buffer.
TEST_F(TriangleRaster, DepthTestIsStrict) {
  points = {Vertex(10, 30, 5), Vertex(10, 10, 5), Vertex(30, 10, 5)};
  float* z = static_cast<float*>(EngineAlloc(64 * 64 * sizeof(float)));
  __SetZBuff(z, 64, 64);
  for (int i = 0; i < 64 * 64; ++i) z[i] = 5.0f;
  RecordShaderCalls();
  Draw(DrawPhongTriangle);
  EXPECT_TRUE(RecordedCalls().empty());
  EXPECT_TRUE(Covered().empty());

  for (int i = 0; i < 64 * 64; ++i) z[i] = 4.999f;
  Draw(DrawPhongTriangle);
  EXPECT_EQ(Covered().size(), 190u);
  EXPECT_EQ(z[20 * 64 + 12], 5.0f);
  EXPECT_EQ(z[5 * 64 + 5], 4.999f);
}

// Fringe pixels give their old depth back: a triangle drawn later behind an anti-aliased
// fringe still reaches those pixels, while the interior keeps it out.
TEST_F(TriangleRaster, FringesDoNotOccludeLaterTriangles) {
  _Quality = 1;
  float* z = static_cast<float*>(EngineAlloc(64 * 64 * sizeof(float)));
  __SetZBuff(z, 64, 64);
  ZBuffClear();
  points = {Vertex(20.4f, 40.3f, 10), Vertex(20.4f, 20.3f, 10), Vertex(40.4f, 20.3f, 10),
            Vertex(2, 60, 1), Vertex(2, 2, 1), Vertex(60, 2, 1), Vertex(60, 60, 1)};
  Draw(DrawPhongTriangle);
  // The hypotenuse x + y = 60.7: pixel (31, 30) lies 0.2 outside it, in the right fringe.
  const int fx = 31, fy = 30;
  ASSERT_GT(image.at(fx, fy, 3), 0);
  ASSERT_LT(image.at(fx, fy, 3), 255);
  EXPECT_LT(z[fy * 64 + fx], -1e37f) << "fringe left its depth behind";
  EXPECT_EQ(z[30 * 64 + 25], 10.0f) << "interior depth stored";

  RecordShaderCalls();
  Answer().c[0] = 0.0f;
  for (auto f : {Face(3, 4, 5), Face(3, 5, 6)}) {
    tri = f;
    Draw(DrawPhongTriangle);
  }
  const PixelSet behind = Shaded();
  EXPECT_EQ(behind.count({fx, fy}), 1u) << "the far triangle still reaches the fringe pixel";
  EXPECT_EQ(behind.count({25, 30}), 0u) << "but not the near triangle's interior";
  EXPECT_LT(image.at(fx, fy, 0), 200) << "and blends its colour in there";
}

// Anti-aliasing: with quality the edges get partial coverage, the interior full coverage.
// A pixel up to half a pixel inside an edge counts as covered and one outside gets 1 - its
// distance, so the total coverage is the area grown by about half a pixel along the
// perimeter.
TEST_F(TriangleRaster, QualityCoverageSumsToTheArea) {
  _Quality = 1;
  for (auto draw : {DrawPhongTriangle, DrawFlatTriangle}) {
    image.fill(0, 0, 0, 0);
    points = {Vertex(12.3f, 50.2f, 0), Vertex(8.6f, 11.7f, 0), Vertex(51.4f, 20.9f, 0)};
    Draw(draw);
    double sum = 0;
    int partial = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 64; ++x) {
        sum += image.at(x, y, 3) / 255.0;
        if (image.at(x, y, 3) > 0 && image.at(x, y, 3) < 255) ++partial;
      }
    const double area = 0.5 * fabs((8.6 - 12.3) * (20.9 - 50.2) - (51.4 - 12.3) * (11.7 - 50.2));
    const double perimeter = hypot(8.6 - 12.3, 11.7 - 50.2) + hypot(51.4 - 8.6, 20.9 - 11.7) +
                             hypot(12.3 - 51.4, 50.2 - 20.9);
    EXPECT_GT(sum, area + 0.3 * perimeter);
    EXPECT_LT(sum, area + 0.7 * perimeter);
    EXPECT_GT(partial, 40);
  }
}

// A sliver narrower than a pixel stays visible along its whole length with quality: every
// row it crosses holds some coverage.
TEST_F(TriangleRaster, ThinSliverIsContinuousWithQuality) {
  _Quality = 1;
  points = {Vertex(20.2f, 55.5f, 0), Vertex(20.0f, 5.5f, 0), Vertex(20.6f, 5.5f, 0)};
  Draw(DrawPhongTriangle);
  for (int y = 7; y <= 54; ++y) {
    int row = 0;
    for (int x = 15; x < 26; ++x) row += image.at(x, y, 3);
    EXPECT_GT(row, 0) << "row " << y;
  }
  // Without quality the sliver draws at most one pixel per row and nothing outside it.
  image.fill(0, 0, 0, 0);
  _Quality = 0;
  Draw(DrawPhongTriangle);
  for (const auto& p : Covered()) EXPECT_EQ(p.first, 20);
}

// The flat rasterizer hands the shader one normal, the unit face normal turned towards the
// viewer; the Phong one interpolates the vertex normals.
TEST_F(TriangleRaster, FlatNormalIsConstantPhongNormalIsInterpolated) {
  points = {Vertex(10, 40, 0, -0.6f, 0.0f, 0.8f), Vertex(12, 10, 30, 0.0f, 0.0f, 1.0f),
            Vertex(45, 20, 10, 0.6f, 0.0f, 0.8f)};
  // Unit face normal of the plane through the three points, z > 0.
  const float ux = 12 - 10, uy = 10 - 40, uz = 30 - 0, vx = 45 - 10, vy = 20 - 40, vz = 10 - 0;
  float nx = uy * vz - uz * vy, ny = uz * vx - ux * vz, nz = ux * vy - uy * vx;
  const float len = sqrtf(nx * nx + ny * ny + nz * nz) * (nz < 0 ? -1.0f : 1.0f);
  nx /= len;
  ny /= len;
  nz /= len;

  RecordShaderCalls();
  Draw(DrawFlatTriangle);
  ASSERT_GT(RecordedCalls().size(), 200u);
  for (const ShaderCall& c : RecordedCalls()) {
    EXPECT_NEAR(c.normal.x, nx, 1e-5f);
    EXPECT_NEAR(c.normal.y, ny, 1e-5f);
    EXPECT_NEAR(c.normal.z, nz, 1e-5f);
    // The plane handed along gives the depth the pixel was tested with.
    const float px = c.x + c.origin_x, py = c.y + c.origin_y;
    EXPECT_NEAR(-(c.plane[0] * px + c.plane[1] * py + c.plane[3]) / c.plane[2], c.z, 1e-3f);
    EXPECT_FALSE(c.has_prev && c.prev.valid) << "the flat record is never filled";
  }

  RecordShaderCalls();
  Draw(DrawPhongTriangle);
  float min_nx = 1, max_nx = -1;
  for (const ShaderCall& c : RecordedCalls()) {
    min_nx = std::min(min_nx, c.normal.x);
    max_nx = std::max(max_nx, c.normal.x);
  }
  EXPECT_LT(min_nx, -0.3f);
  EXPECT_GT(max_nx, 0.3f);
}

// The flat rasterizer's rows with quality: left fringe up to xl, interior up to xr, right
// fringe from trunc(xr + 1), so that each pixel of a row is visited once, left to right
// (the anti-aliasing passes, which hand the shader no record, come on their own).
TEST_F(TriangleRaster, FlatRowsVisitEachPixelOnceLeftToRight) {
  _Quality = 1;
  for (float right : {40.5f, 40.0f}) {  // a right edge between columns, and on one
    points = {Vertex(right, 50.3f, 0), Vertex(10.2f, 20.4f, 0), Vertex(right, 5.3f, 0)};
    RecordShaderCalls();
    Draw(DrawFlatTriangle);
    int rows = 0, visits = 0;
    const ShaderCall* before = nullptr;
    for (const ShaderCall& c : RecordedCalls()) {
      if (!c.has_prev) continue;  // an anti-aliasing pass
      ++visits;
      if (before && before->pixel_y() == c.pixel_y())
        ASSERT_GT(c.pixel_x(), before->pixel_x()) << "row " << c.pixel_y() << " " << right;
      else
        ++rows;
      before = &c;
    }
    EXPECT_GE(rows, 44) << right;
    EXPECT_GT(visits, 700) << right;
  }
}

// The second Phong scheme through the rasterizer, which builds the mid-edge normals from
// the vertices: on the triangle (10, 30), (10, 10), (30, 10) with normals N0 = z, N1 = x,
// N2 = y, the middle of edge 0-1, (10, 20), gets 0.25 N0 + 0.25 N1 + 0.25 (N0 + N1) / 2;
// the middle of edge 1-2, (20, 10), 0.25 N1 + 0.25 N2 + 2 x 0.25 (N1 + N2) / 2; the middle
// of edge 2-0, (20, 20), 0.25 N2 + 0.25 N0 + 0.25 (N2 + N0) / 2.
TEST_F(TriangleRaster, SecondPhongSchemeBlendsTheMidEdgeNormals) {
  _Quality = 1;
  _UsePhong2 = 1;
  points = {Vertex(10, 30, 0, 0, 0, 1), Vertex(10, 10, 0, 1, 0, 0), Vertex(30, 10, 0, 0, 1, 0)};
  RecordShaderCalls();
  Draw(DrawPhongTriangle);
  const struct {
    int x, y;
    float n[3];
  } mids[] = {{10, 20, {0.375f, 0.0f, 0.375f}},
              {20, 10, {0.5f, 0.5f, 0.0f}},
              {20, 20, {0.0f, 0.375f, 0.375f}}};
  for (const auto& m : mids) {
    int seen = 0;
    for (const ShaderCall& c : RecordedCalls()) {
      if (c.pixel_x() != m.x || c.pixel_y() != m.y) continue;
      ++seen;
      EXPECT_NEAR(c.normal.x, m.n[0], 1e-6f) << m.x << "," << m.y;
      EXPECT_NEAR(c.normal.y, m.n[1], 1e-6f) << m.x << "," << m.y;
      EXPECT_NEAR(c.normal.z, m.n[2], 1e-6f) << m.x << "," << m.y;
    }
    EXPECT_GT(seen, 0) << m.x << "," << m.y;
  }
}

// The Phong record of the previous pixel: invalid at the start of each row, then the pixel
// just visited, with its position relative to the origin.
TEST_F(TriangleRaster, PhongKeepsThePreviousPixelOfTheRow) {
  points = {Vertex(10, 30, 0), Vertex(10, 10, 0), Vertex(30, 10, 0)};
  RecordShaderCalls();
  Draw(DrawPhongTriangle, 0, 0);
  const auto& calls = RecordedCalls();
  ASSERT_EQ(calls.size(), 190u);
  for (size_t i = 0; i < calls.size(); ++i) {
    ASSERT_TRUE(calls[i].has_prev);
    const bool row_start = calls[i].pixel_x() == 10;
    EXPECT_EQ(calls[i].prev.valid, row_start ? 0 : 1);
    if (!row_start) {
      EXPECT_EQ(calls[i].prev.x, calls[i].x - 1.0f);
      EXPECT_EQ(calls[i].prev.y, calls[i].y);
    }
  }
}

// With quality, the right fringe keeps the record the other way round: after a fringe pixel
// that was drawn it is invalid, after one that failed its depth test it is valid and holds
// that pixel with the texture coordinates interpolated before it. The triangle (40.5, 50.3),
// (10.2, 20.4), (40.5, 5.3) has the vertical right edge x = 40.5: on row 30 the interior
// ends at column 40 and the fringe runs over columns 40..43 (40.5 + the minimum width 3).
// u is the vertices' y / 100; beyond the right edge the clamped weights put a pixel where
// the line from (10.2, 20.4) through it meets the edge, so u is 0.29844 at column 41 and
// 0.29547 at column 42.
TEST_F(TriangleRaster, RightFringeRecordIsValidOnlyAfterAPixelNotDrawn) {
  _Quality = 1;
  points = {Vertex(40.5f, 50.3f, 0), Vertex(10.2f, 20.4f, 0), Vertex(40.5f, 5.3f, 0)};
  for (__Point3ds& p : points) {
    p.has_uv = 1;
    p.u = p.y / 100.0f;
  }
  // The row's shaded pixels that carry a record, in visiting order.
  const auto row30 = [] {
    std::vector<ShaderCall> row;
    for (const ShaderCall& c : RecordedCalls())
      if (c.has_prev && c.pixel_y() == 30) row.push_back(c);
    return row;
  };

  // Without a z-buffer every fringe pixel is drawn: only the first one sees a valid record,
  // the interior's last pixel (column 40, visited again as the fringe's first).
  RecordShaderCalls();
  Draw(DrawPhongTriangle);
  std::vector<ShaderCall> row = row30();
  ASSERT_GE(row.size(), 6u);
  const ShaderCall* tail = &row[row.size() - 5];
  const int columns[5] = {40, 40, 41, 42, 43};
  const int valid[5] = {1, 1, 0, 0, 0};
  const float prev_x[5] = {39, 40, 40, 41, 42};
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(tail[k].pixel_x(), columns[k]) << k;
    EXPECT_EQ(tail[k].prev.valid, valid[k]) << k;
    EXPECT_EQ(tail[k].prev.x, prev_x[k]) << k;
    EXPECT_EQ(tail[k].prev.y, 30.0f) << k;
  }

  // With a z-buffer the fringe's column 40 fails (the interior stored the same depth there)
  // and so does column 42 (held by something nearer): columns 41 and 43 are drawn, each
  // seeing the failed pixel before it as a valid record.
  float* z = static_cast<float*>(EngineAlloc(64 * 64 * sizeof(float)));
  __SetZBuff(z, 64, 64);
  ZBuffClear();
  z[30 * 64 + 42] = 1e30f;
  image.fill(0, 0, 0, 0);
  RecordShaderCalls();
  Draw(DrawPhongTriangle);
  row = row30();
  ASSERT_GE(row.size(), 3u);
  tail = &row[row.size() - 3];
  EXPECT_EQ(tail[0].pixel_x(), 40);
  EXPECT_EQ(tail[1].pixel_x(), 41);
  EXPECT_EQ(tail[1].prev.valid, 1);
  EXPECT_EQ(tail[1].prev.x, 40.0f);
  EXPECT_EQ(tail[2].pixel_x(), 43);
  EXPECT_EQ(tail[2].prev.valid, 1);
  EXPECT_EQ(tail[2].prev.x, 42.0f);
  EXPECT_NEAR(tail[1].u, 0.29844f, 2e-5f);
  EXPECT_EQ(tail[2].prev.u, tail[1].u) << "the coordinates from before the failed pixel, "
                                          "not its own 0.29547";
  EXPECT_EQ(z[30 * 64 + 41], z[0]) << "fringe pixels give their depth back";
}

// The anti-aliasing pass around the edges. For P0 (20.4, 40.6), P1 (12.3, 12.2),
// P2 (44.8, 8.7) the Phong rasterizer's corner pass visits, rows in increasing y, a box of
// four rows around the upper end of each left-chain edge, reaching 1.5 pixels against the
// edge's direction and 1.5 rows' worth of its slope along it, and last one around the
// lower end of the right edge:
//   P0-P1 (towards smaller x): rows trunc(40.6 -+ 1.5) = 39..42,
//     columns trunc(20.4 - 1.5 * 8.1 / 28.4) = 19 .. trunc(20.4 + 1.5) = 21;
//   P1-P2 (towards larger x): rows trunc(12.2 -+ 1.5) = 10..13,
//     columns trunc(12.3 - 1.5) = 10 .. trunc(12.3 + 1.5 * 32.5 / 3.5) = 26;
//   P2-P0 (final pass, lower end, towards smaller x): rows trunc(8.7 -+ 1.5) = 7..10,
//     columns trunc(44.8 - 1.5 * 24.4 / 31.9) = 43 .. trunc(44.8 + 1.5) = 46.
// The flat rasterizer's pass covers each edge's whole box grown by 1.5 pixels:
//   P0-P1: rows 10..42, columns 10..21; P1-P2: rows 7..13, columns 10..46;
//   P2-P0: rows 7..42, columns 18..46.
// An installed shader (glass does the same) is handed every pixel of these boxes, covered
// or not, without a previous-pixel record; what the pass draws is seen at the apex, where
// no row of the scan reaches: pixel (20, 41), 0.566 from P0, is covered 1 - 0.566.
TEST_F(TriangleRaster, AntiAliasingPassVisitsTheBoxesAroundTheEdges) {
  _Quality = 1;
  points = {Vertex(20.4f, 40.6f, 0), Vertex(12.3f, 12.2f, 0), Vertex(44.8f, 8.7f, 0)};
  struct Box {
    int y0, y1, x0, x1;
  };
  const std::vector<Box> phong = {{39, 42, 19, 21}, {10, 13, 10, 26}, {7, 10, 43, 46}};
  const std::vector<Box> flat = {{10, 42, 10, 21}, {7, 13, 10, 46}, {7, 42, 18, 46}};
  for (int family = 0; family < 2; ++family) {
    std::vector<std::pair<int, int>> expected;
    for (const Box& b : family ? flat : phong)
      for (int y = b.y0; y <= b.y1; ++y)
        for (int x = b.x0; x <= b.x1; ++x) expected.push_back({x, y});
    RecordShaderCalls();
    Draw(family ? DrawFlatTriangle : DrawPhongTriangle);
    std::vector<std::pair<int, int>> visited;
    for (const ShaderCall& c : RecordedCalls())
      if (!c.has_prev) visited.push_back({c.pixel_x(), c.pixel_y()});
    EXPECT_EQ(visited.size(), family ? 396u + 259u + 1044u : 12u + 68u + 16u) << family;
    EXPECT_EQ(visited, expected) << "family " << family;

    RenderOnePixel = DefRenderOnePixel;
    image.fill(0, 0, 0, 0);
    Draw(family ? DrawFlatTriangle : DrawPhongTriangle);
    EXPECT_NEAR(image.at(20, 41, 3), 110, 1) << family;
    EXPECT_EQ(image.at(20, 42, 3), 0) << family;
    EXPECT_EQ(image.at(19, 41, 3), 0) << family;
  }
}

// An edge less than a row tall has no slope to reach along: the Phong rasterizer's corner
// box runs along the whole edge and 1.5 pixels past its far end. With P2 at (44.8, 11.7)
// instead, P1-P2 is half a row tall: rows trunc(12.2 -+ 1.5) = 10..13, columns
// trunc(12.3 - 1.5) = 10 .. trunc(12.3 + 32.5 + 1.5) = 46. P0-P1 keeps rows 39..42, columns
// 19..21. That box already holds the corner around P2 (rows 10..13, columns 43..46), and
// the walk ends with the flat edge, without another pass.
TEST_F(TriangleRaster, CornerBoxOfAnEdgeUnderARowTallSpansTheEdge) {
  _Quality = 1;
  points = {Vertex(20.4f, 40.6f, 0), Vertex(12.3f, 12.2f, 0), Vertex(44.8f, 11.7f, 0)};
  struct Box {
    int y0, y1, x0, x1;
  };
  std::vector<std::pair<int, int>> expected;
  for (const Box& b : {Box{39, 42, 19, 21}, Box{10, 13, 10, 46}})
    for (int y = b.y0; y <= b.y1; ++y)
      for (int x = b.x0; x <= b.x1; ++x) expected.push_back({x, y});
  RecordShaderCalls();
  Draw(DrawPhongTriangle);
  std::vector<std::pair<int, int>> visited;
  for (const ShaderCall& c : RecordedCalls())
    if (!c.has_prev) visited.push_back({c.pixel_x(), c.pixel_y()});
  EXPECT_EQ(visited.size(), 12u + 148u);
  EXPECT_EQ(visited, expected);
}

// Solid fill: the caller's colour at the caller's opacity; no depth test, no depth writes.
TEST_F(TriangleRaster, SolidFillIgnoresAndKeepsTheZBuffer) {
  float* z = static_cast<float*>(EngineAlloc(64 * 64 * sizeof(float)));
  __SetZBuff(z, 64, 64);
  for (int i = 0; i < 64 * 64; ++i) z[i] = 1e30f;
  points = {Vertex(10, 30, 0), Vertex(10, 10, 0), Vertex(30, 10, 0)};
  const float colour[3] = {10.0f, 20.0f, 30.0f};
  DrawSolidTriangle(OutputImage(image.data()), tri, points.data(), 0, 0, colour, 1.0f);
  PixelSet expected;
  for (int y = 10; y <= 30; ++y)
    for (int x = 10; x <= 40 - y; ++x) expected.insert({x, y});
  EXPECT_EQ(Covered(), expected);
  EXPECT_EQ(image.at(15, 20, 2), 30);
  for (int i = 0; i < 64 * 64; ++i) ASSERT_EQ(z[i], 1e30f);
}

// Degenerate and far-away triangles draw nothing and do not hang or write out of range.
TEST_F(TriangleRaster, DegenerateAndHugeTrianglesAreSafe) {
  RecordShaderCalls();
  points = {Vertex(10, 10, 0), Vertex(20, 20, 0), Vertex(30, 30, 0)};
  for (unsigned char quality : {0, 1}) {  // with quality its fringes would reach pixels too
    _Quality = quality;
    Draw(DrawPhongTriangle);
    Draw(DrawFlatTriangle);
    EXPECT_TRUE(RecordedCalls().empty()) << int{quality};
    EXPECT_EQ(image.at(20, 20, 3), 0) << int{quality};
  }

  _Quality = 1;
  points = {Vertex(-1e8f, -1e8f, 0), Vertex(1e8f, -1e8f, 0), Vertex(0, 1e8f, 0)};
  Draw(DrawPhongTriangle);
  Draw(DrawFlatTriangle);
  EXPECT_EQ(image.at(32, 32, 3), 255) << "a huge triangle covers the image";
  points = {Vertex(NAN, 0, 0), Vertex(10, 10, 0), Vertex(0, 20, 0)};
  Draw(DrawPhongTriangle);
}

// Patch split with normals perpendicular to the triangle: the new vertices are the exact
// edge midpoints, and the four parts lie in the parent's plane.
TEST_F(TriangleRaster, PatchSplitOfAFlatTriangleStaysInItsPlane) {
  // Plane z = 0.2 x + 0.1 y + 3, normal (-0.2, -0.1, 1).
  auto at = [](float x, float y) { return Vertex(x, y, 0.2f * x + 0.1f * y + 3.0f, -0.2f, -0.1f, 1.0f); };
  points = {at(10, 50), at(8, 9), at(52, 24)};
  __Point3ds v[6];
  BuildPatchVertices(tri, points.data(), v);
  const int pairs[3][2] = {{0, 1}, {1, 2}, {0, 2}};
  for (int k = 0; k < 3; ++k) {
    const __Point3ds &a = v[pairs[k][0]], &b = v[pairs[k][1]];
    EXPECT_NEAR(v[3 + k].x, (a.x + b.x) / 2, 1e-4f);
    EXPECT_NEAR(v[3 + k].y, (a.y + b.y) / 2, 1e-4f);
    EXPECT_NEAR(v[3 + k].z, (a.z + b.z) / 2, 1e-4f);
    EXPECT_NEAR(v[3 + k].nx, -0.2f, 1e-6f);
  }

  RecordShaderCalls();
  Draw(DrawPatchTriangle);
  ASSERT_GT(RecordedCalls().size(), 500u);
  for (const ShaderCall& c : RecordedCalls())
    EXPECT_NEAR(c.z, 0.2f * c.x + 0.1f * c.y + 3.0f, 1e-3f);
  // The four parts leave no gap inside the parent.
  PixelSet phong;
  image.fill(0, 0, 0, 0);
  Draw(DrawPhongTriangle);
  const PixelSet parent = Covered();
  image.fill(0, 0, 0, 0);
  Draw(DrawPatchTriangle);
  const PixelSet parts = Covered();
  int missing = 0;
  for (const auto& p : parent) missing += parts.count(p) == 0;
  EXPECT_LE(missing, 3) << "parts should cover the parent up to boundary rounding";
}

// Curved normals move the new vertices outward: on a sphere the split midpoints lie
// farther from the centre than the chord midpoints.
TEST_F(TriangleRaster, PatchSplitFollowsCurvedNormals) {
  const float r = 20.0f;
  auto on_sphere = [&](float theta, float phi) {
    const float nx = sinf(theta) * cosf(phi), ny = sinf(theta) * sinf(phi), nz = cosf(theta);
    return Vertex(r * nx, r * ny, r * nz, nx, ny, nz);
  };
  points = {on_sphere(0.2f, 0.0f), on_sphere(0.7f, 0.3f), on_sphere(0.6f, 1.4f)};
  __Point3ds v[6];
  BuildPatchVertices(tri, points.data(), v);
  for (int k = 3; k < 6; ++k) {
    const float d = sqrtf(v[k].x * v[k].x + v[k].y * v[k].y + v[k].z * v[k].z);
    EXPECT_GT(d, r * 0.985f);
    EXPECT_LT(d, r * 1.002f);
  }
  // The chord midpoint of edge 0-1 is clearly inside the sphere.
  const float mx = (points[0].x + points[1].x) / 2, my = (points[0].y + points[1].y) / 2,
              mz = (points[0].z + points[1].z) / 2;
  EXPECT_LT(sqrtf(mx * mx + my * my + mz * mz), r * 0.985f);
}

// A corner without a normal has no tangent plane: its two edges keep their plain midpoints,
// while the third edge, between normals (0.6, 0, 0.8) and (0, 0, 1), is pulled out: the
// midpoint (10, 10, 0) lies 6 below the first tangent plane and on the second, so the
// projections average to (11.8, 10, 2.4) and the new vertex is (10.9, 10, 1.2).
TEST_F(TriangleRaster, PatchSplitKeepsPlainMidpointsBesideACornerWithoutNormal) {
  points = {Vertex(0, 0, 0, 0, 0, 0), Vertex(20, 0, 0, 0.6f, 0.0f, 0.8f),
            Vertex(0, 20, 0, 0, 0, 1)};
  __Point3ds v[6];
  BuildPatchVertices(tri, points.data(), v);
  const float expected[3][3] = {{10, 0, 0}, {10.9f, 10, 1.2f}, {0, 10, 0}};
  for (int k = 0; k < 3; ++k) {
    EXPECT_NEAR(v[3 + k].x, expected[k][0], 1e-5f) << k;
    EXPECT_NEAR(v[3 + k].y, expected[k][1], 1e-5f) << k;
    EXPECT_NEAR(v[3 + k].z, expected[k][2], 1e-5f) << k;
  }
}

// The split's new vertices carry the mean normal and the mean texture coordinates of their
// edge's ends. Corners with normals (0.6, 0, 0.8), (0, 0.6, 0.8), (0, 0, 1) and (u, v)
// (0.1, 0.9), (0.3, 0.2), (0.8, 0.6): edges 0-1, 1-2, 0-2 give the normals (0.3, 0.3, 0.8),
// (0, 0.3, 0.9), (0.3, 0, 0.9) and the coordinates (0.2, 0.55), (0.55, 0.4), (0.45, 0.75).
TEST_F(TriangleRaster, PatchSplitAveragesNormalsAndCoordinates) {
  points = {Vertex(10, 40, 5, 0.6f, 0.0f, 0.8f), Vertex(12, 8, 5, 0.0f, 0.6f, 0.8f),
            Vertex(50, 20, 5, 0.0f, 0.0f, 1.0f)};
  const float uv[3][2] = {{0.1f, 0.9f}, {0.3f, 0.2f}, {0.8f, 0.6f}};
  for (size_t k = 0; k < 3; ++k) {
    points[k].has_uv = 1;
    points[k].u = uv[k][0];
    points[k].v = uv[k][1];
  }
  __Point3ds v[6];
  BuildPatchVertices(tri, points.data(), v);
  const float normal[3][3] = {{0.3f, 0.3f, 0.8f}, {0.0f, 0.3f, 0.9f}, {0.3f, 0.0f, 0.9f}};
  const float mean_uv[3][2] = {{0.2f, 0.55f}, {0.55f, 0.4f}, {0.45f, 0.75f}};
  for (int k = 0; k < 3; ++k) {
    const __Point3ds& m = v[3 + k];
    EXPECT_EQ(m.has_normal, 1) << k;
    EXPECT_NEAR(m.nx, normal[k][0], 1e-6f) << k;
    EXPECT_NEAR(m.ny, normal[k][1], 1e-6f) << k;
    EXPECT_NEAR(m.nz, normal[k][2], 1e-6f) << k;
    EXPECT_EQ(m.has_uv, 1) << k;
    EXPECT_NEAR(m.u, mean_uv[k][0], 1e-6f) << k;
    EXPECT_NEAR(m.v, mean_uv[k][1], 1e-6f) << k;
  }
}

}  // namespace

namespace {

// A textured triangle: each corner carries its own (u, v).
std::vector<__Point3ds> TexturedCorners(float z0, float z1, float z2) {
  std::vector<__Point3ds> v = {Vertex(10, 40, z0), Vertex(12, 8, z1), Vertex(50, 20, z2)};
  const float uv[3][2] = {{0.1f, 0.9f}, {0.3f, 0.2f}, {0.8f, 0.6f}};
  for (int k = 0; k < 3; ++k) {
    v[static_cast<size_t>(k)].has_uv = 1;
    v[static_cast<size_t>(k)].u = uv[k][0];
    v[static_cast<size_t>(k)].v = uv[k][1];
  }
  return v;
}

}  // namespace

// Perspective texture coordinates are taken at pixels mapped back through the recorded
// projection. A projection that maps nothing (centre 0, every depth 0) must give, pixel for
// pixel, the coordinates of plain interpolation over the same pixels, in the Phong and the
// flat rasterizers.
TEST_F(TriangleRaster, PerspectiveThatChangesNothingGivesThePlainCoordinates) {
  for (auto draw : {DrawPhongTriangle, DrawFlatTriangle}) {
    points = TexturedCorners(0, 0, 0);
    _Persp_x = _Persp_y = 0.0f;
    _Persp_Far = 500.0f;
    _Persp_Val = 0.0f;
    RecordShaderCalls();
    Draw(draw);
    const std::vector<ShaderCall> plain = RecordedCalls();
    ASSERT_GT(plain.size(), 300u) << "the triangle covers about 550 pixels";
    _Persp_Val = 1.0f;
    image.fill(0, 0, 0, 0);
    RecordShaderCalls();
    Draw(draw);
    const std::vector<ShaderCall>& persp = RecordedCalls();
    ASSERT_EQ(persp.size(), plain.size());
    for (size_t i = 0; i < plain.size(); ++i) {
      ASSERT_TRUE(persp[i].textured);
      ASSERT_NEAR(persp[i].u, plain[i].u, 1e-4f) << "call " << i;
      ASSERT_NEAR(persp[i].v, plain[i].v, 1e-4f) << "call " << i;
    }
    _Persp_Val = 0.0f;
  }
}

// With depths that differ, the coordinates of a pixel inside the triangle are those of plain
// interpolation between the corners mapped back: (x, y) at depth z goes to
// (x s + cx, y s + cy) with s = 1 - z / far, the corners likewise at their own depths. Over
// most of the triangle that is far from plain interpolation on the screen.
TEST_F(TriangleRaster, PerspectiveCoordinatesInterpolateBetweenTheMappedBackCorners) {
  // The weight of corners 1 and 2 of (qx, qy) in the triangle of corners (x[k], y[k]).
  struct Weights {
    double x[3], y[3], det;
    Weights(const double* xs, const double* ys) {
      for (int k = 0; k < 3; ++k) x[k] = xs[k], y[k] = ys[k];
      det = (x[1] - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (y[1] - y[0]);
    }
    void At(double qx, double qy, double w[3]) const {
      w[1] = ((qx - x[0]) * (y[2] - y[0]) - (x[2] - x[0]) * (qy - y[0])) / det;
      w[2] = ((x[1] - x[0]) * (qy - y[0]) - (qx - x[0]) * (y[1] - y[0])) / det;
      w[0] = 1 - w[1] - w[2];
    }
  };
  auto back = [](double x, double y, double z, double& qx, double& qy) {
    const double s = 1.0 - z / 500.0;
    qx = x * s + 5.0, qy = y * s - 3.0;
  };
  for (auto draw : {DrawPhongTriangle, DrawFlatTriangle}) {
    points = TexturedCorners(0, 150, 300);
    _Persp_x = 5.0f;
    _Persp_y = -3.0f;
    _Persp_Far = 500.0f;
    _Persp_Val = 1.0f;
    double sx[3], sy[3], bx[3], by[3];
    for (int k = 0; k < 3; ++k) {
      sx[k] = points[k].x, sy[k] = points[k].y;
      back(points[k].x, points[k].y, points[k].z, bx[k], by[k]);
    }
    const Weights screen(sx, sy), mapped(bx, by);
    RecordShaderCalls();
    Draw(draw);
    int inside = 0, apart = 0;
    for (const ShaderCall& c : RecordedCalls()) {
      double qx, qy, w[3], plain[3];
      back(c.x, c.y, c.z, qx, qy);
      mapped.At(qx, qy, w);
      if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;  // the fringe's clamped weights
      ++inside;
      const double u = w[0] * points[0].u + w[1] * points[1].u + w[2] * points[2].u;
      const double v = w[0] * points[0].v + w[1] * points[1].v + w[2] * points[2].v;
      ASSERT_NEAR(c.u, u, 1e-4) << c.pixel_x() << "," << c.pixel_y();
      ASSERT_NEAR(c.v, v, 1e-4) << c.pixel_x() << "," << c.pixel_y();
      screen.At(c.x, c.y, plain);
      const double plain_u = plain[0] * points[0].u + plain[1] * points[1].u +
                             plain[2] * points[2].u;
      apart += fabs(plain_u - u) > 0.01;
    }
    EXPECT_GT(inside, 300);
    EXPECT_GT(apart, inside / 2);
    _Persp_Val = 0.0f;
  }
}

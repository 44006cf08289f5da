// The pendant cap's geometry.
//
// Where it ends up. The shell turns the file's (x, y, z) into (x, z, -y) and adds 70 to y;
// the render then scales by width / 800 and moves it by r + width / 25 along y. A file
// point at height z thus lands at scene y = (z + 70) * width / 800 + r + width / 25, which
// grows with z. The ball's lengthened pole tip lies at y = 1.1 r; at the default radius
// r = width / 4 that is y = 0.275 width, reached by z + 70 = -12, so z = -82. The cap's
// lowest point sits at z = -82 on the pole tip, and everything of the cap lies at larger z,
// farther along +y from the ball: the cylinder from -82 to -45 and the loop above it, from
// -47 (sunk 2 units into the cylinder's top) to -19. The loop is therefore on the far side
// of the cylinder from the ball, where a hanger would go.
//
// Faces wind counter-clockwise seen from outside ((b - a) x (c - a) points outwards), as the
// generated ball's do. Coordinates are rounded to 1/4096 and the trigonometry is a series of
// our own, so the file comes out bit-identical from every compiler and C library.
#include "tools/modelkit/pendant_cap.h"

#include <cmath>

namespace modelkit {
namespace {

constexpr double kPi = 3.141592653589793;

// Cylinder: 60 units across with 16 ribs, 48 segments around, two bands along the axis.
constexpr double kCapRadius = 29.0;
constexpr double kRibDepth = 1.0;
constexpr int kRibs = 16;
constexpr int kSegments = 48;
constexpr double kBottom = -82.0, kTop = -45.0;
constexpr int kBands = 2;

// Loop: a torus standing in the x-z plane.
constexpr double kLoopCentre = -33.0;
constexpr double kLoopRadius = 11.0;
constexpr double kWireRadius = 3.0;
constexpr int kLoopSegments = 20;
constexpr int kWireSegments = 8;

// sin and cos by their Taylor series after reduction to [-pi, pi]: only additions and
// multiplications, so every platform computes the same bits.
void SinCos(double a, double* s, double* c) {
  a = a - 2 * kPi * std::floor((a + kPi) / (2 * kPi));
  double term_s = a, term_c = 1, sum_s = 0, sum_c = 0;
  for (int k = 0; k < 30; ++k) {
    sum_s += term_s;
    sum_c += term_c;
    term_s *= -a * a / ((2 * k + 2) * (2 * k + 3));
    term_c *= -a * a / ((2 * k + 1) * (2 * k + 2));
  }
  *s = sum_s;
  *c = sum_c;
}

float Snap(double v) { return static_cast<float>(std::floor(v * 4096.0 + 0.5) / 4096.0); }

Vertex MakeVertex(double x, double y, double z, double nx, double ny, double nz) {
  const double len = std::sqrt(nx * nx + ny * ny + nz * nz);
  Vertex v;
  v.x = Snap(x), v.y = Snap(y), v.z = Snap(z);
  v.nx = Snap(nx / len), v.ny = Snap(ny / len), v.nz = Snap(nz / len);
  return v;
}

void AddTriangle(Object& o, size_t a, size_t b, size_t c) {
  Triangle t;
  t.a = static_cast<uint16_t>(a), t.b = static_cast<uint16_t>(b), t.c = static_cast<uint16_t>(c);
  o.triangles.push_back(t);
}

// The ribbed radius r(t) = R + d cos(16 t) and the outward normal of that surface.
void RibbedRing(double t, double* x, double* y, double* nx, double* ny) {
  double s, c, rs, rc;
  SinCos(t, &s, &c);
  SinCos(kRibs * t, &rs, &rc);
  const double r = kCapRadius + kRibDepth * rc;
  const double dr = -kRibDepth * kRibs * rs;  // dr/dt
  *x = r * c, *y = r * s;
  // Tangent (dr c - r s, dr s + r c) turned a quarter clockwise points outwards.
  *nx = dr * s + r * c;
  *ny = -(dr * c - r * s);
}

void AddSide(Object& o) {
  const size_t first = o.vertices.size();
  for (int k = 0; k <= kBands; ++k) {
    const double z = kBottom + (kTop - kBottom) * k / kBands;
    for (int i = 0; i < kSegments; ++i) {
      double x, y, nx, ny;
      RibbedRing(2 * kPi * i / kSegments, &x, &y, &nx, &ny);
      o.vertices.push_back(MakeVertex(x, y, z, nx, ny, 0));
    }
  }
  for (int k = 0; k < kBands; ++k)
    for (int i = 0; i < kSegments; ++i) {
      const size_t p = first + k * kSegments + i;
      const size_t q = first + k * kSegments + (i + 1) % kSegments;
      AddTriangle(o, p, q, q + kSegments);
      AddTriangle(o, p, q + kSegments, p + kSegments);
    }
}

// A flat ribbed disc at height z facing +z (up) or -z.
void AddDisc(Object& o, double z, bool up) {
  const double nz = up ? 1 : -1;
  const size_t centre = o.vertices.size();
  o.vertices.push_back(MakeVertex(0, 0, z, 0, 0, nz));
  for (int i = 0; i < kSegments; ++i) {
    double x, y, nx, ny;
    RibbedRing(2 * kPi * i / kSegments, &x, &y, &nx, &ny);
    o.vertices.push_back(MakeVertex(x, y, z, 0, 0, nz));
  }
  for (int i = 0; i < kSegments; ++i) {
    const size_t p = centre + 1 + i, q = centre + 1 + (i + 1) % kSegments;
    if (up)
      AddTriangle(o, centre, p, q);
    else
      AddTriangle(o, centre, q, p);
  }
}

// Torus: the wire's centre runs round (R cos f, 0, zc + R sin f); around it the surface
// point lies along n = (cos w cos f, sin w, cos w sin f), which is also its normal.
void AddLoop(Object& o) {
  const size_t first = o.vertices.size();
  for (int i = 0; i < kLoopSegments; ++i) {
    double sf, cf;
    SinCos(2 * kPi * i / kLoopSegments, &sf, &cf);
    for (int j = 0; j < kWireSegments; ++j) {
      double sw, cw;
      SinCos(2 * kPi * j / kWireSegments, &sw, &cw);
      const double nx = cw * cf, ny = sw, nz = cw * sf;
      o.vertices.push_back(MakeVertex(kLoopRadius * cf + kWireRadius * nx, kWireRadius * ny,
                                      kLoopCentre + kLoopRadius * sf + kWireRadius * nz, nx, ny, nz));
    }
  }
  auto at = [&](int i, int j) {
    return first + (i % kLoopSegments) * kWireSegments + (j % kWireSegments);
  };
  for (int i = 0; i < kLoopSegments; ++i)
    for (int j = 0; j < kWireSegments; ++j) {
      AddTriangle(o, at(i, j), at(i, j + 1), at(i + 1, j + 1));
      AddTriangle(o, at(i, j), at(i + 1, j + 1), at(i + 1, j));
    }
}

}  // namespace

Object MakePendantCap() {
  Object o;
  o.name = "PendantCap";
  o.normals = true;
  AddSide(o);
  AddDisc(o, kBottom, false);
  AddDisc(o, kTop, true);
  AddLoop(o);
  return o;
}

}  // namespace modelkit

// The cubic triangle patch that a triangle's vertex normals describe: it passes through the
// three corners and is tangent there to the planes of their normals. Ten control points
// for the positions (the corners, two edge points per corner on its tangent plane, the
// centre) and ten for the normals, evaluated with the cubic Bernstein weights of the
// triangle. The wire mode draws its edges, the curved modes sample its surface.
#pragma once

#include "engine/engine.h"
#include "engine/raster/bernstein_lanes.h"

struct PatchVec {
  float x, y, z;
};

// Corner i at point[i][i]; the edge point near corner i, a third of the way towards
// corner j, at point[i][j]. Corners 0, 1, 2 are the triangle's a, b, c.
struct CubicNet {
  PatchVec point[3][3];
  PatchVec centre;
};

struct CubicPatch {
  CubicNet position;
  CubicNet normal;  // not normalised: a vertex normal's length carries through
};

// Builds both nets from the corners' positions and normals. An edge point starts at
// 2/3 Pi + 1/3 Pj and is projected onto the tangent plane of Pi; a zero (or overflowing)
// normal has no plane and leaves it unprojected. The centre is the mean of the six edge
// points lifted along the mean normal by the distance the edge point near b towards a
// moved in its projection.
CubicPatch BuildCubicPatch(const __Point3ds& a, const __Point3ds& b, const __Point3ds& c);

struct PatchPoint {
  double x, y, z;
};

// Which side of 0 the nz of every sample of a patch lies on, when the normal net settles it:
// a sample's normal is a sum of the net's ten normals with the Bernstein weights, which are
// never negative beyond rounding (about 1e-16) and sum to 1, so the largest is at least
// about a tenth. When every control nz lies on one side of 0 by at least a millionth of the
// largest and by far more than the float's smallest normal value, every sample's nz (in
// double, then as a float) lies on that side too. -1: all below, 1: all above, 0: unknown.
int NormalSideOfNet(const CubicNet& normal);

// The ten cubic Bernstein weights at barycentric weights w (w[i] for corner i, summing to
// 1), in the order of the net: point[i][j] row by row, then the centre. Computed once per
// sample, they serve the position and the normal net alike. Both are inline: the curved
// modes evaluate them for every sample, several per pixel, and a call that returns its
// record through memory cost as much as the arithmetic.
struct PatchWeights {
  double k[10];
};
inline PatchWeights WeightsAt(const double w[3]) {
  PatchWeights r;
  bernstein::Weights<simd_lanes::Doubles1>(w[0], w[1], w[2], r.k);
  return r;
}

// The net at those weights, in double precision.
inline PatchPoint EvaluateNet(const CubicNet& net, const PatchWeights& weights) {
  const auto at = [&net](int n) -> const PatchVec& {
    return n < 9 ? net.point[n / 3][n % 3] : net.centre;
  };
  using D = simd_lanes::Doubles1;
  return PatchPoint{
      bernstein::NetSum<D>([&at](int n) { return static_cast<double>(at(n).x); }, weights.k),
      bernstein::NetSum<D>([&at](int n) { return static_cast<double>(at(n).y); }, weights.k),
      bernstein::NetSum<D>([&at](int n) { return static_cast<double>(at(n).z); }, weights.k)};
}

// A net's ten points in the net's order, each coordinate made a double once: the curved
// modes evaluate a patch's nets at every sample, and the products' float to double
// conversions cost as much as the products.
struct NetInDoubles {
  double x[10], y[10], z[10];
};
inline NetInDoubles InDoubles(const CubicNet& net) {
  NetInDoubles d;
  for (int n = 0; n < 10; ++n) {
    const PatchVec& v = n < 9 ? net.point[n / 3][n % 3] : net.centre;
    d.x[n] = v.x, d.y[n] = v.y, d.z[n] = v.z;
  }
  return d;
}

inline PatchPoint EvaluateNet(const CubicNet& net, const double w[3]) {
  return EvaluateNet(net, WeightsAt(w));
}

// Interpolation of normals and texture coordinates across a triangle by area weights,
// with the perspective undone for texture coordinates when __AddPersp has projected.
#pragma once

#include "engine/engine.h"

// Rows (x0, x1, x2), (y0, y1, y2), (1, 1, 1) of three corners and their determinant.
struct AreaMatrix {
  float x[3];
  float y[3];
  float det;
};

AreaMatrix MakeAreaMatrix(float x0, float y0, float x1, float y1, float x2, float y2);

// Determinant of the rows (px, qx, rx), (py, qy, ry), (1, 1, 1): twice the signed area of
// the triangle p, q, r.
inline float AreaDet(float px, float py, float qx, float qy, float rx, float ry) {
  return px * (qy - ry) - qx * (py - ry) + rx * (py - qy);
}

// Mid-edge normals of the second Phong scheme: plain averages of the raw vertex normals.
struct MidNormals {
  __Point m01, m12, m20;
};

// Normal (not normalised) and, when has_uv, u and v at pixel (x, y) of depth z. `projected`
// is the unprojected area matrix, used only when _Persp_Val is non-zero; `mid` is used only
// with _Quality and _UsePhong2. u and v are left alone when has_uv is false.
void InterpolatePhong(float x, float y, float z, const __Point3ds* vertices,
                      const AreaMatrix& area, const AreaMatrix* projected, bool has_uv,
                      const MidNormals* mid, int ox, int oy, __Point& normal, float& u,
                      float& v);

// The three vertex normals made unit length (a zero normal stays zero), once per triangle
// rather than once per pixel.
struct UnitNormals {
  __Point n[3];
};
UnitNormals MakeUnitNormals(const __Point3ds* vertices);

// InterpolatePhong with the vertices' unit normals already made.
void InterpolatePhongWith(const UnitNormals& units, float x, float y, float z,
                          const __Point3ds* vertices, const AreaMatrix& area,
                          const AreaMatrix* projected, bool has_uv, const MidNormals* mid,
                          int ox, int oy, __Point& normal, float& u, float& v);

// The plain (linear) interpolated normal at four pixels (x[j], y[j]) of one triangle, each
// lane bit for bit what InterpolatePhongWith gives without mid-edge normals.
void InterpolateNormalsFour(const UnitNormals& units, const AreaMatrix& area, const float x[4],
                            const float y[4], float nx[4], float ny[4], float nz[4]);

// The same for sixteen pixels, lanes count and up (count 1 to 16) computed or not as is
// quickest: eight or two groups of eight at once where the CPU has AVX, else four at a time.
void InterpolateNormalsSixteen(const UnitNormals& units, const AreaMatrix& area,
                               const float x[16], const float y[16], float nx[16], float ny[16],
                               float nz[16], int count);

// As InterpolatePhong without the normal; does nothing when has_uv is false.
void InterpolateUV(float x, float y, float z, const __Point3ds* vertices,
                   const AreaMatrix& area, const AreaMatrix* projected, bool has_uv, int ox,
                   int oy, float& u, float& v);

// Undoes the perspective of __AddPersp at depth z.
void UnprojectPoint(float x, float y, float z, float& out_x, float& out_y);

// Texture coordinates at a pixel under perspective.
void TexCoordsAtPixel(float& u, float& v, float x, float y, float z, int ox, int oy,
                      const AreaMatrix& projected, const __Point3ds* vertices);

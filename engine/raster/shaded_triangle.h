// The shaded triangle rasterizers: the per-triangle drivers the scene modes call (flat,
// Phong, patches, solid colour) and the three rasterizers of the family they feed.
#pragma once

#include "engine/engine.h"
#include "engine/raster/triangle_setup.h"
#include "engine/scene/draw.h"
#include "engine/scene/frame.h"

// Drivers: copy the triangle's three vertices (from the draw's points) with the origin
// added, order and orient them, take the face plane (Phong, flat) and hand them to the
// rasterizer, which draws into `image`, one of the frame's.
void DrawPhongTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri);
void DrawFlatTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri);
// Splits the triangle once into four on the curved surface its vertex normals describe and
// draws each part that faces the current pass as DrawPhongTriangle does.
void DrawPatchTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri);
// One colour (channel units) at one opacity; no shader, no depth test.
void DrawSolidTriangle(const FrameImage& image, const __Triangle3ds& tri, const __Point3ds* points,
                       int origin_x, int origin_y, const float c[3], float opacity);

// A triangle set up for a rasterizer: its local vertex array (origin added, oriented), the
// edge list turned to its top vertex and its lowest row.
struct LocalTriangle {
  __Point3ds v[3];
  EdgeEntry edges[3];
  int bottom_row;
};

// Rasterizers of the triangle `tri` of the draw over its set-up copy `t`; the face plane is
// unit length with nz <= 0.
void RasterPhongTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri,
                         LocalTriangle& t, const Plane& plane);
void RasterFlatTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri,
                        LocalTriangle& t, const Plane& plane);
void RasterSolidTriangle(const FrameImage& image, LocalTriangle& t, const float c[3],
                         float opacity);

// The six vertices of the patch split: the three corners, then the curved midpoints of the
// edges (P0, P1), (P1, P2), (P0, P2). Positions are without the origin.
void BuildPatchVertices(const __Triangle3ds& tri, const __Point3ds* points, __Point3ds out[6]);

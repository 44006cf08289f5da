// The shaded triangle rasterizers: the per-triangle drivers the scene modes call (flat,
// Phong, patches, solid colour) and the three rasterizers of the family they feed.
#pragma once

#include "engine/engine.h"
#include "engine/raster/triangle_setup.h"

// Drivers: copy the triangle's three vertices with the origin added, order and orient them,
// take the face plane (Phong, flat) and hand them to the rasterizer. Width and height are
// not used; the image size is Zwidth x Zheight.
void DrawPhongTriangle(unsigned char* image, unsigned char* background, int width, int height,
                       __Texture* textures, material3ds* mats, int mat_count,
                       __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                       int light_count, light3ds* lights, GlassProp* glass);
void DrawFlatTriangle(unsigned char* image, unsigned char* background, int width, int height,
                      __Texture* textures, material3ds* mats, int mat_count, __Triangle3ds* tri,
                      __Point3ds* points, int origin_x, int origin_y, int light_count,
                      light3ds* lights, GlassProp* glass);
// Splits the triangle once into four on the curved surface its vertex normals describe and
// draws each part that faces the current pass with DrawPhongTriangle.
void DrawPatchTriangle(unsigned char* image, unsigned char* background, int width, int height,
                       __Texture* textures, material3ds* mats, int mat_count,
                       __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                       int light_count, light3ds* lights, GlassProp* glass);
// One colour (channel units) at one opacity; no shader, no depth test.
void DrawSolidTriangle(unsigned char* image, int width, int height, __Triangle3ds* tri,
                       __Point3ds* points, int origin_x, int origin_y, float c0, float c1,
                       float c2, float opacity);

// Rasterizers over a set-up local vertex array (origin added, oriented) and its edge list;
// the face plane nx*x + ny*y + nz*z + d = 0 is unit length with nz <= 0.
void RasterPhongTriangle(unsigned char* image, unsigned char* background, int width,
                         int height, __Texture* textures, material3ds* mats, int mat_count,
                         __Triangle3ds* tri, int vertex_count, __Point3ds* vertices,
                         EdgeEntry* edges, int bottom_row, int origin_x, int origin_y, float nx,
                         float ny, float nz, float d, int light_count, light3ds* lights,
                         GlassProp* glass);
void RasterFlatTriangle(unsigned char* image, unsigned char* background, int width, int height,
                        __Texture* textures, material3ds* mats, int mat_count,
                        __Triangle3ds* tri, int vertex_count, __Point3ds* vertices,
                        EdgeEntry* edges, int bottom_row, int origin_x, int origin_y, float nx,
                        float ny, float nz, float d, int light_count, light3ds* lights,
                        GlassProp* glass);
void RasterSolidTriangle(unsigned char* image, int width, int height, __Triangle3ds* tri,
                         int vertex_count, __Point3ds* vertices, EdgeEntry* edges,
                         int bottom_row, int origin_x, int origin_y, float c0, float c1,
                         float c2, float opacity);

// The six vertices of the patch split: the three corners, then the curved midpoints of the
// edges (P0, P1), (P1, P2), (P0, P2). Positions are without the origin.
void BuildPatchVertices(const __Triangle3ds& tri, const __Point3ds* points, __Point3ds out[6]);

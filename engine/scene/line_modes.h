// The per-triangle functions of the line modes: rough outlines (mode 0), shaded lines along
// the edges (mode 1) and the edges of the curved patch (mode 2), with the pieces they share.
#pragma once

#include "engine/engine.h"

// Mode 0: plots one pixel of a rough line in the inverted colour of the background, full
// alpha. Pixels outside width x height are skipped, and nothing is drawn for a width wider
// than the rows of the image (_RowStride); Zwidth and Zheight play no part.
void RoughPlot(unsigned char* dst, const unsigned char* src, int width, int height, float x,
               float y);

// Mode 0: a one-pixel line; the end with the larger major coordinate is not plotted.
void RoughLine(unsigned char* dst, const unsigned char* src, int width, int height, float x0,
               float y0, float x1, float y1);

// Mode 0: the three edges of a triangle.
void DrawRoughTriangle(unsigned char* dst, unsigned char* src, int width, int height,
                       __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y);

// What the shader needs to colour a pixel of a line of one triangle.
struct LineShading {
  unsigned char* dst;
  unsigned char* src;
  __Texture* textures;
  material3ds* mats;
  int mat_count;
  __Triangle3ds* tri;
  int origin_x, origin_y;
  int light_count;
  light3ds* lights;
  GlassProp* glass;
};

// A thick line shaded per pixel with the plane (nx, ny, nz, d); the shader sees the normal
// (-nx, -ny, -nz), depth 0 and no texture coordinates.
void DrawShadedLine(const LineShading& s, float x0, float y0, float x1, float y1, float w,
                    const float plane[4]);

// Mode 1: the triangle's three edges as shaded lines of half-width _WireSize.
void DrawLineTriangle(unsigned char* dst, unsigned char* src, int width, int height,
                      __Texture* textures, material3ds* mats, int mat_count,
                      __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                      int light_count, light3ds* lights, GlassProp* glass);

// Mode 2: edge 0 (P2 to P1), 1 (P2 to P0) or 2 (P0 to P1) of the triangle's cubic patch.
void DrawWireEdge(int edge, unsigned char* dst, unsigned char* src, int width, int height,
                  __Texture* textures, material3ds* mats, int mat_count, __Triangle3ds* tri,
                  __Point3ds* points, int origin_x, int origin_y, int light_count,
                  light3ds* lights, GlassProp* glass);

// Mode 2: the three patch edges.
void DrawWireTriangle(unsigned char* dst, unsigned char* src, int width, int height,
                      __Texture* textures, material3ds* mats, int mat_count,
                      __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                      int light_count, light3ds* lights, GlassProp* glass);

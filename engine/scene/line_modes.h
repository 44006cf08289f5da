// The per-triangle functions of the line modes: rough outlines (mode 0), shaded lines along
// the edges (mode 1) and the edges of the curved patch (mode 2), with the pieces they share.
#pragma once

#include "engine/engine.h"
#include "engine/scene/draw.h"
#include "engine/scene/frame.h"

// Mode 0: plots one pixel of a rough line in the inverted colour of the background, full
// alpha. Pixels outside width x height are skipped, and nothing is drawn for a width wider
// than the rows of the image (_RowStride); Zwidth and Zheight play no part.
void RoughPlot(unsigned char* dst, const unsigned char* src, int width, int height, float x,
               float y);

// Mode 0: a one-pixel line; the end with the larger major coordinate is not plotted.
void RoughLine(unsigned char* dst, const unsigned char* src, int width, int height, float x0,
               float y0, float x1, float y1);

// Mode 0: the three edges of the draw's triangle `tri` into the frame's output, within the
// call's own width x height.
void DrawRoughTriangle(const Frame& f, const Draw& d, const __Triangle3ds* tri);

// What the shader needs to colour a pixel of a line of one triangle: the image drawn into,
// the frame (its background) and the draw (materials, lights, ...).
struct LineShading {
  const FrameImage& image;
  const Frame& frame;
  const Draw& draw;
  __Triangle3ds* tri;
};

// A thick line shaded per pixel with the plane; the shader sees the normal (-nx, -ny, -nz),
// depth 0 and no texture coordinates.
void DrawShadedLine(const LineShading& s, float x0, float y0, float x1, float y1, float w,
                    const Plane& plane);

// Mode 1: the triangle's three edges as shaded lines of half-width _WireSize.
void DrawLineTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri);

// Mode 2: edge 0 (P2 to P1), 1 (P2 to P0) or 2 (P0 to P1) of the triangle's cubic patch.
void DrawWireEdge(int edge, const Frame& f, const FrameImage& image, const Draw& d,
                  __Triangle3ds* tri);

// Mode 2: the three patch edges.
void DrawWireTriangle(const Frame& f, const FrameImage& image, const Draw& d, __Triangle3ds* tri);

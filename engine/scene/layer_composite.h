// The anti-aliased path of one triangle: it is drawn alone into the scratch layer
// _TriLayer, and the layer is then composited into the output with the edge-continuation
// rule, so that neighbouring triangles of nearly one colour blend once along their shared
// edge instead of one over the other.
#pragma once

#include "engine/engine.h"

// A box of pixels x0 <= x < x1, y0 <= y < y1, already limited to Zwidth x Zheight.
struct LayerRegion {
  int x0, x1, y0, y1;
};

// The triangle's box (vertices without the origin) widened by the margins: 3 pixels, or with
// `wide` (curved modes) the triangle's own width and height, at least 3.
LayerRegion TriangleRegion(const __Triangle3ds& tri, const __Point3ds* points, int origin_x,
                           int origin_y, bool wide);

// Makes _TriLayer zero over the region for the next triangle. With the span table of a
// render (StartLayerSpans) that means zeroing the spans written since the last clear: the
// layer starts each render zero and every write into it notes its span. Without the table,
// the four channels over the whole region are cleared.
void ClearLayer(const LayerRegion& region);

// Composites _TriLayer into dst over the region, keeping _EdgeColor and _EdgeUnder.
void CompositeLayer(unsigned char* dst, const LayerRegion& region);

// The written spans of _TriLayer: every PlotPixel into it notes its column in its row, and
// ClearLayer zeroes and forgets them. CompositeLayerWritten then visits only the region's
// pixels in those spans, which is the whole composite when every write of the triangle went
// through PlotPixel (the others of the region are zero and are skipped by the composite
// anyway). StartLayerSpans takes the row table for a render of `height` rows (without one,
// CompositeLayerWritten composites the whole region); EndLayerSpans leaves the layer zero
// for the next render and gives the table back.
void StartLayerSpans(int height);
void EndLayerSpans();
void NoteLayerWrite(int x, int y);
void NoteLayerSpan(int x0, int x1, int y);  // columns x0..x1 of row y, x0 <= x1
void CompositeLayerWritten(unsigned char* dst, const LayerRegion& region);

// The trail of a render: the union of the regions it composited. StartEdgeTrail empties it
// at the start of a render; ClearEdgeTrail zeroes _EdgeColor and _EdgeUnder over it at the
// end, so that buffers kept for the next render start it empty without a full-frame clear.
void StartEdgeTrail();
void ClearEdgeTrail();

// The anti-aliased path of one triangle: it is drawn alone into the scratch layer
// _TriLayer, and the layer is then composited into the output with the edge-continuation
// rule, so that neighbouring triangles of nearly one colour blend once along their shared
// edge instead of one over the other.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "engine/engine.h"

// A box of pixels x0 <= x < x1, y0 <= y < y1, already limited to Zwidth x Zheight.
struct LayerRegion {
  int x0, x1, y0, y1;
};

// The triangle's box (vertices without the origin) widened by the margins: 3 pixels, or with
// `wide` (curved modes) the triangle's own width and height, at least 3.
LayerRegion TriangleRegion(const __Triangle3ds& tri, const __Point3ds* points, int origin_x,
                           int origin_y, bool wide);

// Where the pixels of _TriLayer lie: columns x0 .. x1 - 1 of rows y0 .. y1 - 1, pixel (x, y)
// at channel (y - y0) * stride + 4 * (x - x0). The whole frame, laid out as the output,
// unless a triangle's region was packed into the start of the buffer (ClearLayer): a
// triangle's layer then fills one small block that stays in the cache from one triangle to
// the next, instead of rows a frame's width apart. Pixels outside the window are not kept.
struct LayerWindow {
  int x0, x1, y0, y1;
  ptrdiff_t stride;  // channels from one row to the next
};
LayerWindow CurrentLayerWindow();
// Channel index of pixel (x, y) in window w.
inline ptrdiff_t LayerWindowIndex(const LayerWindow& w, int x, int y) {
  return static_cast<ptrdiff_t>(y - w.y0) * w.stride + 4 * static_cast<ptrdiff_t>(x - w.x0);
}
// Whether a triangle's region is packed into the layer now (its window is not the frame).
bool LayerPacked();

// Makes _TriLayer zero over the region for the next triangle. With the span table of a
// render (StartLayerSpans) that means zeroing the spans written since the last clear: the
// layer starts each render zero and every write into it notes its span; with `pack` the
// layer's window then becomes the region, packed (nothing but PlotRow may then address the
// layer: with the default shader, which never reads the image it draws into). Without the
// table, the four channels over the whole region are cleared and the window is the frame.
void ClearLayer(const LayerRegion& region, bool pack = false);

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

// The table itself, here so that the notes, taken for every pixel written, are inline: for
// each of `rows` rows the columns x0..x1 written (inclusive; empty when x1 < x0), and the
// rows y0..y1 that have any. Null `spans`: no table.
struct LayerRowSpan {
  int x0, x1;
};
struct LayerSpanTable {
  LayerRowSpan* spans;
  int rows;
  int y0, y1;
};
extern LayerSpanTable g_layer_spans;

// Columns x0..x1 of row y written, x0 <= x1.
inline void NoteLayerSpan(int x0, int x1, int y) {
  LayerSpanTable& t = g_layer_spans;
  if (!t.spans || y < 0 || y >= t.rows) return;
  // Stored whether they change or not: the choices are made without a branch, which the
  // edge pixels, written in no particular order, would often mispredict.
  LayerRowSpan& s = t.spans[y];
  s.x0 = x0 < s.x0 ? x0 : s.x0;
  s.x1 = x1 > s.x1 ? x1 : s.x1;
  t.y0 = y < t.y0 ? y : t.y0;
  t.y1 = y > t.y1 ? y : t.y1;
}
inline void NoteLayerWrite(int x, int y) { NoteLayerSpan(x, x, y); }
void CompositeLayerWritten(unsigned char* dst, const LayerRegion& region);

// The edge bits of a render: `bits` (zero-filled, one bit a pixel, row-major, `width` pixels
// a row, for the whole frame) records where an edge composite has been made. While they are
// set, the edge records' contents count only where the bit is set, so they need not be zero
// at the start of a render and a full cover writes them only there. EndEdgeBits forgets
// them (the caller owns the block); without bits the records are read and written whole.
void StartEdgeBits(uint64_t* bits, int width);
void EndEdgeBits();
// A render's own bits: a zeroed block from the kept store, started (false, with no bits,
// when it cannot be had); GiveBackEdgeBits ends them and hands the block back.
bool TakeEdgeBits(int width, int height);
void GiveBackEdgeBits();

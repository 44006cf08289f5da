// An image of a render as the pixel writes see it: where its pixels lie, what it is, and,
// for the scratch layer, the table its writes note their spans in.
#pragma once

#include <stddef.h>

// Where an image's pixels lie: columns x0 .. x1 - 1 of rows y0 .. y1 - 1, pixel (x, y) at
// channel (y - y0) * stride + 4 * (x - x0). An image laid out as the output has the frame as
// its window; the scratch layer's window becomes a triangle's region when that region is
// packed into the start of its buffer (the block then stays in the cache from one triangle
// to the next). Pixels outside the window are not kept.
struct ImageWindow {
  int x0, x1, y0, y1;
  ptrdiff_t stride;  // channels from one row to the next
};
// Channel index of pixel (x, y) in window w.
inline ptrdiff_t WindowIndex(const ImageWindow& w, int x, int y) {
  return static_cast<ptrdiff_t>(y - w.y0) * w.stride + 4 * static_cast<ptrdiff_t>(x - w.x0);
}

// The scratch layer's written spans: for each of `rows` rows the columns x0..x1 written
// (inclusive; empty when x1 < x0), and the rows y0..y1 that have any. Null `spans`: no
// table (nothing is noted).
struct LayerRowSpan {
  int x0, x1;
};
struct LayerSpanTable {
  LayerRowSpan* spans;
  int rows;
  int y0, y1;
};

// Columns x0..x1 of row y written, x0 <= x1.
inline void NoteLayerSpan(LayerSpanTable& t, int x0, int x1, int y) {
  if (!t.spans || y < 0 || y >= t.rows) return;
  // Stored whether they change or not: the choices are made without a branch, which the
  // edge pixels, written in no particular order, would often mispredict.
  LayerRowSpan& s = t.spans[y];
  s.x0 = x0 < s.x0 ? x0 : s.x0;
  s.x1 = x1 > s.x1 ? x1 : s.x1;
  t.y0 = y < t.y0 ? y : t.y0;
  t.y1 = y > t.y1 ? y : t.y1;
}

enum class ImageKind : unsigned char {
  kOutput,
  kLayer,
  kBackground,
  kEdgeColor,
  kEdgeUnder,
  kBackCopy
};

struct FrameImage {
  unsigned char* pixels;  // channels of 8 or 16 bits, as _Deep says
  ImageWindow window;
  ImageKind kind;
  // The layer only: its region is packed into the buffer (the window is not the frame),
  // and the table every write into it notes its span in.
  bool packed;
  LayerSpanTable* spans;
};

// An image laid out as the output (the frame Zwidth x Zheight, rows _RowStride apart).
FrameImage OutputImage(unsigned char* pixels, ImageKind kind = ImageKind::kOutput);

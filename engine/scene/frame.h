// One render's frame: its images as descriptors, the z-buffer as the rasterizers index it,
// and the scratch layer's and the edge records' bookkeeping. Made by the scene entry for one
// call and handed down by reference; nothing of it outlives the call.
#pragma once

#include <stdint.h>

#include "engine/raster/depth_test.h"
#include "engine/raster/frame_image.h"

// A box of pixels x0 <= x < x1, y0 <= y < y1, already limited to the frame.
struct LayerRegion {
  int x0, x1, y0, y1;
};

// Every image but the layer is laid out as the output; one without pixels is absent.
struct Frame {
  FrameImage out;             // the output
  FrameImage src;             // the background
  FrameImage layer;           // the scratch layer one triangle is drawn into (_TriLayer)
  FrameImage edge_color;      // per pixel: colour and coverage of the last edge composite
  FrameImage edge_under;      // per pixel: the colour found under that edge
  FrameImage back_copy;       // the background the glass stage sees (_BackCopy; glass scenes)
  float* glass_depth;         // one depth a pixel for the glass stage (_GlassDepth), or null
  DepthGrid depth;            // the z-buffer, or none (cells null)
  ImageWindow whole;          // the frame as a window, rows as the output's
  int width, height;          // the call's image size (the frame's, except in mode 0)
  int max_channel;            // _MaxChannel
  bool deep;                  // 16-bit channels
  // The layer's written spans (layer.spans points here) and, for a render without that
  // table, the region last cleared, which the layer may still hold at the end (empty:
  // x1 <= x0).
  LayerSpanTable spans;
  LayerRegion unnoted;
  // The edge bits: one bit a pixel (row-major, bits_width pixels a row), set once an edge
  // composite has been made at the pixel. Null: the edge records are read and written whole.
  uint64_t* bits;
  int bits_width;
};

// A frame over the output `out` and background `src` as the globals describe it now
// (Zwidth x Zheight, _RowStride, _MaxChannel, _Deep, ZBuff), `width` x `height` being the
// call's own image size, with no scratch layer, edge records, glass images or edge bits.
// Once StartLayerSpans has given it a layer, the layer notes into the frame's own span
// table: the frame must not be copied after that.
Frame MakeFrame(unsigned char* out, unsigned char* src, int width, int height);

// The anti-aliased path of one triangle: it is drawn alone into the frame's scratch layer
// (_TriLayer), and the layer is then composited into the output with the edge-continuation
// rule, so that neighbouring triangles of nearly one colour blend once along their shared
// edge instead of one over the other.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "engine/engine.h"
#include "engine/scene/frame.h"

// The triangle's box (vertices without the origin) widened by the margins: 3 pixels, or with
// `wide` (curved modes) the triangle's own width and height, at least 3; limited to the
// frame Zwidth x Zheight.
LayerRegion TriangleRegion(const __Triangle3ds& tri, const __Point3ds* points, int origin_x,
                           int origin_y, bool wide);

// Makes the frame's layer zero over the region for the next triangle. With the span table
// of a render (StartLayerSpans) that means zeroing the spans written since the last clear:
// the layer starts each render zero and every write into it notes its span; with `pack` the
// layer's window then becomes the region, packed (nothing but the pixel writes may then
// address the layer: with the default shader, which never reads the image it draws into).
// Without the table, the four channels over the whole region are cleared and the window is
// the frame.
void ClearLayer(Frame& f, const LayerRegion& region, bool pack = false);

// Composites the layer into the output over the region, keeping the edge records.
void CompositeLayer(const Frame& f, const LayerRegion& region);

// The layer's written spans: every pixel write into it notes its column in its row, and
// ClearLayer zeroes and forgets them. CompositeLayerWritten then visits only the region's
// pixels in those spans, which is the whole composite when every write of the triangle went
// through the pixel writes (the others of the region are zero and are skipped by the
// composite anyway). StartLayerSpans gives the frame its layer `pixels` (laid out as the
// frame) and takes the row table for a render of `height` rows (without one,
// CompositeLayerWritten composites the whole region); EndLayerSpans leaves the layer zero
// for the next render and gives the table back.
void StartLayerSpans(Frame& f, unsigned char* pixels, int height);
void EndLayerSpans(Frame& f);
void CompositeLayerWritten(const Frame& f, const LayerRegion& region);

// The render's own edge bits (see Frame): a zeroed block from the kept store (false, with
// no bits, when it cannot be had); GiveBackEdgeBits hands the block back.
bool TakeEdgeBits(Frame& f, int width, int height);
void GiveBackEdgeBits(Frame& f);

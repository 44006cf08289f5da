// The curved-surface rasterizers: each triangle replaced by the cubic patch its vertex
// normals describe, sampled densely, one pixel per sample. Mode 9 shades the whole surface
// with the depth test and a fade near the silhouette; mode 10 draws only a band along the
// silhouette in the material's colour and puts the background back elsewhere.
#pragma once

#include "engine/engine.h"
#include "engine/scene/draw.h"
#include "engine/scene/frame.h"

// Mode 9: the patch of the draw's triangle `tri` into `image` (the frame's layer in a
// render), shaded through RenderOnePixel with the tangent plane at each sample, tested
// against the frame's z-buffer when it has one.
void RasterBezierTriangle(const Frame& f, const FrameImage& image, const Draw& d,
                          __Triangle3ds* tri);

// Mode 10: the silhouette band of one patch straight into `image`, in the diffuse colour of
// the triangle's material (the last one for an index beyond the count; red with no
// materials), and the background copied under the rest of the surface facing the viewer.
void RasterOutlineTriangle(const Frame& f, const FrameImage& image, const Draw& d,
                           __Triangle3ds* tri);

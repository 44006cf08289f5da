// The curved-surface rasterizers: each triangle replaced by the cubic patch its vertex
// normals describe, sampled densely, one pixel per sample. Mode 9 shades the whole surface
// with the depth test and a fade near the silhouette; mode 10 draws only a band along the
// silhouette in the material's colour and puts the background back elsewhere.
#pragma once

#include "engine/engine.h"

// Mode 9: one patch into `image` (the scratch layer in a render), shaded through
// RenderOnePixel with the tangent plane at each sample, tested against ZBuff when one is
// installed. Width and height are not used; the image size is Zwidth x Zheight.
void RasterBezierTriangle(unsigned char* image, unsigned char* background, int width,
                          int height, __Texture* textures, material3ds* mats, int mat_count,
                          __Triangle3ds* tri, __Point3ds* points, int origin_x, int origin_y,
                          int light_count, light3ds* lights, GlassProp* glass);

// Mode 10: the silhouette band of one patch straight into `image`, in the diffuse colour of
// the triangle's material (the last one for an index beyond the count; red with no
// materials), and the background copied under the rest of the surface facing the viewer.
void RasterOutlineTriangle(unsigned char* image, unsigned char* background, int width,
                           int height, __Triangle3ds* tri, __Point3ds* points, int origin_x,
                           int origin_y, int mat_count, material3ds* mats);

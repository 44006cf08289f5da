// Pixels of a plain material waiting to be lit eight at a time, for the drawers whose pixels
// come one by one (the curved modes' samples, the line modes' pixels): the default shader
// then reads neither the image, nor texture coordinates, nor a previous-pixel record, so a
// pixel lit a little later comes out the same. They are written in the order they came,
// each at its own coverage times the material's opacity.
#pragma once

#include "engine/engine.h"
#include "engine/raster/pixel_write.h"
#include "engine/shading/plain_shading.h"

struct PlainPixels {
  PlainShading shading;
  EightPixels pixels;
  int columns[8], rows[8];
  float cover[8];
  int count = 0;

  // A pixel at (x, y, z) relative to the origin with normal n, on image pixel (column, row),
  // at coverage k before the material's opacity.
  void Add(float x, float y, float z, const __Point& n, int column, int row, float k) {
    // A write at full coverage replaces its pixel whatever it held: the pixel just before
    // it in the batch, when it is the same pixel, need not be lit nor written.
    if (count > 0 && columns[count - 1] == column && rows[count - 1] == row &&
        k * shading.alpha == 1.0f)
      --count;
    pixels.x[count] = x, pixels.y[count] = y, pixels.z[count] = z;
    pixels.nx[count] = n.x, pixels.ny[count] = n.y, pixels.nz[count] = n.z;
    columns[count] = column, rows[count] = row, cover[count] = k;
    ++count;
  }
  bool Full() const { return count == 8; }

  void Flush(const FrameImage& image) {
    if (count == 0) return;
    RepeatFirstLane(pixels, count);
    float c0[8], c1[8], c2[8], k[8];
    ShadePlainEight(shading, pixels, count, c0, c1, c2);
    for (int j = 0; j < count; ++j) k[j] = cover[j] * shading.alpha;
    PlotEach(image, c0, c1, c2, columns, rows, k, count);
    count = 0;
  }
};

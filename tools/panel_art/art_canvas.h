// A small painting surface for the panel's pictures: linear RGB floats, shapes with
// anti-aliased edges, images laid over it, and the 24-bit .bmp file it is saved as.
#pragma once

#include <string>
#include <vector>

#include "host/image.h"

namespace art {

struct Colour {
  float r, g, b;
};

Colour Mix(Colour a, Colour b, float t);

struct Canvas {
  int width = 0, height = 0;
  std::vector<Colour> pixels;  // top row first
};

Canvas MakeCanvas(int width, int height, Colour fill);

// Blends colour over pixel (x, y) with coverage a in 0..1 (outside the canvas: nothing).
void Blend(Canvas& c, int x, int y, Colour colour, float a);

// A vertical gradient from top to bottom colour.
void VerticalGradient(Canvas& c, Colour top, Colour bottom);

// A rounded rectangle [left, right) x [top, bottom) with corner radius, filled with a
// vertical gradient; the edge is anti-aliased.
void RoundedRect(Canvas& c, float left, float top, float right, float bottom, float radius,
                 Colour top_colour, Colour bottom_colour, float opacity);

// The outline of the same shape, width pixels wide.
void RoundedOutline(Canvas& c, float left, float top, float right, float bottom, float radius,
                    float width, Colour colour, float opacity);

// A disc of radius r centred at (cx, cy).
void Disc(Canvas& c, float cx, float cy, float r, Colour colour, float opacity);
// A ring of radius r and width w.
void Ring(Canvas& c, float cx, float cy, float r, float w, Colour colour, float opacity);

// An 8-bit RGBA image, shrunk by `factor` (box filter over factor x factor pixels), laid
// over the canvas with its top-left corner at (x, y), by its alpha.
void LayImage(Canvas& c, const qvhost::Image& image, int factor, int x, int y);

// Writes the canvas as a 24-bit bottom-up .bmp file; false with error on failure.
bool WriteBmp(const Canvas& c, const std::string& path, std::string& error);

}  // namespace art

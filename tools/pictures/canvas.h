// The one painting surface of the tools that draw the module's bitmaps (the about box's
// picture, the information panel's banner and buttons): RGB in floats 0..1, top row first;
// shapes with anti-aliased edges, renders laid over it by their alpha, and the 24-bit BMP
// file the resource compiler takes.
#pragma once

#include <string>
#include <vector>

#include "host/image.h"

namespace qvpic {

struct Colour {
  float r, g, b;
};

// A colour from 8-bit levels.
constexpr Colour Rgb8(int r, int g, int b) { return {r / 255.0f, g / 255.0f, b / 255.0f}; }

Colour Mix(Colour a, Colour b, float t);

struct Canvas {
  int width = 0, height = 0;
  std::vector<Colour> pixels;  // top row first
};

Canvas MakeCanvas(int width, int height, Colour fill);

// Blends colour over pixel (x, y) with coverage a in 0..1 (outside the canvas: nothing).
void Blend(Canvas& c, int x, int y, Colour colour, float a);

// A vertical gradient from top to bottom colour over the whole canvas.
void VerticalGradient(Canvas& c, Colour top, Colour bottom);

// A rounded rectangle [left, right) x [top, bottom) with corner radius, filled with a
// vertical gradient; the edge is anti-aliased, so a radius of 0 on whole pixels fills them
// exactly.
void RoundedRect(Canvas& c, float left, float top, float right, float bottom, float radius,
                 Colour top_colour, Colour bottom_colour, float opacity);

// The outline of the same shape, width pixels wide.
void RoundedOutline(Canvas& c, float left, float top, float right, float bottom, float radius,
                    float width, Colour colour, float opacity);

// A disc of radius r centred at (cx, cy).
void Disc(Canvas& c, float cx, float cy, float r, Colour colour, float opacity);
// A ring of radius r and width w.
void Ring(Canvas& c, float cx, float cy, float r, float w, Colour colour, float opacity);

// An RGBA image (8 or 16 bits a channel) scaled with a box filter into the rectangle
// (x, y, width, height) and laid over the canvas by its alpha: each target pixel averages
// the source pixels its area covers, weighted by their alpha, so that transparent borders
// do not darken the edges.
void PlaceImage(Canvas& c, const qvhost::Image& image, int x, int y, int width, int height);

// Writes the canvas as a 24-bit bottom-up BMP file (BI_RGB, rows padded to 4 bytes, each
// channel rounded to 8 bits); false with error on failure.
bool WriteBmp(const Canvas& c, const std::string& path, std::string& error);

}  // namespace qvpic

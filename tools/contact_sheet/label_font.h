// A 5 x 7 pixel font for short labels: letters (lowercase drawn as capitals), digits, space,
// '-' and '.'; other characters leave a blank of one letter's width.
#pragma once

#include <cstdint>
#include <string>

#include "host/image.h"

namespace qvsheet {

constexpr int kGlyphWidth = 5;
constexpr int kGlyphHeight = 7;
constexpr int kGlyphAdvance = 6;  // one blank column between letters

// Width and height in pixels of `text` drawn at `scale` pixels per font pixel.
int LabelWidth(const std::string& text, int scale);
inline int LabelHeight(int scale) { return kGlyphHeight * scale; }

// Draws `text` with its top left corner at (x, y) in the colour (r, g, b, a), each font pixel
// a square of scale x scale image pixels; what falls outside the image is clipped.
void DrawLabel(qvhost::Image& image, int x, int y, const std::string& text, int scale,
               const uint16_t rgba[4]);

}  // namespace qvsheet

// Text on the canvas: a TrueType font drawn with anti-aliased glyphs at sub-pixel positions.
// The tools' one text renderer (stb_truetype).
#pragma once

#include <string>
#include <vector>

#include "tools/pictures/canvas.h"

namespace qvpic {

struct Font {
  std::vector<unsigned char> data;
  std::vector<unsigned char> info;  // the font reader's own record, kept opaque here
};

// Reads a .ttf file; false with error when it cannot be read or parsed.
bool LoadFont(const std::string& path, Font& font, std::string& error);

// Width in pixels of text at pixel height size.
float TextWidth(const Font& font, const std::string& text, float size);

// Draws text with its baseline's left end at (x, baseline).
void DrawText(Canvas& c, const Font& font, const std::string& text, float size, float x,
              float baseline, Colour colour, float opacity);

}  // namespace qvpic

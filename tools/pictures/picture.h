// Pictures composed from the effect's own renders, for the module's bitmaps and the help
// page: an 8-bit RGB canvas, placing RGBA renders on it (scaled, over their alpha),
// gradients, text in a TrueType font, and 24-bit BMP files as the resource compiler takes
// them. Shared by the tools that make the about box's and the panel's bitmaps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvpic {

struct Rgb {
  uint8_t r, g, b;
};

// Rows packed top to bottom, 3 bytes a pixel.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
};

Picture MakePicture(int width, int height, Rgb fill);

// A vertical gradient from top to bottom over the whole picture.
void FillVerticalGradient(Picture& picture, Rgb top, Rgb bottom);

// A filled rectangle, clipped to the picture; opacity 0..1.
void FillRect(Picture& picture, int x, int y, int width, int height, Rgb colour, float opacity);

// An RGBA image (8 bits a channel, rows packed) scaled with a box filter into the
// rectangle (x, y, width, height) and laid over the picture by its alpha.
struct RgbaImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgba;
};
void PlaceImage(Picture& picture, const RgbaImage& image, int x, int y, int width, int height);

// Reads an 8- or 16-bit PNG file into 8-bit RGBA; false with a message on failure.
bool ReadRgbaPng(const std::string& path, RgbaImage& image, std::string& error);

// Writes a 24-bit bottom-up BMP file (BI_RGB, rows padded to 4 bytes).
bool WriteBmp24(const std::string& path, const Picture& picture, std::string& error);

// Text in a TrueType font file, its baseline at y, pixel_height high, anti-aliased.
// Returns the width drawn, or -1 when the font cannot be read.
int DrawText(Picture& picture, const std::string& font_file, float pixel_height, int x, int y,
             const std::string& text, Rgb colour);

}  // namespace qvpic

// Images on the host side: a plain RGBA buffer at 8 or 16 bits per channel, as read from
// or written to image files, and the built-in background.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qvhost {

// Straight (not premultiplied) RGBA, rows packed top to bottom. 8-bit images keep one byte
// a channel (0..255); 16-bit images keep 0..65535 as PNG files do.
struct Image {
  int width = 0;
  int height = 0;
  int depth = 8;  // bits per channel: 8 or 16
  std::vector<uint16_t> rgba;  // width * height * 4 channel values

  bool empty() const { return width <= 0 || height <= 0; }
  uint16_t* pixel(int x, int y) { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
  const uint16_t* pixel(int x, int y) const {
    return &rgba[(static_cast<size_t>(y) * width + x) * 4];
  }
};

// Reads a PNG file (8 or 16 bits per channel, any colour type) into RGBA at the file's
// depth. Returns false with a message in error on failure.
bool ReadPng(const std::string& path, Image& image, std::string& error);

// Writes an RGBA PNG at the image's depth (8 or 16 bits per channel).
bool WritePng(const std::string& path, const Image& image, std::string& error);

// The built-in background: a soft gradient with a grid of fine lines, so that refraction
// and reflections show.
Image MakeBackground(int width, int height, int depth);

}  // namespace qvhost

// The canvas as a 24-bit BMP file, the form the resource compiler takes bitmaps in.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "tools/pictures/canvas.h"

namespace qvpic {
namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

uint8_t Level(float v) {
  return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
}

}  // namespace

bool WriteBmp(const Canvas& c, const std::string& path, std::string& error) {
  const uint32_t row = (static_cast<uint32_t>(c.width) * 3 + 3) & ~3u;
  const uint32_t pixels = row * static_cast<uint32_t>(c.height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLe(out, 14 + 40 + pixels, 4);
  PutLe(out, 0, 4);
  PutLe(out, 14 + 40, 4);
  PutLe(out, 40, 4);  // BITMAPINFOHEADER
  PutLe(out, static_cast<uint32_t>(c.width), 4);
  PutLe(out, static_cast<uint32_t>(c.height), 4);  // positive: bottom-up
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);  // BI_RGB
  PutLe(out, pixels, 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = c.height - 1; y >= 0; --y) {
    const Colour* p = &c.pixels[static_cast<size_t>(y) * c.width];
    for (int x = 0; x < c.width; ++x, ++p) {
      out.push_back(Level(p->b));
      out.push_back(Level(p->g));
      out.push_back(Level(p->r));
    }
    for (uint32_t pad = static_cast<uint32_t>(c.width) * 3; pad < row; ++pad) out.push_back(0);
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    error = "cannot create " + path;
    return false;
  }
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  if (std::fclose(f) != 0 || !ok) {
    error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace qvpic

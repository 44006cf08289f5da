// Picture files: PNG renders in (through the reference host's reader), 24-bit BMP out.
#include <cstdio>

#include "host/image.h"
#include "tools/pictures/picture.h"

namespace qvpic {
namespace {

void PutLe(std::vector<uint8_t>& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

}  // namespace

bool ReadRgbaPng(const std::string& path, RgbaImage& image, std::string& error) {
  qvhost::Image png;
  if (!qvhost::ReadPng(path, png, error)) return false;
  image.width = png.width;
  image.height = png.height;
  image.rgba.resize(png.rgba.size());
  const int shift = png.depth == 16 ? 8 : 0;
  for (size_t i = 0; i < png.rgba.size(); ++i)
    image.rgba[i] = static_cast<uint8_t>(png.rgba[i] >> shift);
  return true;
}

bool WriteBmp24(const std::string& path, const Picture& picture, std::string& error) {
  const uint32_t row = (static_cast<uint32_t>(picture.width) * 3 + 3) & ~3u;
  const uint32_t pixels = row * static_cast<uint32_t>(picture.height);
  std::vector<uint8_t> out;
  out.push_back('B');
  out.push_back('M');
  PutLe(out, 14 + 40 + pixels, 4);
  PutLe(out, 0, 4);
  PutLe(out, 14 + 40, 4);
  PutLe(out, 40, 4);  // BITMAPINFOHEADER
  PutLe(out, static_cast<uint32_t>(picture.width), 4);
  PutLe(out, static_cast<uint32_t>(picture.height), 4);  // positive: bottom-up
  PutLe(out, 1, 2);
  PutLe(out, 24, 2);
  PutLe(out, 0, 4);  // BI_RGB
  PutLe(out, pixels, 4);
  PutLe(out, 2835, 4);  // 72 dpi
  PutLe(out, 2835, 4);
  PutLe(out, 0, 4);
  PutLe(out, 0, 4);
  for (int y = picture.height - 1; y >= 0; --y) {
    const uint8_t* p = &picture.rgb[static_cast<size_t>(y) * picture.width * 3];
    for (int x = 0; x < picture.width; ++x, p += 3) {
      out.push_back(p[2]);
      out.push_back(p[1]);
      out.push_back(p[0]);
    }
    for (uint32_t pad = static_cast<uint32_t>(picture.width) * 3; pad < row; ++pad) out.push_back(0);
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

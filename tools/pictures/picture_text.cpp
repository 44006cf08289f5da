// Text on pictures with stb_truetype: each glyph rendered as coverage and blended.
#include <cstdio>
#include <vector>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

#include "tools/pictures/picture.h"

namespace qvpic {
namespace {

bool ReadFile(const std::string& path, std::vector<unsigned char>& bytes) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  unsigned char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  std::fclose(f);
  return !bytes.empty();
}

}  // namespace

int DrawText(Picture& picture, const std::string& font_file, float pixel_height, int x, int y,
             const std::string& text, Rgb colour) {
  std::vector<unsigned char> font_bytes;
  stbtt_fontinfo font;
  if (!ReadFile(font_file, font_bytes) || !stbtt_InitFont(&font, font_bytes.data(), 0)) return -1;
  const float scale = stbtt_ScaleForPixelHeight(&font, pixel_height);
  float pen = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    const int code = static_cast<unsigned char>(text[i]);
    int advance, bearing;
    stbtt_GetCodepointHMetrics(&font, code, &advance, &bearing);
    int w, h, xoff, yoff;
    unsigned char* glyph = stbtt_GetCodepointBitmap(&font, scale, scale, code, &w, &h, &xoff, &yoff);
    for (int j = 0; j < h; ++j)
      for (int k = 0; k < w; ++k)
        FillRect(picture, x + static_cast<int>(pen) + xoff + k, y + yoff + j, 1, 1, colour,
                 glyph[j * w + k] / 255.0f);
    stbtt_FreeBitmap(glyph, nullptr);
    pen += advance * scale;
    if (i + 1 < text.size())
      pen += scale * stbtt_GetCodepointKernAdvance(&font, code, static_cast<unsigned char>(text[i + 1]));
  }
  return static_cast<int>(pen + 0.5f);
}

}  // namespace qvpic

// Glyphs from stb_truetype, rendered at sub-pixel positions and blended as coverage.
#include "tools/pictures/text.h"

#include <cmath>
#include <cstdio>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb/stb_truetype.h>

namespace qvpic {

namespace {

const stbtt_fontinfo* Info(const Font& font) {
  return reinterpret_cast<const stbtt_fontinfo*>(font.info.data());
}

}  // namespace

bool LoadFont(const std::string& path, Font& font, std::string& error) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    error = "cannot open font " + path;
    return false;
  }
  font.data.clear();
  unsigned char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    font.data.insert(font.data.end(), chunk, chunk + n);
  std::fclose(f);
  font.info.assign(sizeof(stbtt_fontinfo), 0);
  auto* info = reinterpret_cast<stbtt_fontinfo*>(font.info.data());
  if (font.data.empty() ||
      !stbtt_InitFont(info, font.data.data(), stbtt_GetFontOffsetForIndex(font.data.data(), 0))) {
    error = "not a TrueType font: " + path;
    return false;
  }
  return true;
}

float TextWidth(const Font& font, const std::string& text, float size) {
  const float scale = stbtt_ScaleForPixelHeight(Info(font), size);
  float width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    int advance, bearing;
    stbtt_GetCodepointHMetrics(Info(font), static_cast<unsigned char>(text[i]), &advance, &bearing);
    width += advance * scale;
    if (i + 1 < text.size())
      width +=
          scale * stbtt_GetCodepointKernAdvance(Info(font), static_cast<unsigned char>(text[i]),
                                                static_cast<unsigned char>(text[i + 1]));
  }
  return width;
}

void DrawText(Canvas& c, const Font& font, const std::string& text, float size, float x,
              float baseline, Colour colour, float opacity) {
  const stbtt_fontinfo* info = Info(font);
  const float scale = stbtt_ScaleForPixelHeight(info, size);
  float pen = x;
  for (size_t i = 0; i < text.size(); ++i) {
    const int code = static_cast<unsigned char>(text[i]);
    const float shift = pen - std::floor(pen);
    int w, h, xoff, yoff;
    unsigned char* glyph =
        stbtt_GetCodepointBitmapSubpixel(info, scale, scale, shift, 0, code, &w, &h, &xoff, &yoff);
    const int left = static_cast<int>(std::floor(pen)) + xoff;
    const int top = static_cast<int>(std::lround(baseline)) + yoff;
    for (int gy = 0; gy < h; ++gy)
      for (int gx = 0; gx < w; ++gx)
        Blend(c, left + gx, top + gy, colour, glyph[gy * w + gx] / 255.0f * opacity);
    stbtt_FreeBitmap(glyph, nullptr);
    int advance, bearing;
    stbtt_GetCodepointHMetrics(info, code, &advance, &bearing);
    pen += advance * scale;
    if (i + 1 < text.size())
      pen += scale *
             stbtt_GetCodepointKernAdvance(info, code, static_cast<unsigned char>(text[i + 1]));
  }
}

}  // namespace qvpic

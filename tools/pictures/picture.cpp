// Composing pictures: fills, gradients and renders placed by their alpha.
#include "tools/pictures/picture.h"

#include <algorithm>

namespace qvpic {
namespace {

uint8_t Mix(uint8_t under, uint8_t over, float opacity) {
  return static_cast<uint8_t>(under + (over - under) * opacity + 0.5f);
}

void Blend(Picture& picture, int x, int y, Rgb colour, float opacity) {
  if (x < 0 || y < 0 || x >= picture.width || y >= picture.height || opacity <= 0) return;
  uint8_t* p = &picture.rgb[(static_cast<size_t>(y) * picture.width + x) * 3];
  p[0] = Mix(p[0], colour.r, opacity);
  p[1] = Mix(p[1], colour.g, opacity);
  p[2] = Mix(p[2], colour.b, opacity);
}

}  // namespace

Picture MakePicture(int width, int height, Rgb fill) {
  Picture picture{width, height, {}};
  picture.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (size_t i = 0; i < picture.rgb.size(); i += 3) {
    picture.rgb[i] = fill.r;
    picture.rgb[i + 1] = fill.g;
    picture.rgb[i + 2] = fill.b;
  }
  return picture;
}

void FillVerticalGradient(Picture& picture, Rgb top, Rgb bottom) {
  for (int y = 0; y < picture.height; ++y) {
    const float t = picture.height > 1 ? static_cast<float>(y) / (picture.height - 1) : 0;
    const Rgb row{Mix(top.r, bottom.r, t), Mix(top.g, bottom.g, t), Mix(top.b, bottom.b, t)};
    for (int x = 0; x < picture.width; ++x) Blend(picture, x, y, row, 1);
  }
}

void FillRect(Picture& picture, int x, int y, int width, int height, Rgb colour, float opacity) {
  for (int j = std::max(0, y); j < std::min(picture.height, y + height); ++j)
    for (int i = std::max(0, x); i < std::min(picture.width, x + width); ++i)
      Blend(picture, i, j, colour, opacity);
}

// Each target pixel averages the source pixels its area covers (premultiplied by alpha,
// so that transparent borders do not darken the edges).
void PlaceImage(Picture& picture, const RgbaImage& image, int x, int y, int width, int height) {
  if (image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0) return;
  for (int j = 0; j < height; ++j) {
    const int y0 = j * image.height / height;
    const int y1 = std::max(y0 + 1, (j + 1) * image.height / height);
    for (int i = 0; i < width; ++i) {
      const int x0 = i * image.width / width;
      const int x1 = std::max(x0 + 1, (i + 1) * image.width / width);
      float sum[4] = {0, 0, 0, 0};
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx) {
          const uint8_t* s = &image.rgba[(static_cast<size_t>(sy) * image.width + sx) * 4];
          const float a = s[3] / 255.0f;
          for (int c = 0; c < 3; ++c) sum[c] += s[c] * a;
          sum[3] += a;
        }
      if (sum[3] <= 0) continue;
      const float n = static_cast<float>((y1 - y0) * (x1 - x0));
      const Rgb colour{static_cast<uint8_t>(sum[0] / sum[3]), static_cast<uint8_t>(sum[1] / sum[3]),
                       static_cast<uint8_t>(sum[2] / sum[3])};
      Blend(picture, x + i, y + j, colour, sum[3] / n);
    }
  }
}

}  // namespace qvpic

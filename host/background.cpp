// The built-in background of `quorvel render`: a diagonal colour gradient with a grid of
// fine dark lines every 64 pixels and a light line every 16, so that refraction through
// the glass and the ball's edges are easy to judge.
#include "host/image.h"

namespace qvhost {

Image MakeBackground(int width, int height, int depth) {
  Image image;
  if (width <= 0 || height <= 0) return image;
  image.width = width;
  image.height = height;
  image.depth = depth == 16 ? 16 : 8;
  image.rgba.resize(static_cast<size_t>(width) * height * 4);
  const double full = image.depth == 16 ? 65535.0 : 255.0;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double fx = width > 1 ? static_cast<double>(x) / (width - 1) : 0.0;
      const double fy = height > 1 ? static_cast<double>(y) / (height - 1) : 0.0;
      double r = 0.15 + 0.55 * fx;
      double g = 0.25 + 0.45 * (1.0 - fy);
      double b = 0.55 + 0.35 * fy * (1.0 - fx);
      if (x % 64 == 0 || y % 64 == 0) {
        r *= 0.25, g *= 0.25, b *= 0.25;
      } else if (x % 16 == 0 || y % 16 == 0) {
        r = 0.5 + 0.5 * r, g = 0.5 + 0.5 * g, b = 0.5 + 0.5 * b;
      }
      uint16_t* p = image.pixel(x, y);
      p[0] = static_cast<uint16_t>(r * full + 0.5);
      p[1] = static_cast<uint16_t>(g * full + 0.5);
      p[2] = static_cast<uint16_t>(b * full + 0.5);
      p[3] = static_cast<uint16_t>(full);
    }
  }
  return image;
}

}  // namespace qvhost

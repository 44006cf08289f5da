// Painting on the canvas: coverage from signed distances (one pixel of soft edge), blending
// in floats, and images placed with a box filter.
#include "tools/pictures/canvas.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace qvpic {

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Canvas MakeCanvas(int width, int height, Colour fill) {
  Canvas c;
  c.width = width;
  c.height = height;
  c.pixels.assign(static_cast<size_t>(width) * height, fill);
  return c;
}

void Blend(Canvas& c, int x, int y, Colour colour, float a) {
  if (x < 0 || y < 0 || x >= c.width || y >= c.height || a <= 0) return;
  Colour& p = c.pixels[static_cast<size_t>(y) * c.width + x];
  p = Mix(p, colour, std::min(a, 1.0f));
}

void VerticalGradient(Canvas& c, Colour top, Colour bottom) {
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      c.pixels[static_cast<size_t>(y) * c.width + x] =
          Mix(top, bottom, static_cast<float>(y) / std::max(1, c.height - 1));
}

namespace {

// Signed distance from the pixel centre (px, py) to the rounded rectangle (negative inside).
float RoundedDistance(float px, float py, float left, float top, float right, float bottom,
                      float radius) {
  const float cx = (left + right) / 2, cy = (top + bottom) / 2;
  const float hx = (right - left) / 2 - radius, hy = (bottom - top) / 2 - radius;
  const float dx = std::fabs(px - cx) - hx, dy = std::fabs(py - cy) - hy;
  const float outside = std::hypot(std::max(dx, 0.0f), std::max(dy, 0.0f));
  return outside + std::min(std::max(dx, dy), 0.0f) - radius;
}

// Coverage of a pixel at signed distance d: a one pixel wide ramp across the edge.
float Coverage(float d) { return std::clamp(0.5f - d, 0.0f, 1.0f); }

}  // namespace

void RoundedRect(Canvas& c, float left, float top, float right, float bottom, float radius,
                 Colour top_colour, Colour bottom_colour, float opacity) {
  for (int y = static_cast<int>(top) - 1; y <= static_cast<int>(bottom) + 1; ++y)
    for (int x = static_cast<int>(left) - 1; x <= static_cast<int>(right) + 1; ++x) {
      const float d = RoundedDistance(x + 0.5f, y + 0.5f, left, top, right, bottom, radius);
      const float t = std::clamp((y + 0.5f - top) / (bottom - top), 0.0f, 1.0f);
      Blend(c, x, y, Mix(top_colour, bottom_colour, t), Coverage(d) * opacity);
    }
}

void RoundedOutline(Canvas& c, float left, float top, float right, float bottom, float radius,
                    float width, Colour colour, float opacity) {
  for (int y = static_cast<int>(top) - 1; y <= static_cast<int>(bottom) + 1; ++y)
    for (int x = static_cast<int>(left) - 1; x <= static_cast<int>(right) + 1; ++x) {
      const float d = RoundedDistance(x + 0.5f, y + 0.5f, left, top, right, bottom, radius);
      Blend(c, x, y, colour, Coverage(std::fabs(d + width / 2) - width / 2) * opacity);
    }
}

void Disc(Canvas& c, float cx, float cy, float r, Colour colour, float opacity) {
  for (int y = static_cast<int>(cy - r) - 1; y <= static_cast<int>(cy + r) + 1; ++y)
    for (int x = static_cast<int>(cx - r) - 1; x <= static_cast<int>(cx + r) + 1; ++x)
      Blend(c, x, y, colour, Coverage(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - r) * opacity);
}

void Ring(Canvas& c, float cx, float cy, float r, float w, Colour colour, float opacity) {
  for (int y = static_cast<int>(cy - r - w) - 1; y <= static_cast<int>(cy + r + w) + 1; ++y)
    for (int x = static_cast<int>(cx - r - w) - 1; x <= static_cast<int>(cx + r + w) + 1; ++x) {
      const float d = std::fabs(std::hypot(x + 0.5f - cx, y + 0.5f - cy) - r) - w / 2;
      Blend(c, x, y, colour, Coverage(d) * opacity);
    }
}

void PlaceImage(Canvas& c, const qvhost::Image& image, int x, int y, int width, int height) {
  if (image.empty() || width <= 0 || height <= 0) return;
  const float scale = image.depth == 16 ? 65535.0f : 255.0f;
  for (int j = 0; j < height; ++j) {
    const int y0 = j * image.height / height;
    const int y1 = std::max(y0 + 1, (j + 1) * image.height / height);
    for (int i = 0; i < width; ++i) {
      const int x0 = i * image.width / width;
      const int x1 = std::max(x0 + 1, (i + 1) * image.width / width);
      float sum[4] = {0, 0, 0, 0};
      for (int sy = y0; sy < y1; ++sy)
        for (int sx = x0; sx < x1; ++sx) {
          const uint16_t* p = image.pixel(sx, sy);
          const float a = p[3] / scale;
          for (int k = 0; k < 3; ++k) sum[k] += p[k] / scale * a;  // premultiplied
          sum[3] += a;
        }
      if (sum[3] <= 0) continue;
      const Colour colour = {sum[0] / sum[3], sum[1] / sum[3], sum[2] / sum[3]};
      Blend(c, x + i, y + j, colour, sum[3] / static_cast<float>((y1 - y0) * (x1 - x0)));
    }
  }
}

}  // namespace qvpic

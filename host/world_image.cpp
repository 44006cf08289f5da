// Conversions between images (as files hold them) and host worlds, and the reduction of an
// image for downsampled renders.
#include "host/world_image.h"

#include <algorithm>

namespace qvhost {

namespace {

uint32_t FullScaleOf(const Image& image) { return image.depth == 16 ? kFullFile16 : kFull8; }

}  // namespace

uint16_t RescaleChannel(uint32_t value, uint32_t from_full, uint32_t to_full) {
  if (value >= from_full) return static_cast<uint16_t>(to_full);
  const uint64_t scaled = (uint64_t{value} * to_full * 2 + from_full) / (uint64_t{from_full} * 2);
  return static_cast<uint16_t>(scaled);
}

std::unique_ptr<World> WorldFromImage(const Image& image, bool deep, int row_padding) {
  auto world = std::make_unique<World>(image.width, image.height, deep, row_padding);
  const uint32_t from = FullScaleOf(image);
  const uint32_t to = deep ? kFullWorld16 : kFull8;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const uint16_t* p = image.pixel(x, y);
      const uint16_t r = RescaleChannel(p[0], from, to), g = RescaleChannel(p[1], from, to),
                     b = RescaleChannel(p[2], from, to), a = RescaleChannel(p[3], from, to);
      if (deep)
        world->Pixel16(x, y) = PF_Pixel16{a, r, g, b};
      else
        world->Pixel8(x, y) = PF_Pixel{static_cast<A_u_char>(a), static_cast<A_u_char>(r),
                                       static_cast<A_u_char>(g), static_cast<A_u_char>(b)};
    }
  }
  return world;
}

Image ImageFromWorld(const World& world) {
  Image image;
  image.width = world.width();
  image.height = world.height();
  image.depth = world.deep() ? 16 : 8;
  image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      uint16_t* p = image.pixel(x, y);
      if (world.deep()) {
        const PF_Pixel16& w = world.Pixel16(x, y);
        p[0] = RescaleChannel(w.red, kFullWorld16, kFullFile16);
        p[1] = RescaleChannel(w.green, kFullWorld16, kFullFile16);
        p[2] = RescaleChannel(w.blue, kFullWorld16, kFullFile16);
        p[3] = RescaleChannel(w.alpha, kFullWorld16, kFullFile16);
      } else {
        const PF_Pixel& w = world.Pixel8(x, y);
        p[0] = w.red, p[1] = w.green, p[2] = w.blue, p[3] = w.alpha;
      }
    }
  }
  return image;
}

Image DownsampleImage(const Image& image, int factor) {
  if (factor <= 1 || image.empty()) return image;
  Image out;
  out.width = (image.width + factor - 1) / factor;
  out.height = (image.height + factor - 1) / factor;
  out.depth = image.depth;
  out.rgba.resize(static_cast<size_t>(out.width) * out.height * 4);
  for (int oy = 0; oy < out.height; ++oy) {
    for (int ox = 0; ox < out.width; ++ox) {
      const int x0 = ox * factor, x1 = std::min(image.width, x0 + factor);
      const int y0 = oy * factor, y1 = std::min(image.height, y0 + factor);
      uint64_t sum[4] = {};
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
          for (int c = 0; c < 4; ++c) sum[c] += image.pixel(x, y)[c];
      const uint64_t n = static_cast<uint64_t>(x1 - x0) * (y1 - y0);
      for (int c = 0; c < 4; ++c) out.pixel(ox, oy)[c] = static_cast<uint16_t>((sum[c] + n / 2) / n);
    }
  }
  return out;
}

}  // namespace qvhost

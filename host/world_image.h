// Images and host worlds meet here: a file's RGBA pixels (8 bits 0..255, or 16 bits
// 0..65535) become a world at the render's depth (8 bits 0..255, or the host's 16-bit range
// 0..32768) and back, and an image is reduced for a downsampled render.
#pragma once

#include <memory>

#include "host/image.h"
#include "host/world.h"

namespace qvhost {

// Full scale of a channel: an 8-bit world's or file's, a 16-bit world's (the host's deep
// range is 0..32768, not 0..65535) and a 16-bit file's.
constexpr int kFull8 = 255;
constexpr int kFullWorld16 = 32768;
constexpr int kFullFile16 = 65535;

// One channel from one full scale to another, rounded to nearest; values above the
// source's full scale stay at the target's.
uint16_t RescaleChannel(uint32_t value, uint32_t from_full, uint32_t to_full);

// A new world of the image's size at the given depth, with row_padding bytes after each
// row, holding the image's pixels (alpha, red, green, blue).
std::unique_ptr<World> WorldFromImage(const Image& image, bool deep, int row_padding);

// The world's pixels as an image at the world's depth: an 8-bit world gives an 8-bit
// image, a deep world a 16-bit one (0..32768 spread over 0..65535).
Image ImageFromWorld(const World& world);

// The image reduced by `factor` in both directions, each pixel the mean of the factor x
// factor block it covers (blocks at the right and bottom edges may be smaller). The result
// is ceil(width / factor) x ceil(height / factor). A factor of 1 or less copies.
Image DownsampleImage(const Image& image, int factor);

}  // namespace qvhost

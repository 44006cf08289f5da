// Host-owned image worlds.
#include "host/world.h"

#include <cstring>
#include <stdexcept>

namespace qvhost {

World::World(int width, int height, bool deep, int row_padding)
    : width_(width), height_(height), deep_(deep), row_padding_(row_padding) {
  if (width < 0 || height < 0 || row_padding < 0)
    throw std::invalid_argument("world size and padding must not be negative");
  size_t pixel_bytes = deep ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
  size_t rowbytes = static_cast<size_t>(width) * pixel_bytes + static_cast<size_t>(row_padding);
  if (rowbytes > 0x7FFFFFFF) throw std::invalid_argument("world rows too wide");
  bytes_.assign(rowbytes * static_cast<size_t>(height), 0);
  Clear();
}

void World::Clear() {
  std::memset(&def_, 0, sizeof def_);
  const size_t pixel_bytes = deep_ ? sizeof(PF_Pixel16) : sizeof(PF_Pixel);
  const size_t rowbytes = static_cast<size_t>(width_) * pixel_bytes + static_cast<size_t>(row_padding_);
  if (!bytes_.empty()) std::memset(bytes_.data(), 0, bytes_.size());
  def_.world_flags = deep_ ? PF_WorldFlag_DEEP : 0;
  def_.data = bytes_.empty() ? nullptr : bytes_.data();
  def_.rowbytes = static_cast<A_long>(rowbytes);
  def_.width = width_;
  def_.height = height_;
  def_.extent_hint = PF_Rect{0, 0, width_, height_};
  def_.pix_aspect_ratio = PF_RationalScale{1, 1};
  for (int y = 0; y < height_; ++y)
    std::memset(Row(y) + rowbytes - row_padding_, kPaddingFill, static_cast<size_t>(row_padding_));
}

bool World::Fits(int width, int height, bool deep, int row_padding) const {
  return width == width_ && height == height_ && deep == deep_ && row_padding == row_padding_;
}

PF_Pixel& World::Pixel8(int x, int y) { return reinterpret_cast<PF_Pixel*>(Row(y))[x]; }
const PF_Pixel& World::Pixel8(int x, int y) const {
  return reinterpret_cast<const PF_Pixel*>(Row(y))[x];
}
PF_Pixel16& World::Pixel16(int x, int y) { return reinterpret_cast<PF_Pixel16*>(Row(y))[x]; }
const PF_Pixel16& World::Pixel16(int x, int y) const {
  return reinterpret_cast<const PF_Pixel16*>(Row(y))[x];
}

void World::Fill(PF_Pixel pixel) {
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x) Pixel8(x, y) = pixel;
}

void World::Fill(PF_Pixel16 pixel) {
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x) Pixel16(x, y) = pixel;
}

std::vector<uint8_t> World::Padding() const {
  std::vector<uint8_t> padding;
  for (int y = 0; y < height(); ++y) {
    const uint8_t* end = Row(y) + def_.rowbytes;
    padding.insert(padding.end(), end - row_padding_, end);
  }
  return padding;
}

}  // namespace qvhost

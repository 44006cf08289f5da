// Pixel copies between frei0r's RGBA8888 frames and 8-bit host worlds.
#include "frei0r/frame_copy.h"

namespace qvfrei0r {

void FrameToWorld(const uint32_t* frame, qvhost::World& world) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(frame);
  for (int y = 0; y < world.height(); ++y) {
    PF_Pixel* row = &world.Pixel8(0, y);
    const uint8_t* in = bytes + static_cast<size_t>(y) * world.width() * 4;
    for (int x = 0; x < world.width(); ++x, in += 4) row[x] = PF_Pixel{in[3], in[0], in[1], in[2]};
  }
}

void WorldToFrame(const qvhost::World& world, uint32_t* frame) {
  auto* bytes = reinterpret_cast<uint8_t*>(frame);
  for (int y = 0; y < world.height(); ++y) {
    const PF_Pixel* row = &world.Pixel8(0, y);
    uint8_t* out = bytes + static_cast<size_t>(y) * world.width() * 4;
    for (int x = 0; x < world.width(); ++x, out += 4) {
      out[0] = row[x].red, out[1] = row[x].green, out[2] = row[x].blue, out[3] = row[x].alpha;
    }
  }
}

}  // namespace qvfrei0r

// An image world the host owns and hands to the effect as the output buffer, the input
// layer or a layer parameter: a PF_LayerDef over pixel memory of its own, 8 or 16 bits
// per channel (alpha, red, green, blue), with optional padding at the end of each row so
// that effects are seen to honour rowbytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/sdk/ae_sdk.h"

namespace qvhost {

class World {
 public:
  // Padding bytes are filled with this value, so that a write into them shows.
  static constexpr uint8_t kPaddingFill = 0x5A;

  // width x height pixels; deep = 16 bits per channel; row_padding extra bytes a row.
  World(int width, int height, bool deep, int row_padding = 0);

  World(const World&) = delete;
  World& operator=(const World&) = delete;

  PF_LayerDef& def() { return def_; }
  const PF_LayerDef& def() const { return def_; }

  int width() const { return def_.width; }
  int height() const { return def_.height; }
  bool deep() const { return (def_.world_flags & PF_WorldFlag_DEEP) != 0; }

  PF_Pixel& Pixel8(int x, int y);
  const PF_Pixel& Pixel8(int x, int y) const;
  PF_Pixel16& Pixel16(int x, int y);
  const PF_Pixel16& Pixel16(int x, int y) const;

  // Back to the state of a new world of its size: every byte 0, the padding filled and the
  // record as first made (whatever a render changed in it), in the same memory.
  void Clear();
  // True when the world was made with these arguments (Clear then gives that new world).
  bool Fits(int width, int height, bool deep, int row_padding) const;

  // Every pixel set to one value (of the world's depth).
  void Fill(PF_Pixel pixel);
  void Fill(PF_Pixel16 pixel);

  // The padding bytes after each row, for checking that nothing was written there.
  std::vector<uint8_t> Padding() const;

 private:
  uint8_t* Row(int y) { return bytes_.data() + static_cast<size_t>(y) * def_.rowbytes; }
  const uint8_t* Row(int y) const {
    return bytes_.data() + static_cast<size_t>(y) * def_.rowbytes;
  }

  std::vector<uint8_t> bytes_;
  PF_LayerDef def_;
  int width_, height_;
  bool deep_;
  int row_padding_;
};

}  // namespace qvhost

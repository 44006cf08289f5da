// The pixel conversions. All four are one reordering routine over the channel type: output
// channel k of every pixel takes input channel order[k].
#include "model/pixel_convert.h"

#include <stddef.h>
#include <stdint.h>

#include "engine/engine.h"

namespace {

// Channel orders, as indices into the input pixel.
constexpr int kWorldToFrame[4] = {1, 2, 3, 0};    // A R G B -> R G B A
constexpr int kFrameToWorld[4] = {3, 0, 1, 2};    // R G B A -> A R G B
constexpr int kWorldToTexture[4] = {3, 2, 1, 0};  // A R G B -> B G R A
constexpr int kSameOrder[4] = {0, 1, 2, 3};

// Largest image the conversions accept: its channel count must fit a 32-bit signed row
// arithmetic of the callers and its bytes the address space.
constexpr int64_t kMaxChannels = INT32_MAX;

// Sizes are usable when positive, the row holds the width, and the whole image fits.
bool ValidSizes(int width, int height, int row_size) {
  if (width <= 0 || height <= 0 || row_size <= 0) return false;
  if (static_cast<int64_t>(width) * 4 > row_size) return false;
  return static_cast<int64_t>(row_size) * height <= kMaxChannels;
}

template <typename Channel>
void Reorder(Channel* dst, int64_t dst_row, const Channel* src, int64_t src_row, int width,
             int height, const int (&order)[4]) {
  for (int y = 0; y < height; ++y) {
    Channel* d = dst + y * dst_row;
    const Channel* s = src + y * src_row;
    for (int x = 0; x < width; ++x, d += 4, s += 4) {
      const Channel c0 = s[order[0]], c1 = s[order[1]], c2 = s[order[2]], c3 = s[order[3]];
      d[0] = c0;
      d[1] = c1;
      d[2] = c2;
      d[3] = c3;
    }
  }
}

// Runs Reorder at the given depth over byte pointers; rows counted in channel units.
void ReorderAtDepth(bool deep, unsigned char* dst, int dst_row, const unsigned char* src,
                    int src_row, int width, int height, const int (&order)[4]) {
  if (deep)
    Reorder(reinterpret_cast<uint16_t*>(dst), dst_row, reinterpret_cast<const uint16_t*>(src),
            src_row, width, height, order);
  else
    Reorder(dst, dst_row, src, src_row, width, height, order);
}

// Allocates `channels` zero-filled channels of the current depth when target is null.
unsigned char* TargetOrNew(unsigned char* target, int64_t channels, bool deep) {
  if (target) return target;
  return static_cast<unsigned char*>(EngineAlloc(static_cast<size_t>(channels) * (deep ? 2 : 1)));
}

}  // namespace

unsigned char* WorldToFrame(unsigned char* target, const unsigned char* world, int width,
                            int height, int row_size) {
  if (!world || !ValidSizes(width, height, row_size)) return nullptr;
  const bool deep = __GetDeep() != 0;
  unsigned char* frame = TargetOrNew(target, static_cast<int64_t>(height) * row_size, deep);
  if (!frame) return nullptr;
  ReorderAtDepth(deep, frame, width * 4, world, row_size, width, height, kWorldToFrame);
  return frame;
}

bool FrameToWorld(unsigned char* world, const unsigned char* frame, int width, int height,
                  int row_size) {
  if (!world || !frame || !ValidSizes(width, height, row_size)) return false;
  ReorderAtDepth(__GetDeep() != 0, world, row_size, frame, width * 4, width, height,
                 kFrameToWorld);
  return true;
}

unsigned char* WorldToTexture(unsigned char* target, const unsigned char* world, int width,
                              int height, int row_size) {
  if (!world || !ValidSizes(width, height, row_size)) return nullptr;
  const bool deep = __GetDeep() != 0;
  unsigned char* texture = TargetOrNew(target, static_cast<int64_t>(width) * height * 4, deep);
  if (!texture) return nullptr;
  ReorderAtDepth(deep, texture, width * 4, world, row_size, width, height, kWorldToTexture);
  return texture;
}

bool CopyWorld(unsigned char* target, const unsigned char* source, int width, int height,
               int target_row, int source_row, unsigned char deep) {
  if (!target || !source || !ValidSizes(width, height, target_row) ||
      !ValidSizes(width, height, source_row))
    return false;
  ReorderAtDepth(deep != 0, target, target_row, source, source_row, width, height, kSameOrder);
  return true;
}

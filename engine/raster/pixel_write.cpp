// Pixel writes: single channels in 8 or 16 bits, and a whole pixel written with coverage.
#include "engine/raster/pixel_write.h"

#include <stdint.h>

#include <limits>

#include "engine/engine_state.h"
#include "engine/scene/layer_composite.h"

int ReadChannel(const unsigned char* image, int index) {
  if (_Deep) return reinterpret_cast<const uint16_t*>(image)[index];
  return image[index];
}

void WriteChannel(unsigned char* image, int index, int value) {
  if (_Deep) {
    reinterpret_cast<uint16_t*>(image)[index] = static_cast<uint16_t>(value);
  } else {
    image[index] = static_cast<unsigned char>(value);
  }
}

namespace {

// Clamped to 0..max (not a number counts as 0), then truncated.
int ClampChannel(float v, int max) {
  if (!(v > 0)) return 0;
  if (v >= static_cast<float>(max)) return max;
  return static_cast<int>(v);
}

// One pixel of either channel width: colour stored straight (not premultiplied), alpha
// the larger of the old alpha and the new coverage.
template <typename Channel>
inline void WriteCovered(Channel* px, const float c[3], float k) {
  // _MaxChannel is full scale; the channel type's own limit keeps a stray setting from
  // wrapping around.
  int max = _MaxChannel;
  if (max > std::numeric_limits<Channel>::max()) max = std::numeric_limits<Channel>::max();
  float full = static_cast<float>(max);
  if (k == 1) {
    for (int j = 0; j < 3; ++j) px[j] = static_cast<Channel>(ClampChannel(c[j], max));
    px[3] = static_cast<Channel>(max);
    return;
  }
  if (!(k > 0)) return;  // no coverage, or not a number: nothing to write
  int alpha = px[3];
  if (alpha == 0) {
    // An empty pixel takes the full colour; the coverage goes into alpha alone.
    for (int j = 0; j < 3; ++j) px[j] = static_cast<Channel>(ClampChannel(c[j], max));
    px[3] = static_cast<Channel>(ClampChannel(k * full, max));
    return;
  }
  for (int j = 0; j < 3; ++j) {
    float blended = k * c[j] + (1 - k) * static_cast<float>(px[j]);
    px[j] = static_cast<Channel>(ClampChannel(blended, max));
  }
  float cover = k * full;
  px[3] = static_cast<Channel>(ClampChannel(cover > alpha ? cover : alpha, max));
}

}  // namespace

void PlotPixel(unsigned char* image, float c0, float c1, float c2, int x, int y, float k) {
  PlotRow(image, &c0, &c1, &c2, &x, 1, y, k);
}

void PlotRow(unsigned char* image, const float* c0, const float* c1, const float* c2,
             const int* x, int count, int y, float k) {
  if (!image || y < 0 || y >= Zheight) return;
  const bool layer = image == _TriLayer;
  const ptrdiff_t row = static_cast<ptrdiff_t>(y) * _RowStride;
  for (int j = 0; j < count; ++j) {
    if (x[j] < 0 || x[j] >= Zwidth) continue;
    if (layer) NoteLayerWrite(x[j], y);
    const ptrdiff_t i = row + 4 * static_cast<ptrdiff_t>(x[j]);
    const float c[3] = {c0[j], c1[j], c2[j]};
    if (_Deep) {
      WriteCovered(reinterpret_cast<uint16_t*>(image) + i, c, k);
    } else {
      WriteCovered(image + i, c, k);
    }
  }
}

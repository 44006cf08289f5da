// Pixel writes: single channels in 8 or 16 bits, and a whole pixel written with coverage.
#include "engine/raster/pixel_write.h"

#include <emmintrin.h>
#include <stddef.h>
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

// Four neighbouring pixels written at full coverage: each channel clamped and truncated as
// ClampChannel does (max_ps gives 0 for not a number and for -0), alpha full, the four
// pixels stored at once.
struct FourChannels {
  __m128i c[3];
};

FourChannels ClampFour(const float* c0, const float* c1, const float* c2, int max) {
  const __m128 zero = _mm_setzero_ps(), full = _mm_set1_ps(static_cast<float>(max));
  FourChannels out;
  const float* from[3] = {c0, c1, c2};
  for (int j = 0; j < 3; ++j)
    out.c[j] = _mm_cvttps_epi32(_mm_min_ps(_mm_max_ps(_mm_loadu_ps(from[j]), zero), full));
  return out;
}

void WriteFullFour(unsigned char* px, const FourChannels& v, int max) {
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(max) << 24));
  const __m128i pixels = _mm_or_si128(
      _mm_or_si128(v.c[0], _mm_slli_epi32(v.c[1], 8)),
      _mm_or_si128(_mm_slli_epi32(v.c[2], 16), alpha));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(px), pixels);
}

void WriteFullFour(uint16_t* px, const FourChannels& v, int max) {
  const __m128i low = _mm_or_si128(v.c[0], _mm_slli_epi32(v.c[1], 16));  // red, green
  const __m128i alpha = _mm_set1_epi32(static_cast<int>(static_cast<uint32_t>(max) << 16));
  const __m128i high = _mm_or_si128(v.c[2], alpha);  // blue, alpha
  __m128i* out = reinterpret_cast<__m128i*>(px);
  _mm_storeu_si128(out, _mm_unpacklo_epi32(low, high));
  _mm_storeu_si128(out + 1, _mm_unpackhi_epi32(low, high));
}

// Four neighbouring pixels from px on, at coverage 1.
template <typename Channel>
void PlotFullFour(Channel* px, const float* c0, const float* c1, const float* c2) {
  int max = _MaxChannel;
  if (max > std::numeric_limits<Channel>::max()) max = std::numeric_limits<Channel>::max();
  WriteFullFour(px, ClampFour(c0, c1, c2, max), max);
}

// The columns lo .. hi - 1 of a row that are kept, and the channel index of column 0: the
// image's own row, or the layer's row within its window.
struct RowPlace {
  ptrdiff_t column0;
  int lo, hi;
};

// Row y's place in the layer's window w, or with w null in the image itself.
bool PlaceRowIn(const LayerWindow* w, int y, RowPlace& place) {
  if (!w) {
    if (y < 0 || y >= Zheight) return false;
    place = RowPlace{static_cast<ptrdiff_t>(y) * _RowStride, 0, Zwidth};
    return true;
  }
  if (y < w->y0 || y >= w->y1 || y < 0 || y >= Zheight) return false;
  place.column0 =
      static_cast<ptrdiff_t>(y - w->y0) * w->stride - 4 * static_cast<ptrdiff_t>(w->x0);
  place.lo = w->x0 > 0 ? w->x0 : 0;
  place.hi = w->x1 < Zwidth ? w->x1 : Zwidth;
  return true;
}

// One pixel of coverage k at channel index i, its column already checked.
void WritePixelAt(unsigned char* image, ptrdiff_t i, const float c[3], float k) {
  if (_Deep)
    WriteCovered(reinterpret_cast<uint16_t*>(image) + i, c, k);
  else
    WriteCovered(image + i, c, k);
}

// Columns x[0] .. x[3] are neighbours, left to right, all kept (and the channel range is
// usable).
bool FourNeighboursInside(const int* x, const RowPlace& place) {
  return _MaxChannel > 0 && x[0] >= place.lo && x[3] < place.hi && x[1] == x[0] + 1 &&
         x[2] == x[0] + 2 && x[3] == x[0] + 3;
}

}  // namespace

void PlotPixel(unsigned char* image, float c0, float c1, float c2, int x, int y, float k) {
  PlotRow(image, &c0, &c1, &c2, &x, 1, y, k);
}

void PlotRow(unsigned char* image, const float* c0, const float* c1, const float* c2,
             const int* x, int count, int y, float k) {
  if (!image) return;
  const bool layer = image == _TriLayer;
  const LayerWindow window = layer ? CurrentLayerWindow() : LayerWindow{};
  RowPlace place;
  if (!PlaceRowIn(layer ? &window : nullptr, y, place)) return;
  for (int j = 0; j < count; ++j) {
    const ptrdiff_t i = place.column0 + 4 * static_cast<ptrdiff_t>(x[j]);
    if (k == 1 && j + 4 <= count && FourNeighboursInside(x + j, place)) {
      if (layer) NoteLayerSpan(x[j], x[j + 3], y);
      if (_Deep)
        PlotFullFour(reinterpret_cast<uint16_t*>(image) + i, c0 + j, c1 + j, c2 + j);
      else
        PlotFullFour(image + i, c0 + j, c1 + j, c2 + j);
      j += 3;
      continue;
    }
    if (x[j] < place.lo || x[j] >= place.hi) continue;
    if (layer) NoteLayerWrite(x[j], y);
    const float c[3] = {c0[j], c1[j], c2[j]};
    WritePixelAt(image, i, c, k);
  }
}

void PlotEach(unsigned char* image, const float* c0, const float* c1, const float* c2,
              const int* x, const int* y, const float* k, int count) {
  if (!image) return;
  const bool layer = image == _TriLayer;
  const LayerWindow window = layer ? CurrentLayerWindow() : LayerWindow{};
  for (int j = 0; j < count; ++j) {
    RowPlace place;
    if (!PlaceRowIn(layer ? &window : nullptr, y[j], place)) continue;
    if (x[j] < place.lo || x[j] >= place.hi) continue;
    if (layer) NoteLayerWrite(x[j], y[j]);
    const float c[3] = {c0[j], c1[j], c2[j]};
    WritePixelAt(image, place.column0 + 4 * static_cast<ptrdiff_t>(x[j]), c, k[j]);
  }
}

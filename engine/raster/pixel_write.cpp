// Pixel writes: single channels in 8 or 16 bits, and a whole pixel written with coverage.
#include "engine/raster/pixel_write.h"

#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <limits>

#include "engine/engine_state.h"
#include "engine/shading/simd_lanes.h"

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

using simd_lanes::RowLanes;

#if QUORVEL_SIMD
using simd_lanes::Lanes4;

// WriteCovered's three cases at once, the pixel's four channels side by side, without a
// branch on the pixel's values, for a coverage k > 0 and a channel range above 0: the colour
// lanes take the colour when k is 1 or the pixel is empty, else k * c + (1 - k) * old (the
// scalar's very products and sum); the alpha lane takes the larger of k * full and the old
// alpha, which is each case's alpha (full when k is 1; k * full over an empty pixel, clamped
// to 0 as it would be). Each lane is then clamped and truncated as ClampChannel does. (A
// build without SIMD writes WriteCovered itself.)
template <typename Channel>
void WriteCoveredLanes(Channel* px, const float c[3], float k, int max) {
  using L = Lanes4;
  const int alpha = px[3];
  const float full = static_cast<float>(max);
  const L::V colour = L::SetLanes(c[0], c[1], c[2], 0.0f);
  const L::V old = L::LoadChannels(px);
  const L::V blended = L::Add(L::Mul(L::Set(k), colour), L::Mul(L::Set(1 - k), old));
  L::V v = L::Select(L::MaskOf(k == 1 || alpha == 0 ? 0xF : 0), colour, blended);
  const L::V cover = L::Max(L::Set(k * full), L::Set(static_cast<float>(alpha)));
  v = L::Select(L::MaskOf(0x8), cover, v);
  L::StoreChannels(px, L::Min(L::Max(v, L::Zero()), L::Set(full)));
}

// WriteCoveredLanes at coverage 1, which replaces the pixel whatever it held, so it is not
// read: the colour clamped to 0 .. full, alpha full (the larger of full and the old alpha,
// clamped to full).
template <typename Channel>
void WriteReplacingLanes(Channel* px, const float c[3], int max) {
  using L = Lanes4;
  const float full = static_cast<float>(max);
  const L::V v = L::SetLanes(c[0], c[1], c[2], full);
  L::StoreChannels(px, L::Min(L::Max(v, L::Zero()), L::Set(full)));
}
#endif

// RowLanes::kWidth neighbouring pixels from px on, at coverage 1: each channel clamped and
// truncated as ClampChannel does (the lanes' maximum gives 0 for not a number and for -0),
// alpha full, the pixels stored at once.
template <typename Channel>
void PlotFullLanes(Channel* px, const float* c0, const float* c1, const float* c2) {
  using L = RowLanes;
  int max = _MaxChannel;
  if (max > std::numeric_limits<Channel>::max()) max = std::numeric_limits<Channel>::max();
  const L::V zero = L::Zero(), full = L::Set(static_cast<float>(max));
  const auto clamp = [&](const float* c) { return L::Min(L::Max(L::Load(c), zero), full); };
  L::StorePixels(px, clamp(c0), clamp(c1), clamp(c2), max);
}

// The columns lo .. hi - 1 of a row that are kept, and the channel index of column 0: the
// image's own row, or the layer's row within its window.
struct RowPlace {
  ptrdiff_t column0;
  int lo, hi;
};

// The pixels of window w that are written: those within both the window and the image,
// columns lo .. hi - 1 of rows top .. bottom - 1.
struct KeptBox {
  int lo, hi, top, bottom;
};
KeptBox KeptIn(const ImageWindow& w) {
  return KeptBox{w.x0 > 0 ? w.x0 : 0, w.x1 < Zwidth ? w.x1 : Zwidth, w.y0 > 0 ? w.y0 : 0,
                 w.y1 < Zheight ? w.y1 : Zheight};
}

// Row y's place in window w (the layer's, or the image as a window).
bool PlaceRowIn(const ImageWindow& w, int y, RowPlace& place) {
  const KeptBox kept = KeptIn(w);
  if (y < kept.top || y >= kept.bottom) return false;
  place = RowPlace{WindowIndex(w, 0, y), kept.lo, kept.hi};
  return true;
}

// One pixel of coverage k at channel index i, its column already checked.
void WritePixelAt(unsigned char* image, ptrdiff_t i, const float c[3], float k) {
  if (_Deep)
    WriteCovered(reinterpret_cast<uint16_t*>(image) + i, c, k);
  else
    WriteCovered(image + i, c, k);
}

// Columns x[0] .. x[RowLanes::kWidth - 1] are neighbours, left to right, all kept (and the
// channel range is usable).
bool NeighboursInside(const int* x, const RowPlace& place) {
  constexpr int n = RowLanes::kWidth;
  if (_MaxChannel <= 0 || x[0] < place.lo || x[n - 1] >= place.hi) return false;
  for (int j = 1; j < n; ++j)
    if (x[j] != x[0] + j) return false;
  return true;
}

}  // namespace

FrameImage OutputImage(unsigned char* pixels, ImageKind kind) {
  return FrameImage{pixels, ImageWindow{0, Zwidth, 0, Zheight, _RowStride}, kind, false, nullptr};
}

void PlotPixel(const FrameImage& image, float c0, float c1, float c2, int x, int y, float k) {
  PlotRow(image, &c0, &c1, &c2, &x, 1, y, k);
}

namespace {

// PlotRow's pixels within `place`; into the layer (kLayer) the columns written are noted as
// one span at the end.
template <bool kLayer>
void PlotRowAt(unsigned char* image, LayerSpanTable* spans, const RowPlace& place, const float* c0,
               const float* c1, const float* c2, const int* x, int count, int y, float k) {
  int first = place.hi, last = place.lo - 1;
  for (int j = 0; j < count; ++j) {
    const ptrdiff_t i = place.column0 + 4 * static_cast<ptrdiff_t>(x[j]);
    constexpr int n = RowLanes::kWidth;
    if (k == 1 && j + n <= count && NeighboursInside(x + j, place)) {
      if (kLayer && x[j] < first) first = x[j];
      if (kLayer && x[j + n - 1] > last) last = x[j + n - 1];
      if (_Deep)
        PlotFullLanes(reinterpret_cast<uint16_t*>(image) + i, c0 + j, c1 + j, c2 + j);
      else
        PlotFullLanes(image + i, c0 + j, c1 + j, c2 + j);
      j += n - 1;
      continue;
    }
    if (x[j] < place.lo || x[j] >= place.hi) continue;
    if (kLayer && x[j] < first) first = x[j];
    if (kLayer && x[j] > last) last = x[j];
    const float c[3] = {c0[j], c1[j], c2[j]};
    WritePixelAt(image, i, c, k);
  }
  if (kLayer && first <= last) NoteLayerSpan(*spans, first, last, y);
}

}  // namespace

void PlotRow(const FrameImage& image, const float* c0, const float* c1, const float* c2,
             const int* x, int count, int y, float k) {
  if (!image.pixels) return;
  RowPlace place;
  if (!PlaceRowIn(image.window, y, place)) return;
  if (image.spans)
    PlotRowAt<true>(image.pixels, image.spans, place, c0, c1, c2, x, count, y, k);
  else
    PlotRowAt<false>(image.pixels, nullptr, place, c0, c1, c2, x, count, y, k);
}

namespace {

// PlotEach's pixels into an image of `Channel`s: the columns and rows kept and the channel
// range read once, since the writes may alias any global.
template <typename Channel, bool kLayer>
void PlotEachIn(Channel* image, const ImageWindow& w, LayerSpanTable* spans, const float* c0,
                const float* c1, const float* c2, const int* x, const int* y, const float* k,
                int count) {
  int max = _MaxChannel;
  if (max > std::numeric_limits<Channel>::max()) max = std::numeric_limits<Channel>::max();
  const KeptBox kept = KeptIn(w);
  for (int j = 0; j < count; ++j) {
    if (x[j] < kept.lo || x[j] >= kept.hi || y[j] < kept.top || y[j] >= kept.bottom) continue;
    if (kLayer) NoteLayerSpan(*spans, x[j], x[j], y[j]);
    const float c[3] = {c0[j], c1[j], c2[j]};
    Channel* px = image + WindowIndex(w, x[j], y[j]);
#if QUORVEL_SIMD
    if (max <= 0) {
      WriteCovered(px, c, k[j]);
    } else if (k[j] == 1.0f) {
      WriteReplacingLanes(px, c, max);
    } else if (k[j] > 0) {  // no coverage, or not a number: nothing to write
      WriteCoveredLanes(px, c, k[j], max);
    }
#else
    (void)max;  // the width-1 lanes: the scalar write
    WriteCovered(px, c, k[j]);
#endif
  }
}

template <typename Channel>
void PlotEachAs(Channel* image, const ImageWindow& w, LayerSpanTable* spans, const float* c0,
                const float* c1, const float* c2, const int* x, const int* y, const float* k,
                int count) {
  if (spans)
    PlotEachIn<Channel, true>(image, w, spans, c0, c1, c2, x, y, k, count);
  else
    PlotEachIn<Channel, false>(image, w, nullptr, c0, c1, c2, x, y, k, count);
}

}  // namespace

void PlotEach(const FrameImage& image, const float* c0, const float* c1, const float* c2,
              const int* x, const int* y, const float* k, int count) {
  if (!image.pixels) return;
  const ImageWindow w = image.window;
  if (_Deep)
    PlotEachAs(reinterpret_cast<uint16_t*>(image.pixels), w, image.spans, c0, c1, c2, x, y, k,
               count);
  else
    PlotEachAs(image.pixels, w, image.spans, c0, c1, c2, x, y, k, count);
}

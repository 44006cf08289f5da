// Pixel writes: single channels in 8 or 16 bits, and a whole pixel written with coverage.
#include "engine/raster/pixel_write.h"

#include <emmintrin.h>
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include <limits>

#include "engine/engine_state.h"

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

// WriteCovered's three cases at once, without a branch on the pixel's values, for a
// coverage k > 0 and a channel range above 0: the colour lanes take the colour when k is 1
// or the pixel is empty, else k * c + (1 - k) * old (the scalar's very products and sum);
// the alpha lane takes the larger of k * full and the old alpha, which is each case's alpha
// (full when k is 1; k * full over an empty pixel, clamped to 0 as it would be). Each lane is
// then clamped and truncated as ClampChannel does.
__m128 CoveredLanes(const float c[3], float k, __m128 old, int alpha, float full) {
  const __m128 colour = _mm_setr_ps(c[0], c[1], c[2], 0.0f);
  const __m128 blended = _mm_add_ps(_mm_mul_ps(_mm_set1_ps(k), colour),
                                    _mm_mul_ps(_mm_set1_ps(1 - k), old));
  const __m128 replace = _mm_castsi128_ps(_mm_set1_epi32(-static_cast<int>(k == 1 || alpha == 0)));
  __m128 v = _mm_or_ps(_mm_and_ps(replace, colour), _mm_andnot_ps(replace, blended));
  const __m128 cover = _mm_max_ps(_mm_set1_ps(k * full), _mm_set1_ps(static_cast<float>(alpha)));
  const __m128 alpha_lane = _mm_castsi128_ps(_mm_setr_epi32(0, 0, 0, -1));
  v = _mm_or_ps(_mm_andnot_ps(alpha_lane, v), _mm_and_ps(alpha_lane, cover));
  return _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(full));
}

// Four lanes, each already within 0 .. the channel range, truncated into the pixel.
void StoreLanes(unsigned char* px, __m128 lanes) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i v = _mm_cvttps_epi32(lanes);
  const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(_mm_packs_epi32(v, zero), zero));
  memcpy(px, &bytes, 4);
}

void StoreLanes(uint16_t* px, __m128 lanes) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i v = _mm_cvttps_epi32(lanes);
  // Words up to 65535 through the signed pack: shifted down by 32768 and back.
  const __m128i bias = _mm_set1_epi32(32768);
  const __m128i words = _mm_xor_si128(_mm_packs_epi32(_mm_sub_epi32(v, bias), zero),
                                      _mm_set1_epi16(static_cast<short>(0x8000)));
  _mm_storel_epi64(reinterpret_cast<__m128i*>(px), words);
}

void WriteCoveredLanes(unsigned char* px, const float c[3], float k, int max) {
  int bytes;
  memcpy(&bytes, px, 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i old = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(bytes), zero), zero);
  StoreLanes(px, CoveredLanes(c, k, _mm_cvtepi32_ps(old), px[3], static_cast<float>(max)));
}

void WriteCoveredLanes(uint16_t* px, const float c[3], float k, int max) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i old =
      _mm_unpacklo_epi16(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(px)), zero);
  StoreLanes(px, CoveredLanes(c, k, _mm_cvtepi32_ps(old), px[3], static_cast<float>(max)));
}

// CoveredLanes at coverage 1, which replaces the pixel whatever it held, so it is not read:
// the colour clamped to 0 .. full, alpha full (the larger of full and the old alpha,
// clamped to full).
template <typename Channel>
void WriteReplacingLanes(Channel* px, const float c[3], int max) {
  const float full = static_cast<float>(max);
  const __m128 v = _mm_setr_ps(c[0], c[1], c[2], full);
  StoreLanes(px, _mm_min_ps(_mm_max_ps(v, _mm_setzero_ps()), _mm_set1_ps(full)));
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

// Columns x[0] .. x[3] are neighbours, left to right, all kept (and the channel range is
// usable).
bool FourNeighboursInside(const int* x, const RowPlace& place) {
  return _MaxChannel > 0 && x[0] >= place.lo && x[3] < place.hi && x[1] == x[0] + 1 &&
         x[2] == x[0] + 2 && x[3] == x[0] + 3;
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
    if (k == 1 && j + 4 <= count && FourNeighboursInside(x + j, place)) {
      if (kLayer && x[j] < first) first = x[j];
      if (kLayer && x[j + 3] > last) last = x[j + 3];
      if (_Deep)
        PlotFullFour(reinterpret_cast<uint16_t*>(image) + i, c0 + j, c1 + j, c2 + j);
      else
        PlotFullFour(image + i, c0 + j, c1 + j, c2 + j);
      j += 3;
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
    if (max <= 0) {
      WriteCovered(px, c, k[j]);
    } else if (k[j] == 1.0f) {
      WriteReplacingLanes(px, c, max);
    } else if (k[j] > 0) {  // no coverage, or not a number: nothing to write
      WriteCoveredLanes(px, c, k[j], max);
    }
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

// The scratch-layer path of the anti-aliased modes: the triangle's region of _TriLayer, its
// clearing and its composite into the output with the edge-continuation rule.
#include "engine/scene/layer_composite.h"

#include <limits.h>
#include <stdint.h>
#include <string.h>

#include <initializer_list>

#include "engine/engine_state.h"
#include "engine/kept_buffers.h"
#include "engine/prefetch_for_write.h"
#include "engine/raster/truncate.h"
#include "engine/shading/simd_lanes.h"

namespace {

int ClampInt(int v, int lo, int hi) { return v < lo ? lo : (v > hi ? hi : v); }

// Two layers whose colours differ by less than this many 8-bit levels in every channel
// continue one edge composite. In 16-bit the difference is divided by 256 first, so the
// threshold there is 20 x 256 channel units.
constexpr int kEdgeLevels = 20;

// The edge bits (Frame::bits): where a bit is clear the edge records' colours are never
// read before an edge composite writes them, so a full cover need not write them there, and
// the records need no clearing between renders. Without them the coverage is read from the
// edge colour record itself.
// Bit i of a block, and whether any of the n bits i .. i + n - 1 is set (n at most 4, bit
// i + n - 1 exists).
bool EdgeBitAt(const uint64_t* bits, size_t i) { return (bits[i / 64] >> (i % 64)) & 1; }
bool AnyEdgeBitOfAt(const uint64_t* bits, size_t i, int n) {
  const unsigned shift = static_cast<unsigned>(i % 64);
  uint64_t run = bits[i / 64] >> shift;
  if (shift > 64u - n) run |= bits[i / 64 + 1] << (64 - shift);
  return (run & ((uint64_t{1} << n) - 1)) != 0;
}
void SetEdgeBitAt(uint64_t* bits, size_t i) { bits[i / 64] |= uint64_t{1} << (i % 64); }

// Zeroes the four channels of the frame-laid-out `image` over the region.
void ClearRegion(const Frame& f, unsigned char* image, const LayerRegion& r) {
  if (!image || r.x1 <= r.x0) return;
  const size_t channel = f.deep ? 2 : 1;
  for (int y = r.y0; y < r.y1; ++y) {
    const size_t i = (static_cast<size_t>(y) * f.whole.stride + 4 * static_cast<size_t>(r.x0));
    memset(image + i * channel, 0, static_cast<size_t>(r.x1 - r.x0) * 4 * channel);
  }
}

using RowSpan = LayerRowSpan;
constexpr RowSpan kNoSpan = {INT_MAX, -1};

// Every row of the region, all of its columns.
struct WholeRegion {
  const LayerRegion& r;
  int y0() const { return r.y0; }
  int y1() const { return r.y1; }
  int x0(int) const { return r.x0; }
  int x1(int) const { return r.x1; }
};

// The region's pixels within the written spans.
struct WrittenPart {
  const LayerRegion& r;
  const LayerSpanTable& t;
  int y0() const { return r.y0 > t.y0 ? r.y0 : t.y0; }
  int y1() const { return r.y1 < t.y1 + 1 ? r.y1 : t.y1 + 1; }
  int x0(int y) const { return r.x0 > t.spans[y].x0 ? r.x0 : t.spans[y].x0; }
  int x1(int y) const { return r.x1 < t.spans[y].x1 + 1 ? r.x1 : t.spans[y].x1 + 1; }
};

// Pixels of four channels in a 64-byte cache line.
template <typename Channel>
constexpr int PixelsPerLine() {
  return 64 / (4 * static_cast<int>(sizeof(Channel)));
}

// The output's pixels x0 .. x1 - 1 of row y, asked for ahead of the row's composite, ready
// to be written: a triangle's rows lie far apart in it. (A packed layer stays in the cache,
// and the edge records are touched only along edges.)
template <typename Channel>
void PrefetchRow(const Channel* out, int y, int x0, int x1, ptrdiff_t stride) {
  const int step = PixelsPerLine<Channel>();
  for (int x = x0; x < x1 + step; x += step) {
    const ptrdiff_t i = static_cast<ptrdiff_t>(y) * stride + 4 * static_cast<ptrdiff_t>(x);
    PrefetchForWrite(out + i);
  }
}

// The edge records of the rows' pixels whose edge bit is set, asked for before the
// composite starts: those are the pixels whose records it reads or writes, and the records,
// touched only along edges, are seldom in the cache.
template <typename Channel, typename Rows>
void PrefetchEdgedRecords(const Channel* edge, const Channel* under, const Rows& rows,
                          const uint64_t* bits, size_t bits_width, ptrdiff_t stride) {
  const int line = PixelsPerLine<Channel>();
  for (int y = rows.y0(); y < rows.y1(); ++y) {
    const int x1 = rows.x1(y);
    const size_t row_bit = static_cast<size_t>(y) * bits_width;
    for (int x = rows.x0(y); x < x1;) {
      const size_t i = row_bit + static_cast<size_t>(x);
      const uint64_t word = bits[i / 64] >> (i % 64);
      if (word == 0) {
        x += static_cast<int>(64 - i % 64);
        continue;
      }
      x += __builtin_ctzll(word);
      if (x >= x1) break;
      const ptrdiff_t at = static_cast<ptrdiff_t>(y) * stride + 4 * static_cast<ptrdiff_t>(x);
      PrefetchForRead(edge + at);
      PrefetchForRead(under + at);
      x = (x / line + 1) * line;
    }
  }
}

// RowLanes::kWidth pixels of the layer that all cover fully (alpha exactly m) take the
// full-cover rule at once: the layer's pixels into the output and, when `records` says so,
// its colours into the edge records, whose coverages stay. False (nothing written) unless
// all of them are fully covered. The pixels are handled as lanes of 32 bits: one 8-bit pixel
// a lane, or a 16-bit pixel's red and green in one lane and its blue and alpha in the next.
template <typename Channel, typename Records>
bool FullyCoveredLanes(Channel* out, const Channel* layer, Channel* edge, Channel* under, int m,
                       Records records) {
  using L = simd_lanes::RowLanes;
  using B = L::B;
  constexpr bool kDeep = sizeof(Channel) == 2;
  constexpr int kParts = sizeof(Channel);  // lane vectors the pixels fill
  constexpr int kAll = (1 << L::kWidth) - 1;
  if (!kDeep && m != 255) return false;
  // The lanes holding an alpha: all of them, or every second one (of the whole run).
  const auto alpha_lanes = [](int part) {
    return kDeep ? ((part * L::kWidth) % 2 == 0 ? 0xAAAA : 0x5555) & kAll : kAll;
  };
  const B alpha_bits = L::SetBits(kDeep ? 0xFFFF0000u : 0xFF000000u);
  const B full = L::SetBits(static_cast<uint32_t>(m) << (kDeep ? 16 : 24));
  B l[kParts];
  for (int h = 0; h < kParts; ++h) {
    l[h] = L::LoadBits(layer + h * 4 * L::kWidth / kParts);
    const int lanes = alpha_lanes(h);
    if ((L::Mask(L::EqualBits(L::AndBits(l[h], alpha_bits), full)) & lanes) != lanes)
      return false;
  }
  const bool write_records = records();
  for (int h = 0; h < kParts; ++h) {
    const int at = h * 4 * L::kWidth / kParts;
    L::StoreBits(out + at, l[h]);
    if (!write_records) continue;
    const B alpha = L::AndBits(alpha_bits, L::BitsOf(L::MaskOf(alpha_lanes(h))));
    for (Channel* record : {edge, under})
      L::StoreBits(record + at, L::MergeBits(alpha, L::LoadBits(record + at), l[h]));
  }
  return true;
}

// What the composite reads of the render's state, taken once: its byte stores into the
// images may alias any global, which the loops would otherwise read again after each.
struct CompositeState {
  uint64_t* bits;  // the edge bits, or null
  size_t bits_width;
  ptrdiff_t stride;  // _RowStride
  int m;  // _MaxChannel
  float full;
};

// One pixel of the layer, L, into the output pixel D with the edge records E and U; `bit`
// is the pixel's index in the edge bits.
template <typename Channel>
inline void CompositePixel(Channel* D, const Channel* L, Channel* E, Channel* U, size_t bit,
                           const CompositeState& s) {
  const int m = s.m;
  const int a = L[3];
  if (a == 0) return;  // untouched by the triangle
  const bool edged = s.bits ? EdgeBitAt(s.bits, bit) : E[3] != 0;
  if (a >= m) {  // full cover: the layer's colour everywhere, the edge coverage kept
    for (int k = 0; k < 3; ++k) D[k] = L[k];
    if (edged || !s.bits)
      for (int k = 0; k < 3; ++k) U[k] = E[k] = L[k];
    D[3] = static_cast<Channel>(m);
    return;
  }
  if (D[3] == 0) {  // nothing under it yet
    for (int k = 0; k < 3; ++k) D[k] = L[k];
    D[3] = static_cast<Channel>(a);
    return;
  }
  int delta = 0;  // read only where an edge composite was made
  for (int k = 0; edged && k < 3; ++k) {
    const int diff = E[k] > L[k] ? E[k] - L[k] : L[k] - E[k];
    if (diff > delta) delta = diff;
  }
  if (sizeof(Channel) == 2) delta /= 256;  // 16-bit channels
  int under_colour[3];
  int g;
  if (edged && delta < kEdgeLevels) {
    // The layer continues the edge composite made here: blend once against the colour
    // found under the first layer, with the larger coverage.
    for (int k = 0; k < 3; ++k) under_colour[k] = U[k];
    g = E[3] > a ? E[3] : a;
    E[3] = static_cast<Channel>(g);
  } else {
    // A new edge: remember what lies under it and the layer's colour and coverage.
    for (int k = 0; k < 3; ++k) {
      under_colour[k] = D[k];
      U[k] = D[k];
      E[k] = L[k];
    }
    E[3] = static_cast<Channel>(a);
    g = a;
    if (s.bits) SetEdgeBitAt(s.bits, bit);
  }
  const float full = s.full;
  const float o = static_cast<float>(g) / full;
  for (int k = 0; k < 3; ++k) {
    float c = static_cast<float>(L[k]) * o + static_cast<float>(under_colour[k]) * (1.0f - o);
    if (c < 0.0f) c = 0.0f;
    if (c > full) c = full;
    D[k] = static_cast<Channel>(c);
  }
  if (g > D[3]) D[3] = static_cast<Channel>(g);
}

// The region's pixels of the layer, which lie within its window: fully covering pixels
// RowLanes::kWidth at once where they can, else one at a time.
template <typename Channel, typename Rows>
void CompositeRegion(const Frame& f, Channel* out, const Channel* layer, Channel* edge,
                     Channel* under, const ImageWindow& w, const Rows& rows) {
  const CompositeState s = {f.bits, static_cast<size_t>(f.bits_width), f.whole.stride,
                            f.max_channel, static_cast<float>(f.max_channel)};
  if (s.bits) PrefetchEdgedRecords(edge, under, rows, s.bits, s.bits_width, s.stride);
  for (int y = rows.y0(); y < rows.y1(); ++y) {
    const int x0 = rows.x0(y), x_end = rows.x1(y);
    if (y + 1 < rows.y1()) PrefetchRow(out, y + 1, rows.x0(y + 1), rows.x1(y + 1), s.stride);
    // Where column 0 of row y would lie in the output and records, and in the layer.
    const ptrdiff_t row = static_cast<ptrdiff_t>(y) * s.stride;
    const ptrdiff_t layer_row = WindowIndex(w, 0, y);
    const size_t bit_row = static_cast<size_t>(y) * s.bits_width;
    for (int x = x0; x < x_end; ++x) {
      const ptrdiff_t i = row + 4 * static_cast<ptrdiff_t>(x);
      const ptrdiff_t li = layer_row + 4 * static_cast<ptrdiff_t>(x);
      const size_t bit = bit_row + static_cast<size_t>(x);
      constexpr int n = simd_lanes::RowLanes::kWidth;
      const auto records = [&s, bit] { return !s.bits || AnyEdgeBitOfAt(s.bits, bit, n); };
      if (x + n <= x_end &&
          FullyCoveredLanes(out + i, layer + li, edge + i, under + i, s.m, records)) {
        x += n - 1;
        continue;
      }
      CompositePixel(out + i, layer + li, edge + i, under + i, bit, s);
    }
  }
}

}  // namespace

LayerRegion TriangleRegion(const __Triangle3ds& tri, const __Point3ds* points, int origin_x,
                           int origin_y, bool wide) {
  const __Point3ds* v[3] = {&points[tri.a], &points[tri.b], &points[tri.c]};
  float minx = v[0]->x, maxx = v[0]->x, miny = v[0]->y, maxy = v[0]->y;
  for (int k = 1; k < 3; ++k) {
    if (v[k]->x < minx) minx = v[k]->x;
    if (v[k]->x > maxx) maxx = v[k]->x;
    if (v[k]->y < miny) miny = v[k]->y;
    if (v[k]->y > maxy) maxy = v[k]->y;
  }
  // Fringes and corner passes reach about two pixels past the triangle; the curved modes
  // bulge out by up to the triangle's own size.
  float mx = 3.0f, my = 3.0f;
  if (wide) {
    if (maxx - minx > mx) mx = maxx - minx;
    if (maxy - miny > my) my = maxy - miny;
  }
  LayerRegion r;
  r.x0 = ClampInt(TruncToInt(double(minx) - mx + origin_x), 0, Zwidth);
  r.x1 = ClampInt(TruncToInt(double(maxx) + mx + origin_x), 0, Zwidth);
  r.y0 = ClampInt(TruncToInt(double(miny) - my + origin_y), 0, Zheight);
  r.y1 = ClampInt(TruncToInt(double(maxy) + my + origin_y), 0, Zheight);
  return r;
}

namespace {

// The region limited to the layer's window.
LayerRegion WithinWindow(const LayerRegion& r, const ImageWindow& w) {
  LayerRegion out = r;
  if (out.x0 < w.x0) out.x0 = w.x0;
  if (out.x1 > w.x1) out.x1 = w.x1;
  if (out.y0 < w.y0) out.y0 = w.y0;
  if (out.y1 > w.y1) out.y1 = w.y1;
  return out;
}

template <typename Rows>
void CompositeRows(const Frame& f, const Rows& rows) {
  unsigned char* dst = f.out.pixels;
  const unsigned char* layer = f.layer.pixels;
  unsigned char* edge = f.edge_color.pixels;
  unsigned char* under = f.edge_under.pixels;
  if (!dst || !layer || !edge || !under) return;
  const ImageWindow& w = f.layer.window;
  if (f.deep)
    CompositeRegion(f, reinterpret_cast<uint16_t*>(dst), reinterpret_cast<const uint16_t*>(layer),
                    reinterpret_cast<uint16_t*>(edge), reinterpret_cast<uint16_t*>(under), w, rows);
  else
    CompositeRegion(f, dst, layer, edge, under, w, rows);
}

// Zeroes the layer's written spans and forgets them. Every write into the layer notes its
// span, so the layer is zero everywhere again.
void ClearSpans(Frame& f) {
  LayerSpanTable& t = f.spans;
  if (!t.spans) return;
  const size_t channel = f.deep ? 2 : 1;
  const ImageWindow& w = f.layer.window;
  for (int y = t.y0; y <= t.y1; ++y) {
    const RowSpan s = t.spans[y];
    if (f.layer.pixels && s.x1 >= s.x0) {  // every span lies within the window
      const size_t i = static_cast<size_t>(WindowIndex(w, s.x0, y));
      memset(f.layer.pixels + i * channel, 0, static_cast<size_t>(s.x1 - s.x0 + 1) * 4 * channel);
    }
    t.spans[y] = kNoSpan;
  }
  t.y0 = INT_MAX;
  t.y1 = -1;
}

// The layer laid out as the frame again.
void Unpack(Frame& f) {
  f.layer.packed = false;
  f.layer.window = f.whole;
}

}  // namespace

void StartLayerSpans(Frame& f, unsigned char* pixels, int height) {
  f.layer = FrameImage{pixels, f.whole, ImageKind::kLayer, false, &f.spans};
  f.unnoted = LayerRegion{0, 0, 0, 0};
  f.spans = LayerSpanTable{nullptr, 0, INT_MAX, -1};
  if (height <= 0) return;
  const size_t bytes = sizeof(RowSpan) * static_cast<size_t>(height);
  f.spans.spans = static_cast<RowSpan*>(TakeBuffer(KeptSlot::kLayerSpans, bytes, EngineAlloc));
  if (!f.spans.spans) return;
  f.spans.rows = height;
  for (int y = 0; y < height; ++y) f.spans.spans[y] = kNoSpan;
}

void EndLayerSpans(Frame& f) {
  // The layer is left zero for the next render, which clears only what it writes itself.
  ClearSpans(f);
  Unpack(f);
  ClearRegion(f, f.layer.pixels, f.unnoted);
  f.unnoted = LayerRegion{0, 0, 0, 0};
  GiveBackBuffer(KeptSlot::kLayerSpans, f.spans.spans);
  f.spans = LayerSpanTable{nullptr, 0, INT_MAX, -1};
}

void CompositeLayerWritten(const Frame& f, const LayerRegion& region) {
  const LayerRegion r = WithinWindow(region, f.layer.window);
  if (f.spans.spans)
    CompositeRows(f, WrittenPart{r, f.spans});
  else
    CompositeRows(f, WholeRegion{r});
}

void ClearLayer(Frame& f, const LayerRegion& r, bool pack) {
  if (f.spans.spans) {
    ClearSpans(f);  // in the last triangle's window
    Unpack(f);
    if (!pack) return;
    const ptrdiff_t stride = 4 * static_cast<ptrdiff_t>(r.x1 > r.x0 ? r.x1 - r.x0 : 0);
    f.layer.packed = true;
    f.layer.window = ImageWindow{r.x0, r.x1, r.y0, r.y1, stride};
    return;
  }
  Unpack(f);
  ClearRegion(f, f.layer.pixels, r);
  f.unnoted = r;
}

bool TakeEdgeBits(Frame& f, int width, int height) {
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  const size_t bytes = (pixels + 63) / 64 * sizeof(uint64_t);
  uint64_t* bits = static_cast<uint64_t*>(TakeBuffer(KeptSlot::kEdgeBits, bytes, EngineAlloc));
  if (!bits) return false;
  memset(bits, 0, bytes);
  f.bits = bits;
  f.bits_width = width;
  return true;
}

void GiveBackEdgeBits(Frame& f) {
  uint64_t* bits = f.bits;
  f.bits = nullptr;
  f.bits_width = 0;
  GiveBackBuffer(KeptSlot::kEdgeBits, bits);
}

void CompositeLayer(const Frame& f, const LayerRegion& region) {
  const LayerRegion r = WithinWindow(region, f.layer.window);
  CompositeRows(f, WholeRegion{r});
}

// The background readers of the glass stage: SampleBackground (one channel, with the
// two-pass and multi-refraction rules) and SampleRefracted (a filtered sample at a
// fractional position).
#include "engine/shading/background_sample.h"

#include <math.h>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"

namespace {

// Depths below this were never recorded: a fresh _GlassDepth holds about -1.69e38.
constexpr float kNoGlassDepth = -1e37f;

int ReadOrZero(const unsigned char* image, int index) {
  return image ? ReadChannel(image, index) : 0;
}

float Clamp01(float v) {
  if (!(v >= 0.0f)) return 0.0f;  // also a value that is not a number
  return v > 1.0f ? 1.0f : v;
}

// Column (or row) of a sample: its own when inside [0, limit), else the fallback's.
// Returns -1 when neither is inside.
int InsideOrFallback(float v, float fallback, int limit) {
  int i = TruncPosition(v);
  if (i < 0 || i >= limit) i = TruncPosition(fallback);
  return (i >= 0 && i < limit) ? i : -1;
}

}  // namespace

float PlaneDepth(const float plane[4], float x, float y, float z) {
  if (fabsf(plane[2]) > 0.01f) return -(plane[0] * x + plane[1] * y + plane[3]) / plane[2];
  return z;
}

int TruncPosition(float v) {
  if (!(v > -2147483520.0f && v < 2147483520.0f)) return -1;
  return static_cast<int>(v);
}

float SampleBackground(float z, const unsigned char* background, int o, int ch,
                       float threshold) {
  const int i = o + ch;
  const int out_alpha = _OutImage ? ReadChannel(_OutImage, o + 3) : 0;

  // Front-face pass of a two-pass render: the back faces drawn first show through in
  // proportion to the output's coverage.
  if (_DrawBackFaces && !_DrawBackFaces1) {
    if (_BackCopy && ReadChannel(_BackCopy, o + 3) != 0) {
      const float f = static_cast<float>(out_alpha) / static_cast<float>(_MaxChannel);
      return f * ReadChannel(_BackCopy, i) + (1.0f - f) * ReadOrZero(background, i);
    }
    return static_cast<float>(ReadOrZero(background, i));
  }

  if (!_UseMultyRefract || !_BackCopy || !_GlassDepth)
    return static_cast<float>(ReadOrZero(background, i));

  // Multi-refraction: glass already drawn at this pixel at another depth becomes part of
  // the background later lookups see.
  float* depth = &_GlassDepth[o / 4];
  const float g = *depth;
  if (fabsf(g - z) >= threshold) {
    int v;
    if (out_alpha == _MaxChannel && g > kNoGlassDepth) {
      v = ReadChannel(_OutImage, i);
      WriteChannel(_BackCopy, i, v);
    } else {
      v = ReadChannel(_BackCopy, i);
    }
    if (ch == 2) *depth = z;  // recorded once per lookup, after the third channel
    return static_cast<float>(v);
  }
  return static_cast<float>(ReadChannel(_BackCopy, i));
}

float SampleRefracted(float z, float sx, float sy, int ch, float t, const float plane[4],
                      float& alpha, float px, float py, const unsigned char* background) {
  const int ix = InsideOrFallback(sx, px, Zwidth);
  const int iy = InsideOrFallback(sy, py, Zheight);
  if (ix < 0 || iy < 0) {
    alpha = 0.0f;
    return 0.0f;
  }
  const auto index = [](int x, int y) { return y * _RowStride + 4 * x; };
  const float max_channel = static_cast<float>(_MaxChannel);

  if (!_Quality) {
    const float v =
        SampleBackground(z, background, index(ix, iy), ch, kGlassDepthThreshold) / max_channel;
    return Clamp01(v + t);
  }

  // Four taps weighted by squared sums of the fractions (after a fallback, the distance to
  // the fallback column or row). A distance that is not a number, or so large that its
  // square would overflow into infinity over infinity, weighs as the pixel itself.
  constexpr float kLargestDistance = 1e18f;
  float fx = fabsf(sx - static_cast<float>(ix));
  float fy = fabsf(sy - static_cast<float>(iy));
  if (!(fx < kLargestDistance)) fx = 0.0f;
  if (!(fy < kLargestDistance)) fy = 0.0f;
  float w00 = ((1.0f - fx) + (1.0f - fy)) * ((1.0f - fx) + (1.0f - fy));
  float w11 = (fx + fy) * (fx + fy);
  float w01 = ((1.0f - fx) + fy) * ((1.0f - fx) + fy);
  float w10 = (fx + (1.0f - fy)) * (fx + (1.0f - fy));
  float sum = w00 + w11 + w01 + w10;
  if (sum == 0.0f) sum = 1.0f;
  sum *= max_channel;
  if (sum != 1.0f) {
    w00 /= sum;
    w11 /= sum;
    w01 /= sum;
    w10 /= sum;
  }
  const int ix1 = ix + 1 < Zwidth ? ix + 1 : Zwidth - 1;
  const int iy1 = iy + 1 < Zheight ? iy + 1 : Zheight - 1;
  const float m00 = SampleBackground(z, background, index(ix, iy), ch, kGlassDepthThreshold);
  const float m11 = SampleBackground(PlaneDepth(plane, sx + 1.0f, sy + 1.0f, z), background,
                                     index(ix1, iy1), ch, kGlassDepthThreshold);
  const float m01 = SampleBackground(PlaneDepth(plane, sx, sy + 1.0f, z), background,
                                     index(ix, iy1), ch, kGlassDepthThreshold);
  const float m10 = SampleBackground(PlaneDepth(plane, sx + 1.0f, sy, z), background,
                                     index(ix1, iy), ch, kGlassDepthThreshold);
  return Clamp01(w00 * m00 + w11 * m11 + w01 * m01 + w10 * m10 + t);
}

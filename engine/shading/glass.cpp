// The glass stage of the default shader: refraction of the background with chromatic
// aberration, either as one filtered lookup per channel or, where neighbouring pixels'
// targets lie far apart, as the average over the footprint between them.
#include <math.h>

#include "engine/engine_state.h"
#include "engine/shading/background_sample.h"
#include "engine/shading/shading_stages.h"

namespace {

float Clamp01(float v) {
  if (!(v >= 0.0f)) return 0.0f;
  return v > 1.0f ? 1.0f : v;
}

// Samples per axis over a footprint extent d: trunc(min(|d| + 1, 5)), at least 1.
int FootprintSteps(float d) {
  const float n = fabsf(d) + 1.0f;
  if (!(n < 5.0f)) return 5;  // also an extent that is not a number
  return static_cast<int>(n);
}

struct Footprint {
  float colour;  // summed channel / (samples x _MaxChannel); skipped samples are black
  float coverage;  // share of samples inside the image
};

// Walks up to 5 x 5 samples from the target t towards the previous pixel's target
// (t + delta), each falling back to the pixel's own column or row when outside.
Footprint AverageFootprint(const GlassPixel& pixel, const float t[2], const float delta[2],
                           float px, float py, int ch) {
  const int nx = FootprintSteps(delta[0]);
  const int ny = FootprintSteps(delta[1]);
  const float step_x = delta[0] / nx, step_y = delta[1] / ny;
  float sum = 0.0f;
  int count = 0;
  float y = t[1];
  for (int j = 0; j < ny; ++j, y += step_y) {
    float x = t[0];
    for (int i = 0; i < nx; ++i, x += step_x) {
      int ix = TruncPosition(x), iy = TruncPosition(y);
      if (ix < 0 || ix >= Zwidth) ix = TruncPosition(px);
      if (iy < 0 || iy >= Zheight) iy = TruncPosition(py);
      if (ix < 0 || ix >= Zwidth || iy < 0 || iy >= Zheight) continue;
      ++count;
      const float depth = PlaneDepth(pixel.plane, static_cast<float>(ix),
                                     static_cast<float>(iy), pixel.z);
      sum += SampleBackground(depth, pixel.background, 4 * (iy * Zwidth + ix), ch,
                              kGlassDepthThreshold);
    }
  }
  const int n = nx * ny;
  return Footprint{sum / (static_cast<float>(n) * static_cast<float>(_MaxChannel)),
                   static_cast<float>(count) / static_cast<float>(n)};
}

}  // namespace

void ApplyGlass(const GlassPixel& pixel, const GlassProp& glass, float diffuse[3],
                float& alpha) {
  // 1. Pixel position in the images.
  const float px = pixel.x + pixel.origin_x;
  const float py = pixel.y + pixel.origin_y;

  // 2. Tint: a diffuse colour of 0.5 leaves the background unchanged.
  for (int ch = 0; ch < 3; ++ch) diffuse[ch] -= 0.5f;

  // 3. Aberration: each channel is displaced k times as far as the one before.
  const float e = glass.aberration / 100.0f;
  const float k = e == 0.0f ? 1.0f : (1.0f - e) * (1.0f + e);
  const float r[3] = {glass.refraction, glass.refraction * k, glass.refraction * k * k};

  // 4. Bend of the normal.
  const __Point& n = pixel.normal;
  const float s = glass.optical * (1.0f - 2.0f * n.z) - 1.0f;
  const float dx = n.x * s, dy = n.y * s;

  // 5. Targets per channel.
  float target[3][2];
  for (int ch = 0; ch < 3; ++ch) {
    target[ch][0] = px + dx * r[ch];
    target[ch][1] = py + dy * r[ch];
  }

  // 6. Footprint decision: the previous pixel's target, bent with this pixel's s, differs
  // from this one's by more than 2 pixels on the red channel.
  const __PrevInfo* prev = pixel.prev;
  float delta[3][2] = {};
  bool footprint = false;
  if (prev && _DrawBackFaces != 1 && _Quality && prev->valid) {
    const float qx = prev->x + pixel.origin_x, qy = prev->y + pixel.origin_y;
    float mx = prev->nx, my = prev->ny;
    const float len = sqrtf(prev->nx * prev->nx + prev->ny * prev->ny + prev->nz * prev->nz);
    if (len != 0.0f) {
      mx /= len;
      my /= len;
    }
    mx *= s;
    my *= s;
    for (int ch = 0; ch < 3; ++ch) {
      delta[ch][0] = qx + mx * r[ch] - target[ch][0];
      delta[ch][1] = qy + my * r[ch] - target[ch][1];
    }
    footprint = fabsf(delta[0][0]) + fabsf(delta[0][1]) > 2.0f;
  }

  if (footprint) {
    // 7. Footprint mode: the average between the two targets, per channel.
    Footprint f[3];
    for (int ch = 0; ch < 3; ++ch)
      f[ch] = AverageFootprint(pixel, target[ch], delta[ch], px, py, ch);
    const float coverage = (f[0].coverage + f[1].coverage + f[2].coverage) / 3.0f;
    if (coverage < alpha) alpha = coverage;
    for (int ch = 0; ch < 3; ++ch) diffuse[ch] = Clamp01(diffuse[ch] + f[ch].colour);
    return;
  }

  // 8. Single mode: one filtered lookup per channel.
  for (int ch = 0; ch < 3; ++ch)
    diffuse[ch] = SampleRefracted(pixel.z, target[ch][0], target[ch][1], ch, diffuse[ch],
                                  pixel.plane, alpha, px, py, pixel.background);
}

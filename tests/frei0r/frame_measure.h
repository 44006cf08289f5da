// Measures a person would take of a frame from the frei0r filter, over a plain background
// colour: how many pixels the scene changed, how many of them are the ball's red (or
// another colour's), and whether the frame's edges are still the background.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

namespace frei0r_test {

// 8-bit pixels, `channels` bytes each (3: RGB, 4: RGBA), rows packed.
struct Frame {
  int width = 0, height = 0, channels = 4;
  std::vector<uint8_t> bytes;
  const uint8_t* pixel(int x, int y) const {
    return &bytes[(static_cast<size_t>(y) * width + x) * channels];
  }
};

struct Rgb {
  int r, g, b;
};

// A pixel differs from the background by more than encoding noise (ffmpeg and MLT may
// convert through YUV, which moves a flat colour by a few levels).
inline bool Differs(const uint8_t* p, Rgb bg, int tolerance) {
  return std::abs(p[0] - bg.r) > tolerance || std::abs(p[1] - bg.g) > tolerance ||
         std::abs(p[2] - bg.b) > tolerance;
}

inline int CountChanged(const Frame& f, Rgb bg, int tolerance) {
  int n = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) n += Differs(f.pixel(x, y), bg, tolerance);
  return n;
}

// Pixels where channel `c` (0 red, 1 green, 2 blue) clearly leads both others.
inline int CountDominant(const Frame& f, int c) {
  int n = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const uint8_t* p = f.pixel(x, y);
      n += p[c] > 96 && p[c] > p[(c + 1) % 3] + 60 && p[c] > p[(c + 2) % 3] + 60;
    }
  return n;
}

// The pendant's yellow: red and green strong, blue weak.
inline int CountYellow(const Frame& f) {
  int n = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const uint8_t* p = f.pixel(x, y);
      n += p[0] > 100 && p[1] > 100 && p[2] < p[1] / 2;
    }
  return n;
}

// Pixels of the outer frame (a border `margin` wide) that differ from the background,
// leaving out the middle of the top edge, which the pendant reaches in 4:3 frames.
inline int ChangedAtEdges(const Frame& f, Rgb bg, int tolerance, int margin) {
  int n = 0;
  for (int y = 0; y < f.height; ++y)
    for (int x = 0; x < f.width; ++x) {
      const bool pendant = y < margin && std::abs(2 * x - f.width) < f.width / 4;
      const bool edge = x < margin || y < margin || x >= f.width - margin || y >= f.height - margin;
      if (edge && !pendant) n += Differs(f.pixel(x, y), bg, tolerance);
    }
  return n;
}

// The default ball's disc: radius a quarter of the frame's width (50 percent of half).
inline double BallArea(int width) { return M_PI * (width / 4.0) * (width / 4.0); }

}  // namespace frei0r_test

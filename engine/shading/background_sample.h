// The background readers of the glass stage: one channel of the background at one pixel
// (with the two-pass and multi-refraction rules), and a filtered sample at a fractional
// position with a fallback to the pixel's own column and row.
#pragma once

// Threshold every glass lookup passes to SampleBackground: a lookup whose depth is within
// this distance of the last one recorded at a pixel counts as the same surface.
constexpr float kGlassDepthThreshold = 30.0f;

// Depth of the plane A, B, C, D at column x, row y; the pixel's own z when the plane is
// nearly edge-on (|C| <= 0.01).
float PlaneDepth(const float plane[4], float x, float y, float z);

// Integer part of a position toward zero, or -1 when it is not a number or beyond the int
// range, so that a wild position counts as outside the image instead of being converted.
int TruncPosition(float v);

// Channel ch (0..2) of the pixel whose channel 0 is at index o, in channel units, as the
// glass sees it at depth z. Reads _OutImage, _BackCopy and _GlassDepth, and with
// multi-refraction on records what it saw in _BackCopy and _GlassDepth. Buffers that are
// absent (a call outside a render) are not read: the background alone is used.
float SampleBackground(float z, const unsigned char* background, int o, int ch,
                       float threshold);

// Channel ch of the background at (sx, sy) plus the tint t, clamped to 0..1: nearest pixel
// without quality, a four-tap filter with it. A column or row outside the image is replaced
// by the pixel's own (px, py); when even that is outside, alpha becomes 0 and so does the
// result.
float SampleRefracted(float z, float sx, float sy, int ch, float t, const float plane[4],
                      float& alpha, float px, float py, const unsigned char* background);

// Conversion of whole pixel buffers between 8-bit and 16-bit channels (full scale 255 and
// 32768), and of a texture slot to the engine's current channel width.
#include <limits.h>
#include <stdint.h>

#include "engine/engine_state.h"

namespace {

// 8 to 16 bits, rounded: 0 -> 0, 128 -> 16448, 255 -> 32768.
uint16_t Widen(unsigned char v) { return static_cast<uint16_t>((v * 32768 + 128) / 255); }

// 16 to 8 bits, rounded: 0 -> 0, 16384 -> 128, 32768 -> 255. Words above full scale
// (not produced by the engine) are held at 255 rather than wrapped.
unsigned char Narrow(uint16_t v) {
  int n = (v * 255 + 16384) >> 15;
  return static_cast<unsigned char>(n > 255 ? 255 : n);
}

// Replaces *buffer by a new engine block holding its height * row_channels channels in
// the other width. Returns false, leaving everything as it was, for a missing buffer,
// sizes that are not positive or too large, or a failed allocation.
template <typename From, typename To, To (*Convert)(From)>
bool ConvertBuffer(unsigned char** buffer, int height, int row_channels) {
  if (!buffer || !*buffer || height <= 0 || row_channels <= 0) return false;
  size_t count = static_cast<size_t>(height) * static_cast<size_t>(row_channels);
  if (count > SIZE_MAX / sizeof(To)) return false;
  To* out = static_cast<To*>(EngineAlloc(count * sizeof(To)));
  if (!out) return false;
  const From* in = reinterpret_cast<const From*>(*buffer);
  for (size_t i = 0; i < count; ++i) out[i] = Convert(in[i]);
  EngineFree(*buffer);
  *buffer = reinterpret_cast<unsigned char*>(out);
  return true;
}

bool To16(unsigned char** buffer, int height, int row_channels) {
  return ConvertBuffer<unsigned char, uint16_t, Widen>(buffer, height, row_channels);
}

bool To8(unsigned char** buffer, int height, int row_channels) {
  return ConvertBuffer<uint16_t, unsigned char, Narrow>(buffer, height, row_channels);
}

}  // namespace

QV_API void __ConvertBYTE8TO16(unsigned char** buffer, int /*width*/, int height,
                               int row_channels) {
  To16(buffer, height, row_channels);
}

QV_API void __ConvertBYTE16TO8(unsigned char** buffer, int /*width*/, int height,
                               int row_channels) {
  To8(buffer, height, row_channels);
}

QV_API void __ConvertText(__Texture* texture) {
  if (!texture || !texture->present) return;
  bool want_deep = _Deep != 0;
  if (want_deep == (texture->deep != 0)) return;
  int width = texture->width;
  if (width <= 0 || width > INT_MAX / 4) return;
  // The record is 4-byte packed and its pointer sits at offset 12: work on a local copy.
  unsigned char* pixels = texture->pixels;
  bool converted = want_deep ? To16(&pixels, texture->height, width * 4)
                             : To8(&pixels, texture->height, width * 4);
  if (!converted) return;  // the flag keeps describing the pixels that are still there
  texture->pixels = pixels;
  texture->deep = want_deep ? 1 : 0;
}

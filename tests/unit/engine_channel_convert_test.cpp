// Channel conversions between 8 and 16 bits (full scale 255 and 32768), of buffers and of
// texture slots.
#include <gtest/gtest.h>

#include <limits.h>
#include <stdint.h>
#include <string.h>

#include "engine_test_support.h"

namespace {

unsigned char* Bytes(const std::vector<int>& values) {
  unsigned char* b = static_cast<unsigned char*>(EngineAlloc(values.size()));
  for (size_t i = 0; i < values.size(); ++i) b[i] = static_cast<unsigned char>(values[i]);
  return b;
}

unsigned char* Words(const std::vector<int>& values) {
  uint16_t* w = static_cast<uint16_t*>(EngineAlloc(values.size() * 2));
  for (size_t i = 0; i < values.size(); ++i) w[i] = static_cast<uint16_t>(values[i]);
  return reinterpret_cast<unsigned char*>(w);
}

const uint16_t* AsWords(const unsigned char* b) { return reinterpret_cast<const uint16_t*>(b); }

}  // namespace

// 8 to 16 bits: (v * 32768 + 128) / 255, truncated. 16 to 8: (v * 255 + 16384) >> 15.
TEST(EngineChannelConvert, EightToSixteenTable) {
  unsigned char* buffer = Bytes({0, 1, 128, 255});
  __ConvertBYTE8TO16(&buffer, 1, 1, 4);
  const uint16_t* w = AsWords(buffer);
  EXPECT_EQ(w[0], 0);
  EXPECT_EQ(w[1], 129);
  EXPECT_EQ(w[2], 16448);
  EXPECT_EQ(w[3], 32768);
  EngineFree(buffer);
}

TEST(EngineChannelConvert, SixteenToEightTable) {
  unsigned char* buffer = Words({0, 128, 16384, 32768});
  __ConvertBYTE16TO8(&buffer, 1, 1, 4);
  EXPECT_EQ(buffer[0], 0);
  EXPECT_EQ(buffer[1], 1);
  EXPECT_EQ(buffer[2], 128);
  EXPECT_EQ(buffer[3], 255);
  EngineFree(buffer);
}

// Words above full scale are not produced by the engine; they saturate instead of wrapping.
TEST(EngineChannelConvert, SixteenToEightSaturatesAboveFullScale) {
  unsigned char* buffer = Words({32769, 40000, 65535, 32767});
  __ConvertBYTE16TO8(&buffer, 1, 1, 4);
  EXPECT_EQ(buffer[0], 255);
  EXPECT_EQ(buffer[1], 255);
  EXPECT_EQ(buffer[2], 255);
  EXPECT_EQ(buffer[3], 255);
  EngineFree(buffer);
}

// Every 8-bit value survives the trip to 16 bits and back, over a multi-row buffer.
TEST(EngineChannelConvert, RoundTripKeepsEveryByte) {
  std::vector<int> values(256);
  for (int i = 0; i < 256; ++i) values[i] = i;
  unsigned char* buffer = Bytes(values);
  __ConvertBYTE8TO16(&buffer, 16, 4, 64);  // 4 rows of 16 pixels
  __ConvertBYTE16TO8(&buffer, 16, 4, 64);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(buffer[i], i) << "value " << i;
  EngineFree(buffer);
}

// Nothing to convert: a missing buffer, a missing pointer to it, or sizes not positive.
TEST(EngineChannelConvert, BadArgumentsChangeNothing) {
  __ConvertBYTE8TO16(nullptr, 1, 1, 4);
  unsigned char* none = nullptr;
  __ConvertBYTE8TO16(&none, 1, 1, 4);
  EXPECT_EQ(none, nullptr);
  __ConvertBYTE16TO8(&none, 1, 1, 4);
  EXPECT_EQ(none, nullptr);
  unsigned char* buffer = Bytes({1, 2, 3, 4});
  unsigned char* before = buffer;
  __ConvertBYTE8TO16(&buffer, 1, 0, 4);
  __ConvertBYTE8TO16(&buffer, 1, 1, -4);
  __ConvertBYTE16TO8(&buffer, 1, -1, 4);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(buffer[3], 4);
  EngineFree(buffer);
}

#if !defined(QUORVEL_HEAP_PAGES)
// A buffer too large to allocate keeps the old one in place (the sanitizer build's heap
// pages abort on such sizes instead of failing, so it skips this).
TEST(EngineChannelConvert, AllocationFailureKeepsTheOldBuffer) {
  unsigned char* buffer = Bytes({1, 2, 3, 4});
  unsigned char* before = buffer;
  __ConvertBYTE8TO16(&buffer, 1, INT_MAX, INT_MAX);
  EXPECT_EQ(buffer, before);
  EXPECT_EQ(buffer[2], 3);
  EngineFree(buffer);
}
#endif

namespace {

// The pixel pointer of a packed texture record, read by value (it sits unaligned at 12).
unsigned char* PixelsOf(const __Texture& t) { return t.pixels; }

__Texture MakeTexture(unsigned char* pixels, int width, int height, bool deep) {
  __Texture t;
  memset(&t, 0, sizeof t);
  t.present = 1;
  t.width = width;
  t.height = height;
  t.pixels = pixels;
  t.deep = deep ? 1 : 0;
  return t;
}

}  // namespace

TEST(EngineChannelConvert, TextureAtCurrentDepthKeepsItsBuffer) {
  EngineGlobalsGuard guard;
  for (int deep = 0; deep < 2; ++deep) {
    _Deep = static_cast<unsigned char>(deep);
    const std::vector<int> values = {1, 2, 3, 4, 5, 6, 7, 8};
    unsigned char* pixels = deep ? Words(values) : Bytes(values);
    __Texture t = MakeTexture(pixels, 2, 1, deep != 0);
    __ConvertText(&t);
    EXPECT_EQ(PixelsOf(t), pixels);
    EXPECT_EQ(t.deep, deep);
    EXPECT_EQ(deep ? AsWords(t.pixels)[7] : t.pixels[7], 8);
    EngineFree(t.pixels);
  }
}

TEST(EngineChannelConvert, TextureFollowsTheEngineDepthBothWays) {
  EngineGlobalsGuard guard;
  __Texture t = MakeTexture(Bytes({0, 128, 255, 255, 1, 2, 3, 4}), 1, 2, false);
  _Deep = 1;
  __ConvertText(&t);
  EXPECT_EQ(t.deep, 1);
  const uint16_t* w = AsWords(t.pixels);
  EXPECT_EQ(w[1], 16448);
  EXPECT_EQ(w[2], 32768);
  EXPECT_EQ(w[7], (4 * 32768 + 128) / 255);
  _Deep = 0;
  __ConvertText(&t);
  EXPECT_EQ(t.deep, 0);
  EXPECT_EQ(t.pixels[1], 128);
  EXPECT_EQ(t.pixels[7], 4);
  EngineFree(t.pixels);
}

// An absent texture, a texture without pixels or without a size stays as it is: its flag
// keeps describing the pixels it holds.
TEST(EngineChannelConvert, TextureWithoutPixelsIsLeftAlone) {
  EngineGlobalsGuard guard;
  _Deep = 1;
  __ConvertText(nullptr);
  __Texture absent = MakeTexture(nullptr, 4, 4, false);
  absent.present = 0;
  __ConvertText(&absent);
  EXPECT_EQ(absent.deep, 0);
  __Texture empty = MakeTexture(nullptr, 4, 4, false);
  __ConvertText(&empty);
  EXPECT_EQ(empty.deep, 0);
  EXPECT_EQ(PixelsOf(empty), nullptr);
  unsigned char* pixels = Bytes({9, 9, 9, 9});
  __Texture flat = MakeTexture(pixels, 1, 0, false);
  __ConvertText(&flat);
  EXPECT_EQ(flat.deep, 0);
  EXPECT_EQ(PixelsOf(flat), pixels);
  EngineFree(pixels);
}

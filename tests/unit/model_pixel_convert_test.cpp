// Pixel conversions between host worlds (A R G B, own row size) and engine images (frame
// R G B A, texture B G R A, packed rows), at 8 and 16 bits. Host row padding is never
// touched.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "engine/engine.h"
#include "model/pixel_convert.h"

namespace {

constexpr int kW = 5, kH = 3, kPad = 7;  // row size = 5 * 4 + 7 channels
constexpr int kRow = kW * 4 + kPad;
constexpr uint16_t kPadMark = 0xA5;

class DepthScope {
 public:
  explicit DepthScope(unsigned char deep) : saved_(__GetDeep()) { __SetDeep(deep); }
  ~DepthScope() { __SetDeep(saved_); }

 private:
  unsigned char saved_;
};

// A host world whose channel (x, y, c) holds a distinct value and whose padding holds a
// marker.
template <typename T>
std::vector<T> MakeWorld() {
  std::vector<T> w(kRow * kH, static_cast<T>(kPadMark));
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      for (int c = 0; c < 4; ++c) w[y * kRow + x * 4 + c] = static_cast<T>(1 + y * 40 + x * 4 + c);
  return w;
}

template <typename T>
unsigned char* Bytes(std::vector<T>& v) {
  return reinterpret_cast<unsigned char*>(v.data());
}

template <typename T>
void RoundTrip(unsigned char deep) {
  DepthScope depth(deep);
  std::vector<T> world = MakeWorld<T>();
  unsigned char* frame = WorldToFrame(nullptr, Bytes(world), kW, kH, kRow);
  ASSERT_NE(frame, nullptr);
  const T* f = reinterpret_cast<const T*>(frame);
  // Host (A, R, G, B) becomes (R, G, B, A), rows packed.
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const T* h = &world[y * kRow + x * 4];
      const T* e = &f[(y * kW + x) * 4];
      EXPECT_EQ(e[0], h[1]);
      EXPECT_EQ(e[1], h[2]);
      EXPECT_EQ(e[2], h[3]);
      EXPECT_EQ(e[3], h[0]);
    }
  std::vector<T> back(kRow * kH, static_cast<T>(kPadMark));
  ASSERT_TRUE(FrameToWorld(Bytes(back), frame, kW, kH, kRow));
  EXPECT_EQ(back, world);  // every pixel, and the padding still holds its marker
  EngineFree(frame);
}

TEST(PixelConvert, RoundTripEightBit) { RoundTrip<uint8_t>(0); }
TEST(PixelConvert, RoundTripSixteenBit) { RoundTrip<uint16_t>(1); }

template <typename T>
void Texture(unsigned char deep) {
  DepthScope depth(deep);
  std::vector<T> world = MakeWorld<T>();
  unsigned char* tex = WorldToTexture(nullptr, Bytes(world), kW, kH, kRow);
  ASSERT_NE(tex, nullptr);
  const T* t = reinterpret_cast<const T*>(tex);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const T* h = &world[y * kRow + x * 4];
      const T* e = &t[(y * kW + x) * 4];
      EXPECT_EQ(e[0], h[3]);  // blue
      EXPECT_EQ(e[1], h[2]);  // green
      EXPECT_EQ(e[2], h[1]);  // red
      EXPECT_EQ(e[3], h[0]);  // alpha
    }
  EngineFree(tex);
}

TEST(PixelConvert, TextureOrderEightBit) { Texture<uint8_t>(0); }
TEST(PixelConvert, TextureOrderSixteenBit) { Texture<uint16_t>(1); }

TEST(PixelConvert, IntoGivenTarget) {
  DepthScope depth(0);
  std::vector<uint8_t> world = MakeWorld<uint8_t>();
  std::vector<uint8_t> frame(kW * kH * 4 + 4, 0xEE);
  EXPECT_EQ(WorldToFrame(frame.data(), world.data(), kW, kH, kRow), frame.data());
  EXPECT_EQ(frame[0], world[1]);
  EXPECT_EQ(frame[kW * kH * 4], 0xEE);  // nothing past the packed image
}

template <typename T>
void Copy(unsigned char deep) {
  std::vector<T> src = MakeWorld<T>();
  const int dst_row = kW * 4 + 3;
  std::vector<T> dst(dst_row * kH, static_cast<T>(0x5A));
  ASSERT_TRUE(CopyWorld(Bytes(dst), Bytes(src), kW, kH, dst_row, kRow, deep));
  for (int y = 0; y < kH; ++y) {
    for (int c = 0; c < kW * 4; ++c) EXPECT_EQ(dst[y * dst_row + c], src[y * kRow + c]);
    for (int c = kW * 4; c < dst_row; ++c) EXPECT_EQ(dst[y * dst_row + c], 0x5A);
  }
}

TEST(PixelConvert, CopyWorldEightBit) { Copy<uint8_t>(0); }
TEST(PixelConvert, CopyWorldSixteenBit) { Copy<uint16_t>(1); }

// The smallest sizes are images like any other: one pixel, one column, one row.
TEST(PixelConvert, OnePixelColumnAndRowConvert) {
  DepthScope depth(0);
  const int sizes[3][2] = {{1, 1}, {1, 3}, {3, 1}};
  for (const auto& s : sizes) {
    const int w = s[0], h = s[1];
    std::vector<uint8_t> world(static_cast<size_t>(w) * h * 4);
    for (size_t i = 0; i < world.size(); ++i) world[i] = static_cast<uint8_t>(10 + i);
    unsigned char* frame = WorldToFrame(nullptr, world.data(), w, h, w * 4);
    ASSERT_NE(frame, nullptr) << w << "x" << h;
    EXPECT_EQ(frame[0], 11) << "red from the host's second channel";
    EXPECT_EQ(frame[3], 10) << "alpha from its first";
    std::vector<uint8_t> back(world.size(), 0);
    EXPECT_TRUE(FrameToWorld(back.data(), frame, w, h, w * 4)) << w << "x" << h;
    EXPECT_EQ(back, world);
    std::vector<uint8_t> copy(world.size(), 0);
    EXPECT_TRUE(CopyWorld(copy.data(), world.data(), w, h, w * 4, w * 4, 0)) << w << "x" << h;
    EXPECT_EQ(copy, world);
    EngineFree(frame);
  }
}

// Bad sizes or buffers do nothing and report failure.
TEST(PixelConvert, BadInputFails) {
  DepthScope depth(0);
  std::vector<uint8_t> world = MakeWorld<uint8_t>();
  std::vector<uint8_t> out(kRow * kH, 0x11);
  EXPECT_EQ(WorldToFrame(nullptr, nullptr, kW, kH, kRow), nullptr);
  EXPECT_EQ(WorldToFrame(nullptr, world.data(), 0, kH, kRow), nullptr);
  EXPECT_EQ(WorldToFrame(nullptr, world.data(), kW, -1, kRow), nullptr);
  EXPECT_EQ(WorldToFrame(nullptr, world.data(), kW, kH, kW * 4 - 1), nullptr);
  EXPECT_EQ(WorldToTexture(out.data(), world.data(), kW, kH, kW * 4 - 1), nullptr);
  EXPECT_EQ(WorldToFrame(nullptr, world.data(), 1 << 20, 1 << 20, 1 << 22), nullptr);
  EXPECT_FALSE(FrameToWorld(out.data(), nullptr, kW, kH, kRow));
  EXPECT_FALSE(FrameToWorld(nullptr, world.data(), kW, kH, kRow));
  EXPECT_FALSE(FrameToWorld(out.data(), world.data(), kW, kH, 3));
  EXPECT_FALSE(CopyWorld(out.data(), world.data(), kW, kH, kRow, kW * 4 - 1, 0));
  EXPECT_FALSE(CopyWorld(out.data(), world.data(), kW, 0, kRow, kRow, 0));
  for (uint8_t b : out) ASSERT_EQ(b, 0x11);
}

}  // namespace

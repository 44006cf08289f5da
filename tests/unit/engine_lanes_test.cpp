// The lanes the engine's kernels are written over: the width-1 lanes (the scalar path) give,
// operation by operation, the very bits each lane of SSE2's gives, for the values where
// scalar code and vector instructions are apt to part ways (zeros of either sign, not a
// number, infinities, subnormals, ties).
#include "engine/shading/simd_lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

using simd_lanes::Doubles1;
using simd_lanes::Doubles2;
using simd_lanes::Lanes1;
using simd_lanes::Lanes4;

template <class T>
struct Tag {
  using type = T;
};

// The value's bits; any not-a-number alike (which of two a commutative operation hands on
// is the compiler's choice of operand order, and no kernel tells them apart).
template <class T>
uint64_t Bits(T v) {
  if (v != v) return 1;
  uint64_t b = 0;
  std::memcpy(&b, &v, sizeof v);
  return b;
}

const float kFloats[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 3e38f, -3e38f, 1e-45f,
                         INFINITY, -INFINITY, NAN, -NAN};
const double kDoubles[] = {0.0, -0.0, 1.0, -1.5, 0.5, 1e300, 2147483647.5,
                           -2147483648.5, 2147483648.0, 4e-324, INFINITY, -INFINITY, NAN};

// f(Tag<lanes>, a, b) for every pair of values: lane 0 of the wide result against the
// one-wide result.
template <class Wide, class One, class T, size_t N, class F>
void ExpectSame(const char* name, const T (&values)[N], F f) {
  for (T a : values)
    for (T b : values) {
      T wide[Wide::kWidth];
      Wide::Store(wide, f(Tag<Wide>{}, Wide::Set(a), Wide::Set(b)));
      EXPECT_EQ(Bits(f(Tag<One>{}, a, b)), Bits(wide[0])) << name << "(" << a << ", " << b << ")";
    }
}

#define LANE_OP(expr) \
  [](auto tag, auto a, auto b) { \
    using L = typename decltype(tag)::type; \
    (void)a, (void)b; \
    return expr; \
  }
#define FLOATS(expr) \
  {#expr, [](const char* n) { ExpectSame<Lanes4, Lanes1>(n, kFloats, LANE_OP(expr)); }}
#define DOUBLES(expr) \
  {#expr, [](const char* n) { ExpectSame<Doubles2, Doubles1>(n, kDoubles, LANE_OP(expr)); }}

TEST(Lanes, OneLaneIsEachLaneOfTheWiderOnes) {
  const struct {
    const char* name;
    void (*check)(const char*);
  } ops[] = {
      FLOATS(L::Add(a, b)), FLOATS(L::Sub(a, b)), FLOATS(L::Mul(a, b)), FLOATS(L::Div(a, b)),
      FLOATS(L::Sqrt(a)), FLOATS(L::Min(a, b)), FLOATS(L::Max(a, b)), FLOATS(L::Abs(a)),
      FLOATS(L::Neg(a)),
      FLOATS(L::Select(L::Equal(a, b), a, b)), FLOATS(L::Select(L::NotEqual(a, b), a, b)),
      FLOATS(L::Select(L::Less(a, b), a, b)), FLOATS(L::Select(L::LessEqual(a, b), a, b)),
      FLOATS(L::ZeroWhere(L::GreaterEqual(a, b), a)), FLOATS(L::KeepWhere(L::Greater(a, b), a)),
      FLOATS(L::NegateWhere(L::Unordered(a, b), b)),
      FLOATS(L::KeepWhere(L::Both(L::Less(a, b), L::Less(b, a)), a)),
      FLOATS(L::KeepWhere(L::Either(L::Less(a, b), L::Less(b, a)), a)),
      DOUBLES(L::Add(a, b)), DOUBLES(L::Div(a, b)), DOUBLES(L::Neg(a)), DOUBLES(L::Min(a, b)),
      DOUBLES(L::Max(a, b)), DOUBLES(L::Select(L::Unordered(a, b), a, b)),
  };
  for (const auto& op : ops) op.check(op.name);
}

TEST(Lanes, MasksCountingAndTruncationAgree) {
  for (float a : kFloats)
    for (float b : kFloats)
      EXPECT_EQ(Lanes1::Mask(Lanes1::Less(a, b)),
                Lanes4::Mask(Lanes4::Less(Lanes4::Set(a), Lanes4::Set(b))) & 1)
          << a << " < " << b;
  for (int lanes = 0; lanes < 16; ++lanes) {
    EXPECT_EQ(Lanes4::Mask(Lanes4::MaskOf(lanes)), lanes);
    EXPECT_EQ(Lanes1::Mask(Lanes1::MaskOf(lanes)), lanes & 1);
  }
  for (int first : {-7, 0, (1 << 24) - 4}) {
    float four[4];
    double two[2];
    Lanes4::Store(four, Lanes4::Counting(first));
    Doubles2::Store(two, Doubles2::Counting(first));
    for (int j = 0; j < 4; ++j) EXPECT_EQ(four[j], Lanes1::Counting(first + j)) << first;
    for (int j = 0; j < 2; ++j) EXPECT_EQ(two[j], Doubles1::Counting(first + j)) << first;
  }
  // Out of an int's range and not a number: INT32_MIN, as the SSE2 conversion gives.
  for (double d : kDoubles) {
    int one, two[2];
    Doubles1::StoreTruncated(&one, d);
    Doubles2::StoreTruncated(two, Doubles2::Set(d));
    EXPECT_EQ(one, two[0]) << d;
  }
}

// Channels and pixels through four lanes and through one lane four times: the same bytes,
// for values at each end of the channel's range, at the signed pack's middle, and between.
template <typename Channel>
void ExpectSameChannels(std::vector<float> in) {
  for (size_t at = 0; at + 4 <= in.size(); ++at) {
    Channel four[20] = {}, one[20] = {};
    float back4[4];
    const Lanes4::V v = Lanes4::Load(&in[at]);
    Lanes4::StorePixels(four, v, Lanes4::Max(v, Lanes4::Set(1.0f)), Lanes4::Zero(), 7);
    Lanes4::StoreChannels(four + 16, v);
    Lanes4::Store(back4, Lanes4::LoadChannels(four + 16));
    for (int j = 0; j < 4; ++j) {
      Lanes1::StorePixels(one + 4 * j, in[at + j], Lanes1::Max(in[at + j], 1.0f), 0.0f, 7);
      Lanes1::StoreChannels(one + 16 + j, in[at + j]);
      EXPECT_EQ(back4[j], Lanes1::LoadChannels(one + 16 + j));
      EXPECT_EQ(back4[j], static_cast<float>(static_cast<int>(in[at + j])));
    }
    EXPECT_EQ(std::memcmp(four, one, sizeof four), 0) << sizeof(Channel) << " at " << at;
  }
}

TEST(Lanes, ChannelsPixelsAndBitsAgree) {
  ExpectSameChannels<uint8_t>({0.0f, 0.5f, 1.0f, 127.9f, 128.0f, 254.99f, 255.0f, 3.0f});
  ExpectSameChannels<uint16_t>({0.0f, 1.5f, 255.0f, 32767.9f, 32768.0f, 32768.5f, 65534.99f,
                                65535.0f, 256.0f});
  const uint32_t bits[] = {0u, 0xFF000000u, 0xFFFF0000u, 0x7F800001u, 0xFFFFFFFFu, 0x00FF00FFu};
  for (uint32_t a : bits)
    for (uint32_t b : bits) {
      uint32_t four[4] = {b, b, b, b};
      const Lanes4::B a4 = Lanes4::SetBits(a), b4 = Lanes4::LoadBits(four);
      const bool odd = a & 1;  // keep b's bits where a is odd, none elsewhere
      const Lanes4::B keep4 = Lanes4::AndBits(b4, Lanes4::BitsOf(Lanes4::MaskOf(odd ? 0xF : 0)));
      Lanes4::StoreBits(four, Lanes4::MergeBits(keep4, b4, a4));
      const uint32_t keep1 = Lanes1::AndBits(b, Lanes1::BitsOf(Lanes1::MaskOf(odd)));
      EXPECT_EQ(four[0], Lanes1::MergeBits(keep1, b, a)) << a << " " << b;
      EXPECT_EQ(Lanes4::Mask(Lanes4::EqualBits(a4, b4)), Lanes1::EqualBits(a, b) ? 0xF : 0);
    }
}

}  // namespace

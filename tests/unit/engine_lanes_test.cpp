// The lanes the engine's kernels are written over: the width-1 lanes (the scalar path) give,
// operation by operation, the very bits each lane of SSE2's gives, for the values where
// scalar code and vector instructions are apt to part ways (zeros of either sign, not a
// number, infinities, subnormals, ties).
#include "engine/shading/simd_lanes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>

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
      FLOATS(L::Sqrt(a)), FLOATS(L::Min(a, b)), FLOATS(L::Abs(a)), FLOATS(L::Neg(a)),
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

}  // namespace

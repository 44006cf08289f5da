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

template <class T>
uint64_t Bits(T v) {
  uint64_t b = 0;
  std::memcpy(&b, &v, sizeof v);
  return b;
}

const float kFloats[] = {0.0f, -0.0f, 1.0f, -1.0f, 0.5f, 3e38f, -3e38f, 1e-45f, INFINITY,
                         -INFINITY, NAN, -NAN};
const double kDoubles[] = {0.0, -0.0, 1.0, -1.5, 0.5, 1e300, 2147483647.5, -2147483648.5,
                           2147483648.0, 4e-324, INFINITY, -INFINITY, NAN};

// f(Tag<L>, a, b) for every pair of values, lane 0 of the four-wide result against the
// one-wide one.
template <class F>
void ExpectSameFloats(const char* name, F f) {
  for (float a : kFloats)
    for (float b : kFloats) {
      float four[4];
      Lanes4::Store(four, f(Tag<Lanes4>{}, Lanes4::Set(a), Lanes4::Set(b)));
      const float one = f(Tag<Lanes1>{}, a, b);
      EXPECT_EQ(Bits(one), Bits(four[0])) << name << "(" << a << ", " << b << ")";
    }
}
template <class F>
void ExpectSameDoubles(const char* name, F f) {
  for (double a : kDoubles)
    for (double b : kDoubles) {
      double two[2];
      Doubles2::Store(two, f(Tag<Doubles2>{}, Doubles2::Set(a), Doubles2::Set(b)));
      const double one = f(Tag<Doubles1>{}, a, b);
      EXPECT_EQ(Bits(one), Bits(two[0])) << name << "(" << a << ", " << b << ")";
    }
}

#define LANE_OP(expr) [](auto tag, auto a, auto b) { \
    using L = typename decltype(tag)::type;          \
    (void)a, (void)b;                                \
    return expr;                                     \
  }

TEST(Lanes, OneLaneIsEachLaneOfFour) {
  const struct {
    const char* name;
    void (*check)(const char*);
  } ops[] = {
      {"Add", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Add(a, b))); }},
      {"Sub", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Sub(a, b))); }},
      {"Mul", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Mul(a, b))); }},
      {"Div", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Div(a, b))); }},
      {"Sqrt", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Sqrt(a))); }},
      {"Min", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Min(a, b))); }},
      {"Abs", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Abs(a))); }},
      {"Neg", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Neg(a))); }},
      {"Equal", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Select(L::Equal(a, b), a, b))); }},
      {"NotEqual",
       [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Select(L::NotEqual(a, b), a, b))); }},
      {"Less", [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Select(L::Less(a, b), a, b))); }},
      {"LessEqual",
       [](const char* n) { ExpectSameFloats(n, LANE_OP(L::Select(L::LessEqual(a, b), a, b))); }},
      {"GreaterEqual",
       [](const char* n) { ExpectSameFloats(n, LANE_OP(L::ZeroWhere(L::GreaterEqual(a, b), a))); }},
      {"Greater",
       [](const char* n) { ExpectSameFloats(n, LANE_OP(L::KeepWhere(L::Greater(a, b), a))); }},
      {"Unordered",
       [](const char* n) { ExpectSameFloats(n, LANE_OP(L::NegateWhere(L::Unordered(a, b), b))); }},
      {"Both", [](const char* n) {
         ExpectSameFloats(n, LANE_OP(L::KeepWhere(L::Both(L::Less(a, b), L::Less(b, a)), a)));
       }},
      {"Either", [](const char* n) {
         ExpectSameFloats(n, LANE_OP(L::KeepWhere(L::Either(L::Less(a, b), L::Less(b, a)), a)));
       }},
      {"Doubles Add", [](const char* n) { ExpectSameDoubles(n, LANE_OP(L::Add(a, b))); }},
      {"Doubles Div", [](const char* n) { ExpectSameDoubles(n, LANE_OP(L::Div(a, b))); }},
      {"Doubles Neg", [](const char* n) { ExpectSameDoubles(n, LANE_OP(L::Neg(a))); }},
      {"Doubles Min", [](const char* n) { ExpectSameDoubles(n, LANE_OP(L::Min(a, b))); }},
      {"Doubles Max", [](const char* n) { ExpectSameDoubles(n, LANE_OP(L::Max(a, b))); }},
      {"Doubles Unordered", [](const char* n) {
         ExpectSameDoubles(n, LANE_OP(L::Select(L::Unordered(a, b), a, b)));
       }},
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
  // Out of an int's range and not a number: INT32_MIN, as the SSE2 conversion.
  for (double d : kDoubles) {
    int one, two[2];
    Doubles1::StoreTruncated(&one, d);
    Doubles2::StoreTruncated(two, Doubles2::Set(d));
    EXPECT_EQ(one, two[0]) << d;
  }
}

}  // namespace

// The module's own transcendental functions: the C library's special values exactly, and
// within a float's rounding of the library everywhere else.
#include "platform/exact_math.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>

namespace {

using namespace exact_math;

// Distance in floats between a and b (0 when equal, both not a number, or +0 and -0 differ: 1).
int FloatSteps(float a, float b) {
  if (std::isnan(a) && std::isnan(b)) return 0;
  int32_t x, y;
  std::memcpy(&x, &a, 4);
  std::memcpy(&y, &b, 4);
  if (x < 0) x = INT32_MIN - x;
  if (y < 0) y = INT32_MIN - y;
  return std::abs(x - y);
}

TEST(ExactMath, PowfSpecialValuesAreTheLibrarys) {
  const float inf = INFINITY, nan = NAN;
  const float cases[][2] = {
      {0, 1},      {0, -1},   {0, 0},     {-0.f, 3},   {-0.f, -3},     {-0.f, 2},  {inf, 2},
      {inf, -2},   {-inf, 3}, {-inf, -3}, {-inf, 2},   {nan, 0},       {1, nan},   {nan, 2},
      {2, nan},    {-2, 3},   {-2, 0.5f}, {-2, 2},     {-2, -3},       {0.5, inf}, {2, inf},
      {0.5, -inf}, {-1, inf}, {-1, -inf}, {1e-40f, 2}, {1e-40f, 0.5f}, {3, 200},   {0.9f, 1e6f},
      {2, -149},   {2, -150}, {2, -151},  {2, 127},    {2, 128},       {1, 1e30f}, {-8, 1.0f / 3},
  };
  for (const auto& c : cases) {
    const float got = ExactPowf(c[0], c[1]), want = powf(c[0], c[1]);
    EXPECT_EQ(FloatSteps(got, want), 0) << "pow(" << c[0] << ", " << c[1] << ") = " << got;
    EXPECT_EQ(std::signbit(got), std::signbit(want)) << "pow(" << c[0] << ", " << c[1] << ")";
  }
}

// Over the shader's range (d in (0, 2], exponents up to a few hundred) and beyond: each
// result is the double power rounded once, but for an exact tie within 2^-40.
TEST(ExactMath, PowfIsTheRoundedDoublePower) {
  std::mt19937 g(7);
  std::uniform_real_distribution<float> base(0.0f, 2.0f), expo(-40.0f, 400.0f);
  int off = 0;
  for (int i = 0; i < 200000; ++i) {
    const float x = base(g), y = expo(g);
    const float want = static_cast<float>(std::pow(double(x), double(y)));
    const int steps = FloatSteps(ExactPowf(x, y), want);
    ASSERT_LE(steps, 1) << "pow(" << x << ", " << y << ")";
    off += steps;
  }
  EXPECT_LE(off, 2);
}

TEST(ExactMath, SinCosAcosHypotExp2AgreeWithTheLibrary) {
  std::mt19937 g(3);
  std::uniform_real_distribution<double> angle(-1000.0, 1000.0), unit(-1.0, 1.0), t(-1070, 1020);
  for (int i = 0; i < 100000; ++i) {
    const double a = angle(g), u = unit(g), e = t(g);
    ASSERT_NEAR(ExactSin(a), std::sin(a), 3e-16) << a;
    ASSERT_NEAR(ExactCos(a), std::cos(a), 3e-16) << a;
    ASSERT_NEAR(ExactAcos(u), std::acos(u), 1e-15 * std::acos(u)) << u;
    ASSERT_NEAR(ExactExp2(e), std::exp2(e), 1e-15 * std::exp2(e) + 1e-320) << e;
    ASSERT_NEAR(ExactHypot(a, u), std::hypot(a, u), 4e-16 * std::hypot(a, u)) << a << " " << u;
  }
  const struct {
    double got, want;
  } exact[] = {
      {ExactSin(0.0), 0.0},
      {ExactCos(0.0), 1.0},
      {ExactAcos(1.0), 0.0},
      {ExactAcos(0.0), kPi / 2},
      {ExactAcos(-1.0), kPi},
      {ExactExp2(10.0), 1024.0},
      {ExactExp2(-1074.0), 0x1p-1074},
      {ExactExp2(2000.0), INFINITY},
      {ExactHypot(3, 4), 5.0},
      {ExactHypot(3e300, 4e300), 5e300},
      {ExactHypot(3e-310, 4e-310), 5e-310},
      {ExactHypot(INFINITY, NAN), INFINITY},
      {ExactCosf(0.0f), 1.0},
  };
  for (const auto& c : exact) EXPECT_EQ(c.got, c.want);
  EXPECT_TRUE(std::isnan(ExactAcos(1.5)));
  EXPECT_TRUE(std::isnan(ExactSin(INFINITY)));
  EXPECT_TRUE(std::isnan(ExactExp2(NAN)));
}

}  // namespace

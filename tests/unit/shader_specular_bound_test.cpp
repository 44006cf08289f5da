// The specular underflow bound the default shader skips powf below: every d under it must
// give exactly 0 from powf (else skipping would change pixels), and it must not be so low
// that it skips nothing.
#include <gtest/gtest.h>
#include <math.h>

#include "engine/shading/shading_stages.h"
#include "platform/exact_math.h"

namespace {

TEST(SpecularUnderflowBound, EveryValueBelowItUnderflowsToZero) {
  for (float e : {1.5f, 2.0f, 10.0f, 150.0f, 1500.0f, 1e4f, 1e6f, 1e30f}) {
    const float b = SpecularUnderflowBound(e);
    ASSERT_GT(b, 0.0f) << e;
    ASSERT_LE(b, 1.0f) << e;
    for (float d : {nextafterf(b, 0.0f), b * 0.999f, b * 0.5f, b * 1e-3f, 0.0f})
      EXPECT_EQ(powf(d, e), 0.0f) << "exponent " << e << " d " << d;
    // Four binary orders of magnitude above the bound the term is no longer 0.
    const float above = static_cast<float>(b * exp2(4.0 / e));
    if (above < 1.0f) {
      EXPECT_GT(powf(above, e), 0.0f) << e;
    }
  }
}

// The default exponent (shininess 1.5 x 100) skips every d below about 0.49.
TEST(SpecularUnderflowBound, DefaultExponentSkipsTheDarkerHalf) {
  EXPECT_NEAR(SpecularUnderflowBound(150.0f), 0.4955f, 1e-4f);
}

// No skipping where powf does not underflow: exponents that are 0, negative or not a
// number; an infinite exponent makes every d below 1 give 0.
TEST(SpecularUnderflowBound, ExponentsWithoutUnderflow) {
  EXPECT_EQ(SpecularUnderflowBound(0.0f), 0.0f);
  EXPECT_EQ(SpecularUnderflowBound(-3.0f), 0.0f);
  EXPECT_EQ(SpecularUnderflowBound(NAN), 0.0f);
  EXPECT_EQ(SpecularUnderflowBound(INFINITY), 1.0f);
  EXPECT_EQ(powf(nextafterf(1.0f, 0.0f), INFINITY), 0.0f);
  // The same exponent twice (the remembered bound) and a different one after it.
  EXPECT_EQ(SpecularUnderflowBound(150.0f), SpecularUnderflowBound(150.0f));
  EXPECT_NE(SpecularUnderflowBound(10.0f), SpecularUnderflowBound(150.0f));
}

// The per-pixel test skips only where the bound skips (so only terms that are 0), and skips
// nearly as much: everything below 0.93 of the bound.
TEST(SpecularUnderflows, SkipsOnlyZerosAndNearlyAllOfThem) {
  for (float e : {1.5f, 10.0f, 150.0f, 1500.0f, 1e4f, 1e30f, INFINITY}) {
    const float b = SpecularUnderflowBound(e);
    for (float d = b * 0.25f; d < b * 2.0f && d < 1.0f; d = nextafterf(d * 1.003f, 2.0f)) {
      if (SpecularUnderflows(d, e)) {
        EXPECT_LT(d, b) << "exponent " << e << " d " << d;
        EXPECT_EQ(exact_math::ExactPowf(d, e), 0.0f) << "exponent " << e << " d " << d;
      } else if (e <= 1e4f) {
        EXPECT_GE(d, 0.93f * b) << "exponent " << e << " d " << d;
      }
    }
  }
  const struct {
    float d, e;
    bool skips;
  } cases[] = {
      {0.0f, 150.0f, true},   {1e-45f, 150.0f, true},    {0.3f, 150.0f, true},
      {0.5f, 150.0f, false},  {1.0f, 150.0f, false},     {NAN, 150.0f, false},
      {INFINITY, 150.0f, false}, {0.0f, 0.0f, false},    {0.1f, -3.0f, false},
      {0.1f, NAN, false},     {0.5f, INFINITY, true},   {1.0f, INFINITY, false},
  };
  for (const auto& c : cases) EXPECT_EQ(SpecularUnderflows(c.d, c.e), c.skips) << c.d << " " << c.e;
}

}  // namespace

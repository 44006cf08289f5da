// The module's own sine, cosine, arc cosine, hypotenuse, power of two and power, built from
// IEEE double + - * / and square root alone, in a fixed order. The C runtimes' versions
// differ in the last bit from one library to the next (glibc, MinGW, msvcrt), and a vertex
// one ulp away can move a pixel to the neighbouring triangle; these give the same bits on
// every compiler and runtime the module is built with, as long as no multiply and add are
// fused (the module is built with -ffp-contract=off).
//
// The power is written once over lanes: Pow<L> takes a lane type of floats (L::V, the
// bit operations of its split) and its lane type of doubles (L::D); Lanes1 below is the
// scalar instantiation (and the engine's width-1 lanes), simd_lanes.h has the SSE2 and AVX
// ones. Every lane does the scalar
// path's operations in its order, so a pixel's power is the same at any width.
#pragma once

#include <math.h>
#include <stdint.h>
#include <string.h>

// Internal to each file that includes it: a file built for AVX never shares a copy of these
// functions with the others.
namespace exact_math {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kLn2 = 0.693147180559945309417;
constexpr double kInvLn2 = 1.44269504088896340736;
constexpr double kSqrt2 = 1.41421356237309504880;
// 1.5 x 2^52: adding and subtracting it rounds a double below 2^51 to the nearest integer.
constexpr double kRoundMagic = 6755399441055744.0;

// sin and cos of r in [-pi/4, pi/4]: Taylor series to the terms below 1e-18 relative.
inline double SinNear(double r) {
  const double z = r * r;
  double p = -1.0 / 121645100408832000.0;  // -1/19!
  p = p * z + 1.0 / 355687428096000.0;     // 1/17!
  p = p * z - 1.0 / 1307674368000.0;
  p = p * z + 1.0 / 6227020800.0;
  p = p * z - 1.0 / 39916800.0;
  p = p * z + 1.0 / 362880.0;
  p = p * z - 1.0 / 5040.0;
  p = p * z + 1.0 / 120.0;
  p = p * z - 1.0 / 6.0;
  return r + r * (z * p);
}

inline double CosNear(double r) {
  const double z = r * r;
  double p = 1.0 / 6402373705728000.0;  // 1/18!
  p = p * z - 1.0 / 20922789888000.0;   // -1/16!
  p = p * z + 1.0 / 87178291200.0;
  p = p * z - 1.0 / 479001600.0;
  p = p * z + 1.0 / 3628800.0;
  p = p * z - 1.0 / 40320.0;
  p = p * z + 1.0 / 720.0;
  p = p * z - 1.0 / 24.0;
  p = p * z + 1.0 / 2.0;
  return 1.0 - z * p;
}

// x = k pi/2 + r with |r| <= pi/4; pi/2 in three parts of 33 bits, so k times each part is
// exact for |k| < 2^20. Larger arguments keep their bits the same everywhere, only coarser.
inline double Reduce(double x, int64_t& k) {
  constexpr double kPio2Hi = 1.57079632673412561417e+00;
  constexpr double kPio2Mid = 6.07710050630396597660e-11;
  constexpr double kPio2Lo = 2.02226624871116645580e-21;
  const double n = floor(x * (2.0 / kPi) + 0.5);
  k = static_cast<int64_t>(fmod(n, 4.0));
  return ((x - n * kPio2Hi) - n * kPio2Mid) - n * kPio2Lo;
}

// sin(x + quarter * pi/2): quarter 0 is the sine, 1 the cosine.
inline double SineOfQuarter(double x, int quarter) {
  if (!(fabs(x) < 9.0e15)) return x - x;  // not a number, infinite, or beyond any turn
  int64_t k;
  const double r = Reduce(x, k);
  switch ((k + quarter + 4) & 3) {
    case 0: return SinNear(r);
    case 1: return CosNear(r);
    case 2: return -SinNear(r);
    default: return -CosNear(r);
  }
}

inline double ExactSin(double x) { return SineOfQuarter(x, 0); }
inline double ExactCos(double x) { return SineOfQuarter(x, 1); }

inline float ExactSinf(float x) { return static_cast<float>(ExactSin(x)); }
inline float ExactCosf(float x) { return static_cast<float>(ExactCos(x)); }

// The asin series' coefficients c_n = (2n)! / (4^n n!^2 (2n+1)), to the terms below 1e-17
// relative for |y| <= 0.5; computed once, by the compiler.
struct AsinTerms {
  static constexpr int kCount = 26;
  double c[kCount];
};
constexpr AsinTerms MakeAsinTerms() {
  AsinTerms t{};
  double central = 1.0;  // (2n)! / (4^n n!^2)
  for (int n = 0; n < AsinTerms::kCount; ++n) {
    t.c[n] = central / (2 * n + 1);
    central = central * (2 * n + 1) / (2 * n + 2);
  }
  return t;
}
constexpr AsinTerms kAsinTerms = MakeAsinTerms();

// asin of |y| <= 0.5: its Taylor series, sum of c_n y^(2n+1).
inline double AsinNear(double y) {
  const double z = y * y;
  double p = kAsinTerms.c[AsinTerms::kCount - 1];
  for (int n = AsinTerms::kCount - 2; n >= 0; --n) p = p * z + kAsinTerms.c[n];
  return y * p;
}

// acos on [-1, 1]; not a number outside.
inline double ExactAcos(double x) {
  if (!(fabs(x) <= 1.0)) return (x - x) / (x - x);
  if (x > 0.5) return 2.0 * AsinNear(sqrt((1.0 - x) * 0.5));
  if (x < -0.5) return kPi - 2.0 * AsinNear(sqrt((1.0 + x) * 0.5));
  return kPi / 2 - AsinNear(x);
}

// sqrt(x^2 + y^2), scaled so that neither square overflows nor vanishes.
inline double ExactHypot(double x, double y) {
  x = fabs(x);
  y = fabs(y);
  if (x != x || y != y) return (x == INFINITY || y == INFINITY) ? INFINITY : x + y;
  if (x == INFINITY || y == INFINITY) return INFINITY;
  const double big = x > y ? x : y;
  if (big > 0x1p500) {
    x *= 0x1p-600;
    y *= 0x1p-600;
    return sqrt(x * x + y * y) * 0x1p600;
  }
  if (big < 0x1p-500) {
    x *= 0x1p600;
    y *= 0x1p600;
    return sqrt(x * x + y * y) * 0x1p-600;
  }
  return sqrt(x * x + y * y);
}

// ---- Lanes: the scalar instantiation -------------------------------------------------

struct Doubles1 {
  using V = double;
  using M = bool;
  static constexpr int kWidth = 1;
  static V Load(const double* p) { return *p; }
  static void Store(double* p, V v) { *p = v; }
  static V Set(double d) { return d; }
  static V Zero() { return 0.0; }
  static V Counting(int64_t first) { return static_cast<double>(first); }
  static V Add(V a, V b) { return a + b; }
  static V Sub(V a, V b) { return a - b; }
  static V Neg(V a) { return -a; }
  static V Mul(V a, V b) { return a * b; }
  static V Div(V a, V b) { return a / b; }
  // As the SSE2 instructions: b where either is not a number or the two are equal.
  static V Min(V a, V b) { return a < b ? a : b; }
  static V Max(V a, V b) { return a > b ? a : b; }
  // Where m: a, elsewhere b.
  static V Select(bool m, V a, V b) { return m ? a : b; }
  static bool Greater(V a, V b) { return a > b; }
  static bool Unordered(V a, V b) { return a != a || b != b; }
  static bool Either(bool a, bool b) { return a || b; }
  // Truncated to an int; out of its range or not a number, INT32_MIN (as the SSE2
  // conversion gives).
  static void StoreTruncated(int* out, V v) {
    *out = v > -2147483649.0 && v < 2147483648.0 ? static_cast<int>(v) : INT32_MIN;
  }
  // 2^n for an integer n in [-1022, 1023] held in a double.
  static V PowerOfTwo(V n) {
    const uint64_t bits = static_cast<uint64_t>(static_cast<int64_t>(n) + 1023) << 52;
    double d;
    memcpy(&d, &bits, sizeof d);
    return d;
  }
};

// The width-1 lanes: a plain float, comparisons giving a bool. Each operation is the one
// the wider lanes do in every lane (their minimum too: a < b ? a : b).
struct Lanes1 {
  using V = float;
  using M = bool;
  using D = Doubles1;
  static constexpr int kWidth = 1;
  static constexpr int kDoubles = 1;  // double vectors per float vector
  static V Load(const float* p) { return *p; }
  static V LoadEach(const float* p) { return *p; }  // lanes stored one at a time
  static void Store(float* p, V v) { *p = v; }
  static V Set(float f) { return f; }
  static V Zero() { return 0.0f; }
  static V Counting(int first) { return static_cast<float>(first); }
  static V Add(V a, V b) { return a + b; }
  static V Sub(V a, V b) { return a - b; }
  static V Mul(V a, V b) { return a * b; }
  static V Div(V a, V b) { return a / b; }
  static V Sqrt(V a) { return sqrtf(a); }
  static V Min(V a, V b) { return a < b ? a : b; }
  static V Abs(V a) { return fabsf(a); }
  static V Neg(V a) { return -a; }
  static M Equal(V a, V b) { return a == b; }
  static M NotEqual(V a, V b) { return a != b; }
  static M Less(V a, V b) { return a < b; }
  static M LessEqual(V a, V b) { return a <= b; }
  static M Greater(V a, V b) { return a > b; }
  static M GreaterEqual(V a, V b) { return a >= b; }
  static M Unordered(V a, V b) { return a != a || b != b; }
  static M Both(M a, M b) { return a && b; }
  static M Either(M a, M b) { return a || b; }
  static int Mask(M m) { return m ? 1 : 0; }
  // Where m: a, elsewhere b.
  static V Select(M m, V a, V b) { return m ? a : b; }
  // +0 where m, v elsewhere; v where m, +0 elsewhere; -v where m, v elsewhere.
  static V ZeroWhere(M m, V v) { return m ? 0.0f : v; }
  static V KeepWhere(M m, V v) { return m ? v : 0.0f; }
  static V NegateWhere(M m, V v) { return m ? -v : v; }
  // x (positive, finite, normal) as m 2^e with m in [1, 2), e an integer: both exact.
  static void Split(V x, V& m, V& e) {
    uint32_t bits;
    memcpy(&bits, &x, sizeof bits);
    e = static_cast<float>(static_cast<int>(bits >> 23) - 127);
    bits = (bits & 0x007fffffu) | 0x3f800000u;
    memcpy(&m, &bits, sizeof m);
  }
  static void Widen(V x, D::V* out) { out[0] = x; }
  static V Narrow(const D::V* in) { return static_cast<float>(in[0]); }

  static V Max(V a, V b) { return a > b ? a : b; }
  static M MaskOf(int lanes) { return (lanes & 1) != 0; }
  // A channel of an image as a float; stored from a value within the channel's range,
  // truncated.
  static V LoadChannels(const uint8_t* p) { return static_cast<float>(*p); }
  static V LoadChannels(const uint16_t* p) { return static_cast<float>(*p); }
  static void StoreChannels(uint8_t* p, V v) { *p = static_cast<uint8_t>(static_cast<int>(v)); }
  static void StoreChannels(uint16_t* p, V v) { *p = static_cast<uint16_t>(static_cast<int>(v)); }
  // One pixel of four channels from red, green and blue within the channel's range
  // (truncated) and the given alpha.
  template <typename Channel>
  static void StorePixels(Channel* p, V r, V g, V b, int alpha) {
    StoreChannels(p, r);
    StoreChannels(p + 1, g);
    StoreChannels(p + 2, b);
    p[3] = static_cast<Channel>(alpha);
  }
  // 32 raw bits.
  using B = uint32_t;
  static B LoadBits(const void* p) {
    B b;
    memcpy(&b, p, sizeof b);
    return b;
  }
  static void StoreBits(void* p, B v) { memcpy(p, &v, sizeof v); }
  static B SetBits(uint32_t b) { return b; }
  static B BitsOf(M m) { return m ? ~0u : 0u; }
  static B AndBits(B a, B b) { return a & b; }
  static B MergeBits(B keep, B a, B b) { return (keep & a) | (~keep & b); }
  static M EqualBits(B a, B b) { return a == b; }
};

// a + b x, in lanes.
template <class D>
typename D::V Line(typename D::V x, double a, double b) {
  return D::Add(D::Set(a), D::Mul(x, D::Set(b)));
}

// log2 of m 2^e, m in [1, 2): m brought into [sqrt(1/2), sqrt(2)), then
// ln m = 2 atanh s with s = (m - 1) / (m + 1), |s| <= 0.172: 2 s times the sum of
// z^k / (2k + 1) for k = 0 .. 9, z = s^2 (the next term is below 1e-17), its terms paired
// (Estrin's scheme) so that the lanes do not wait on one long chain of products.
template <class D>
typename D::V Log2Of(typename D::V m, typename D::V e) {
  using V = typename D::V;
  const auto big = D::Greater(m, D::Set(kSqrt2));
  m = D::Select(big, D::Mul(m, D::Set(0.5)), m);
  e = D::Select(big, D::Add(e, D::Set(1.0)), e);
  const V s = D::Div(D::Sub(m, D::Set(1.0)), D::Add(m, D::Set(1.0)));
  const V z = D::Mul(s, s);
  const V z2 = D::Mul(z, z);
  const V z4 = D::Mul(z2, z2);
  const V z8 = D::Mul(z4, z4);
  const V low =
      D::Add(D::Add(Line<D>(z, 1.0, 1.0 / 3.0), D::Mul(z2, Line<D>(z, 1.0 / 5.0, 1.0 / 7.0))),
             D::Mul(z4, D::Add(Line<D>(z, 1.0 / 9.0, 1.0 / 11.0),
                               D::Mul(z2, Line<D>(z, 1.0 / 13.0, 1.0 / 15.0)))));
  const V p = D::Add(low, D::Mul(z8, Line<D>(z, 1.0 / 17.0, 1.0 / 19.0)));
  const V ln = D::Mul(D::Add(s, s), p);
  return D::Add(e, D::Mul(ln, D::Set(kInvLn2)));
}

// 2^t for any finite t: t held to [-1100, 1100] (far beyond a float's range either way),
// t = n + f with n an integer and |f| <= 1/2, 2^f = e^x, x = f ln 2, by the Taylor terms
// x^k / k! for k = 0 .. 13, paired as in Log2Of.
template <class D>
typename D::V Exp2Of(typename D::V t) {
  using V = typename D::V;
  t = D::Max(D::Min(t, D::Set(1100.0)), D::Set(-1100.0));
  const V n = D::Sub(D::Add(t, D::Set(kRoundMagic)), D::Set(kRoundMagic));
  const V x = D::Mul(D::Sub(t, n), D::Set(kLn2));
  const V x2 = D::Mul(x, x);
  const V x4 = D::Mul(x2, x2);
  const V x8 = D::Mul(x4, x4);
  const V low = D::Add(D::Add(Line<D>(x, 1.0, 1.0), D::Mul(x2, Line<D>(x, 1.0 / 2, 1.0 / 6))),
                       D::Mul(x4, D::Add(Line<D>(x, 1.0 / 24, 1.0 / 120),
                                         D::Mul(x2, Line<D>(x, 1.0 / 720, 1.0 / 5040)))));
  const V high = D::Add(D::Add(Line<D>(x, 1.0 / 40320, 1.0 / 362880),
                               D::Mul(x2, Line<D>(x, 1.0 / 3628800, 1.0 / 39916800))),
                        D::Mul(x4, Line<D>(x, 1.0 / 479001600, 1.0 / 6227020800)));
  const V p = D::Add(low, D::Mul(x8, high));
  // n within [-1100, 1100]: 2^n in two halves, each a normal double.
  const V half = D::Sub(D::Add(D::Mul(n, D::Set(0.5)), D::Set(kRoundMagic)), D::Set(kRoundMagic));
  return D::Mul(D::Mul(p, D::PowerOfTwo(half)), D::PowerOfTwo(D::Sub(n, half)));
}

// x^y for lanes of x positive and finite and a finite y not 0: y log2 x in doubles, its
// power of two rounded once to float. Lanes outside that domain hold no meaningful value
// (and raise no trap); ExactPowf gives the special cases.
template <class L>
typename L::V PowLanes(typename L::V x, float y) {
  using D = typename L::D;
  const auto sub = L::Less(x, L::Set(0x1p-126f));
  x = L::Select(sub, L::Mul(x, L::Set(0x1p24f)), x);
  typename L::V mf, ef;
  L::Split(x, mf, ef);  // exact, so done at float width
  ef = L::Select(sub, L::Sub(ef, L::Set(24.0f)), ef);
  typename D::V m[L::kDoubles], e[L::kDoubles], r[L::kDoubles];
  L::Widen(mf, m);
  L::Widen(ef, e);
  for (int i = 0; i < L::kDoubles; ++i)
    r[i] = Exp2Of<D>(D::Mul(Log2Of<D>(m[i], e[i]), D::Set(static_cast<double>(y))));
  return L::Narrow(r);
}

// True where PowLanes does not apply.
inline bool PowIsSpecial(float x, float y) {
  return !(x > 0.0f && x < INFINITY) || !(fabsf(y) < INFINITY) || y == 0.0f;
}

// powf: the C library's results for zeros, infinities, not a number and negative x.
inline float ExactPowf(float x, float y) {
  if (!PowIsSpecial(x, y)) return PowLanes<Lanes1>(x, y);
  if (y == 0.0f || x == 1.0f) return 1.0f;
  if (x != x || y != y) return x + y;
  const float ax = fabsf(x);
  if (y == INFINITY || y == -INFINITY) {
    if (ax == 1.0f) return 1.0f;
    return (ax > 1.0f) == (y > 0.0f) ? INFINITY : 0.0f;
  }
  // y finite and not 0 from here; x zero, infinite or negative.
  const bool integer = floorf(y) == y;
  const bool odd = integer && fabsf(y) < 0x1p24f && fmodf(y, 2.0f) != 0.0f;
  float r;
  if (ax == 0.0f || ax == INFINITY) {
    r = (ax == 0.0f) == (y > 0.0f) ? 0.0f : INFINITY;
  } else {
    if (!integer) return (x - x) / (x - x);  // a negative number to a fractional power
    r = PowLanes<Lanes1>(ax, y);
  }
  return signbit(x) && odd ? -r : r;
}

// 2^t in doubles (t finite; below -1022 or above 1023 the result is 0 or infinite).
inline double ExactExp2(double t) {
  if (t != t) return t;
  if (t < -1100.0) return 0.0;
  if (t > 1100.0) return INFINITY;
  return Exp2Of<Doubles1>(t);
}

}  // namespace
}  // namespace exact_math

// The default shader's four-pixel path for plain materials: every lane bit for bit what the
// per-pixel shader gives, and the path refused wherever the shader would read a map.
#include <gtest/gtest.h>
#include <string.h>

#include "engine/cpu_paths.h"
#include "engine/shading/lighting_lanes.h"
#include "engine/shading/plain_shading.h"
#include "raster_test_support.h"

using namespace raster_test;

namespace {

// The unit tests run the processor paths global setup chooses.
const bool kPathsChosen = (ChooseCpuPaths(), true);

class PlainFour : public EngineTest {};

// A small deterministic generator, so that the cases are the same on every run.
struct Lcg {
  unsigned s = 12345u;
  float Next(float lo, float hi) {
    s = s * 1664525u + 1013904223u;
    return lo + (hi - lo) * static_cast<float>(s >> 8) / 16777216.0f;
  }
};

bool SameBits(float a, float b) { return memcmp(&a, &b, sizeof a) == 0; }

struct ShadingSet {
  std::vector<material3ds> mats;
  std::vector<light3ds> lights;
};

// Assorted positions and normals in lanes 0 .. n - 1.
template <class Pixels>
void FillPixels(Pixels& p, int n, Lcg& rng) {
  for (int j = 0; j < n; ++j) {
    p.x[j] = rng.Next(-300.0f, 300.0f);
    p.y[j] = rng.Next(-300.0f, 300.0f);
    p.z[j] = rng.Next(-200.0f, 200.0f);
    p.nx[j] = rng.Next(-2.0f, 2.0f);
    p.ny[j] = rng.Next(-2.0f, 2.0f);
    p.nz[j] = rng.Next(-2.0f, 2.0f);
  }
}

// Four pixels of assorted normals and positions through both paths; the number of lanes
// whose specular term was not skipped is added to `lit`.
void CompareFour(ShadingSet& set, Lcg& rng, int& lit) {
  __Triangle3ds tri = Face(0, 1, 2, 0);
  PlainShading plain;
  ASSERT_TRUE(PreparePlainShading(tri, set.mats.empty() ? nullptr : set.mats.data(),
                                  static_cast<int>(set.mats.size()), nullptr, false,
                                  static_cast<int>(set.lights.size()),
                                  set.lights.empty() ? nullptr : set.lights.data(), plain));
  FourPixels four;
  FillPixels(four, 4, rng);
  four.nx[3] = four.ny[3] = four.nz[3] = 0.0f;  // a zero normal stays zero
  if (!set.lights.empty()) {  // a pixel right at the first light: a zero light vector
    four.x[2] = set.lights[0].position[0];
    four.y[2] = set.lights[0].position[1];
    four.z[2] = set.lights[0].position[2];
  }
  float c[3][4];
  ShadePlainFour(plain, four, c[0], c[1], c[2]);
  for (int j = 0; j < 4; ++j) {
    float r[3];
    __Point n{four.nx[j], four.ny[j], four.nz[j]};
    __PrevInfo prev{};
    const float alpha = DefRenderOnePixel(
        0.0f, 0.0f, nullptr, nullptr, four.x[j], four.y[j], four.z[j], &tri,
        set.mats.empty() ? nullptr : set.mats.data(), static_cast<int>(set.mats.size()), r[0],
        r[1], r[2], &n, 0, 0.0f, 0.0f, nullptr, static_cast<int>(set.lights.size()),
        set.lights.empty() ? nullptr : set.lights.data(), &prev, nullptr, 0.0f, 0.0f, -1.0f,
        0.0f);
    EXPECT_TRUE(SameBits(alpha, plain.alpha)) << alpha << " " << plain.alpha;
    for (int k = 0; k < 3; ++k) EXPECT_TRUE(SameBits(r[k], c[k][j])) << k << ": " << r[k] << " vs " << c[k][j];
    if (r[0] > 0.0f && r[0] < static_cast<float>(_MaxChannel)) ++lit;
  }
}

void ShadeBatch(const PlainShading& p, const EightPixels& in, int count, float (*c)[8]) {
  ShadePlainEight(p, in, count, c[0], c[1], c[2]);
}
void ShadeBatch(const PlainShading& p, const SixteenPixels& in, int count, float (*c)[16]) {
  ShadePlainSixteen(p, in, count, c[0], c[1], c[2]);
}

// Eight or sixteen pixels at once (with the CPU's widest lanes and with four-wide lanes),
// full and partly filled: each lane below the count must be the per-pixel shader's colour.
template <class Pixels>
void CompareBatch(ShadingSet& set, Lcg& rng, int count, int& lit) {
  constexpr int kLanes = sizeof(Pixels::x) / sizeof(float);
  __Triangle3ds tri = Face(0, 1, 2, 0);
  PlainShading plain;
  ASSERT_TRUE(PreparePlainShading(tri, set.mats.data(), static_cast<int>(set.mats.size()),
                                  nullptr, false, static_cast<int>(set.lights.size()),
                                  set.lights.data(), plain));
  Pixels eight;
  FillPixels(eight, kLanes, rng);
  eight.nx[5] = eight.ny[5] = eight.nz[5] = 0.0f;  // a zero normal stays zero
  float c[3][kLanes];
  ShadeBatch(plain, eight, count, c);
  for (int j = 0; j < count; ++j) {
    float r[3];
    __Point n{eight.nx[j], eight.ny[j], eight.nz[j]};
    __PrevInfo prev{};
    DefRenderOnePixel(0.0f, 0.0f, nullptr, nullptr, eight.x[j], eight.y[j], eight.z[j], &tri,
                      set.mats.data(), static_cast<int>(set.mats.size()), r[0], r[1], r[2], &n,
                      0, 0.0f, 0.0f, nullptr, static_cast<int>(set.lights.size()),
                      set.lights.data(), &prev, nullptr, 0.0f, 0.0f, -1.0f, 0.0f);
    for (int k = 0; k < 3; ++k)
      EXPECT_TRUE(SameBits(r[k], c[k][j])) << "lane " << j << " channel " << k << ": " << r[k]
                                           << " vs " << c[k][j];
    if (r[0] > 0.0f && r[0] < static_cast<float>(_MaxChannel)) ++lit;
  }
}

// Materials with low and high exponents (the specular term both computed and skipped),
// self illumination, transparency; two coloured lights; both depths; both passes and the
// double-sided setting; four lanes, and eight and sixteen at either width of the paths.
TEST_F(PlainFour, EveryLaneIsThePerPixelShaderAtEitherWidth) {
  Lcg rng;
  int lit = 0, cases = 0;
  for (int width : {8, 4})
    for (bool deep : {false, true})
      for (int pass = 0; pass < 3; ++pass) {
        ResetEngine(64, 64, deep);
        ChooseCpuPaths(width == 8);
        _DrawBackFaces1 = pass == 1;
        _DubleSide = pass == 2;
        ShadingSet set;
        material3ds m = MakeMaterial(0.6f, 0.4f, 0.2f);
        m.shininess = pass == 0 ? 0.02f : 1.5f;
        m.shininess_strength = 0.7f;
        m.self_illumination = 0.2f;
        m.transparency = -0.4f;
        set.mats = {m};
        set.lights = {MakeLight(350.0f, -150.0f, 800.0f),
                      MakeLight(-450.0f, 250.0f, -300.0f, 0.8f)};
        set.lights[1].colour[1] = 0.5f;
        for (int i = 0; i < 100; ++i, cases += i % 3 ? 8 : 3)
          CompareBatch<EightPixels>(set, rng, i % 3 ? 8 : 3, lit);
        for (int count : {16, 11, 8, 5}) {
          CompareBatch<SixteenPixels>(set, rng, count, lit);
          cases += count;
        }
        for (int i = 0; i < 100 && width == 4; ++i, cases += 4) CompareFour(set, rng, lit);
      }
  ChooseCpuPaths();
  EXPECT_GT(lit, cases / 2) << "shaded values strictly between black and full, not just clamps";
}

// Without materials the defaults; without lights the default light, or black without it.
TEST_F(PlainFour, DefaultsAndTheDefaultLightAsThePerPixelShader) {
  Lcg rng;
  int lit = 0;
  ResetEngine(64, 64, false);
  ShadingSet set;
  for (int i = 0; i < 50; ++i) CompareFour(set, rng, lit);  // black
  EXPECT_EQ(lit, 0);
  light3ds def = MakeLight(200.0f, 200.0f, 1000.0f);
  LightDef = &def;
  for (int i = 0; i < 50; ++i) CompareFour(set, rng, lit);
  EXPECT_GT(lit, 20);
  LightDef = nullptr;
}

// The path is refused when the shader would read a map for the triangle's pixels: a
// reflection map always, a colour, opacity or bump map on a textured face.
TEST_F(PlainFour, RefusedWhereAMapWouldBeRead) {
  ResetEngine(64, 64, false);
  Image texels(2, 2, false);
  __Texture image{};
  image.present = 1;
  image.width = image.height = 2;
  image.pixels = texels.data();
  material3ds m = MakeMaterial(0.5f, 0.5f, 0.5f);
  const light3ds light = MakeLight(0.0f, 0.0f, 500.0f);
  const __Triangle3ds tri = Face(0, 1, 2, 0);
  PlainShading plain;
  __Texture slots[4] = {};
  EXPECT_TRUE(PreparePlainShading(tri, &m, 1, slots, true, 1, &light, plain));
  for (int slot = 0; slot < 4; ++slot) {
    __Texture maps[4] = {};
    maps[slot] = image;
    EXPECT_FALSE(PreparePlainShading(tri, &m, 1, maps, true, 1, &light, plain)) << slot;
    // Untextured, only the reflection map is read.
    EXPECT_EQ(PreparePlainShading(tri, &m, 1, maps, false, 1, &light, plain), slot != 3) << slot;
  }
  // A material index past the count takes the defaults and reads no map.
  __Texture maps[4] = {image, image, image, image};
  EXPECT_TRUE(PreparePlainShading(Face(0, 1, 2, 1), &m, 1, maps, true, 1, &light, plain));
  EXPECT_EQ(plain.exponent, 150.0f);
}

// A light taken as behind the surface gives N.L <= 0 after every rounding; one well behind is.
TEST_F(PlainFour, ALightTakenAsBehindIsBehindAfterRounding) {
  using L1 = exact_math::Lanes1;
  Lcg rng;
  for (int i = 0; i < 20000; ++i) {  // lights near the tangent plane, near and far
    float n[3] = {rng.Next(-1, 1), rng.Next(-1, 1), rng.Next(-1, 1)}, l[3];
    lighting::PrepareNormal<L1>(n[0], n[1], n[2]);
    const float t[3] = {rng.Next(-1, 1), rng.Next(-1, 1), rng.Next(-1, 1)};
    const float tn = t[0] * n[0] + t[1] * n[1] + t[2] * n[2], scale = powf(10, rng.Next(-2, 4));
    const float off = (i % 2 ? 1 : -1) * powf(10, rng.Next(-8, -3));  // before or behind
    for (int k = 0; k < 3; ++k) l[k] = (t[k] - tn * n[k] + off * n[k]) * scale;
    const float len = lighting::Length<L1>(l[0], l[1], l[2]);
    const float d = n[0] * (l[0] / len) + n[1] * (l[1] / len) + n[2] * (l[2] / len);
    EXPECT_TRUE(lighting::FacingAway<L1>(n, l[0], l[1], l[2]) ? d <= 0.0f : off > -1e-4f) << i;
  }
}

}  // namespace

// The default shader: normal handling, material defaults and values, the lighting model
// d = N.L x multiplier, highlight = d^E x K, dif = d (1 - s) + s, and the opacity it returns.
#include <gtest/gtest.h>

#include "raster_test_support.h"

using namespace raster_test;

namespace {

struct ShadeResult {
  float c[3];
  float alpha;
};

// One call of the default shader at pixel (x, y, z) relative to the origin.
struct ShadeCall {
  __Point normal{0.0f, 0.0f, 1.0f};
  float x = 0.0f, y = 0.0f, z = 0.0f;
  __Triangle3ds tri = Face(0, 1, 2, 0);
  std::vector<material3ds> mats;
  std::vector<__Texture> textures;
  std::vector<light3ds> lights;
  std::vector<GlassProp> glass;
  unsigned char textured = 0;

  ShadeResult Run() {
    ShadeResult r{};
    __PrevInfo prev{};
    r.alpha = DefRenderOnePixel(
        32.0f, 32.0f, nullptr, nullptr, x, y, z, &tri, mats.empty() ? nullptr : mats.data(),
        static_cast<int>(mats.size()), r.c[0], r.c[1], r.c[2], &normal, textured, 0.5f, 0.5f,
        textures.empty() ? nullptr : textures.data(), static_cast<int>(lights.size()),
        lights.empty() ? nullptr : lights.data(), &prev, glass.empty() ? nullptr : glass.data(),
        0.0f, 0.0f, -1.0f, 0.0f);
    return r;
  }
};

class DefaultShader : public EngineTest {};

// No materials, one white light straight along the normal: d = 1, so each channel is
// (0.5 x 1 + 1 x 1^150 x 10) x 1 = 10.5 before scaling, clamped to full scale.
TEST_F(DefaultShader, DefaultsUnderAHeadOnLightSaturateEveryChannel) {
  for (bool deep : {false, true}) {
    ResetEngine(64, 64, deep);
    ShadeCall call;
    call.lights = {MakeLight(0.0f, 0.0f, 500.0f)};
    const ShadeResult r = call.Run();
    for (float c : r.c) EXPECT_EQ(c, static_cast<float>(_MaxChannel));
    EXPECT_EQ(r.alpha, 1.0f);
  }
}

// Diffuse only (no specular): a light at 60 degrees from the normal gives d = 0.5.
TEST_F(DefaultShader, DiffuseFollowsTheCosineTimesTheMultiplier) {
  ShadeCall call;
  material3ds m = MakeMaterial(0.8f, 0.4f, 0.2f);
  m.shininess_strength = 0.0f;
  call.mats = {m};
  const float s60 = sqrtf(3.0f) / 2.0f;
  call.lights = {MakeLight(1000.0f * s60, 0.0f, 500.0f)};
  ShadeResult r = call.Run();
  EXPECT_NEAR(r.c[0], 0.8f * 0.5f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[1], 0.4f * 0.5f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[2], 0.2f * 0.5f * 255.0f, 0.01f);

  call.lights[0].multiplier = 1.5f;  // d = 0.75
  r = call.Run();
  EXPECT_NEAR(r.c[0], 0.8f * 0.75f * 255.0f, 0.01f);
}

// The specular term raises d itself (no half-vector) to E = 100 x shininess, times K.
TEST_F(DefaultShader, SpecularIsDRaisedToTheExponentTimesStrength) {
  ShadeCall call;
  material3ds m = MakeMaterial(0.0f, 0.0f, 0.0f);
  m.shininess = 0.02f;  // E = 2
  m.shininess_strength = 1.0f;
  call.mats = {m};
  const float s60 = sqrtf(3.0f) / 2.0f;
  call.lights = {MakeLight(0.0f, 1000.0f * s60, 500.0f)};
  const ShadeResult r = call.Run();
  for (float c : r.c) EXPECT_NEAR(c, 0.25f * 255.0f, 0.01f);

  // An exponent of 0, of either sign, makes d^E = 1 wherever the light reaches: the full
  // strength K, after any other exponent.
  for (float shininess : {0.0f, -0.0f}) {
    call.mats[0].shininess = shininess;
    const ShadeResult flat = call.Run();
    for (float c : flat.c) EXPECT_NEAR(c, 255.0f, 0.01f) << shininess;
    call.mats[0].shininess = 0.02f;
    call.Run();
  }
}

// The light direction runs from the pixel (40, -30, 10) to the light: a light 500 straight
// above it, or 500 out along the x or y axis from it, meets a normal pointing there
// head-on (d = 1), whatever the pixel's own position.
TEST_F(DefaultShader, LightDirectionRunsFromThePixelToTheLight) {
  ShadeCall call;
  material3ds m = MakeMaterial(0.8f, 0.4f, 0.2f);
  m.shininess_strength = 0.0f;
  call.mats = {m};
  call.x = 40.0f, call.y = -30.0f, call.z = 10.0f;
  const struct {
    __Point normal;
    float lx, ly, lz;
  } cases[] = {{{0.0f, 0.0f, 1.0f}, 40.0f, -30.0f, 510.0f},
               {{1.0f, 0.0f, 0.0f}, 540.0f, -30.0f, 10.0f},
               {{0.0f, -1.0f, 0.0f}, 40.0f, -530.0f, 10.0f}};
  for (const auto& c : cases) {
    call.normal = c.normal;
    call.lights = {MakeLight(c.lx, c.ly, c.lz)};
    const ShadeResult r = call.Run();
    EXPECT_NEAR(r.c[0], 0.8f * 255.0f, 0.01f) << c.lx << "," << c.ly << "," << c.lz;
    EXPECT_NEAR(r.c[2], 0.2f * 255.0f, 0.01f);
  }
}

// A light behind the surface contributes D x s x colour only, and nothing with s = 0.
TEST_F(DefaultShader, LightBehindTheSurfaceGivesOnlySelfIllumination) {
  ShadeCall call;
  material3ds m = MakeMaterial(0.5f, 0.2f, 0.1f);
  m.self_illumination = 0.3f;
  call.mats = {m};
  call.lights = {MakeLight(0.0f, 0.0f, -500.0f)};
  call.lights[0].colour[1] = 0.5f;
  ShadeResult r = call.Run();
  EXPECT_NEAR(r.c[0], 0.5f * 0.3f * 1.0f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[1], 0.2f * 0.3f * 0.5f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[2], 0.1f * 0.3f * 1.0f * 255.0f, 0.01f);

  call.mats[0].self_illumination = 0.0f;
  r = call.Run();
  for (float c : r.c) EXPECT_EQ(c, 0.0f);
}

// Self illumination counts once per light: two lights give D x (colour 1 + colour 2).
TEST_F(DefaultShader, FullSelfIlluminationAddsUpOverTheLights) {
  ShadeCall call;
  material3ds m = MakeMaterial(0.2f, 0.3f, 0.1f);
  m.self_illumination = 1.0f;
  m.shininess_strength = 0.0f;
  call.mats = {m};
  call.lights = {MakeLight(0.0f, 0.0f, -500.0f), MakeLight(500.0f, 0.0f, 0.0f)};
  call.lights[1].colour[0] = 0.5f;
  const ShadeResult r = call.Run();
  EXPECT_NEAR(r.c[0], 0.2f * 1.5f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[1], 0.3f * 2.0f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[2], 0.1f * 2.0f * 255.0f, 0.01f);
}

// In the back-face pass the normal is reversed first; with double side a normal that then
// faces away is turned back towards the viewer.
TEST_F(DefaultShader, BackFacePassReversesTheNormalBeforeDoubleSide) {
  ShadeCall call;
  material3ds m = MakeMaterial(1.0f, 1.0f, 1.0f);
  m.shininess_strength = 0.0f;
  call.mats = {m};
  call.lights = {MakeLight(0.0f, 0.0f, 500.0f)};

  _DrawBackFaces1 = 1;
  EXPECT_EQ(call.Run().c[0], 0.0f) << "reversed normal faces away from the light";
  _DubleSide = 1;
  EXPECT_EQ(call.Run().c[0], 255.0f) << "double side turns it back";
  _DrawBackFaces1 = 0;
  call.normal = __Point{0.0f, 0.0f, -1.0f};
  EXPECT_EQ(call.Run().c[0], 255.0f) << "double side alone turns a back-facing normal";
}

// The normal is made unit length: a long normal does not brighten the pixel.
TEST_F(DefaultShader, NormalLengthDoesNotMatter) {
  ShadeCall call;
  material3ds m = MakeMaterial(0.4f, 0.4f, 0.4f);
  m.shininess_strength = 0.0f;
  call.mats = {m};
  call.lights = {MakeLight(0.0f, 0.0f, 500.0f)};
  call.normal = __Point{0.0f, 0.0f, 7.0f};
  EXPECT_NEAR(call.Run().c[0], 0.4f * 255.0f, 0.01f);
}

// Transparency is stored negated: -0.3 is 30 % transparent, +0.3 is opaque.
TEST_F(DefaultShader, StoredTransparencySetsTheOpacity) {
  ShadeCall call;
  call.mats = {MakeMaterial(0.5f, 0.5f, 0.5f)};
  call.lights = {MakeLight(0.0f, 0.0f, 500.0f)};
  call.mats[0].transparency = -0.3f;
  EXPECT_NEAR(call.Run().alpha, 0.7f, 1e-6f);
  call.mats[0].transparency = 0.3f;
  EXPECT_EQ(call.Run().alpha, 1.0f);
  call.mats[0].transparency = -1.7f;
  EXPECT_EQ(call.Run().alpha, 0.0f);
}

// A material index not below the material count falls back to the defaults (grey).
TEST_F(DefaultShader, OutOfRangeMaterialUsesTheDefaults) {
  ShadeCall call;
  call.mats = {MakeMaterial(1.0f, 0.0f, 0.0f)};
  call.mats[0].transparency = -0.5f;
  call.tri.material = 1;
  call.lights = {MakeLight(0.0f, 0.0f, -500.0f)};  // behind: s = 0, so black...
  call.lights.push_back(MakeLight(1000.0f * sqrtf(3.0f) / 2.0f, 0.0f, 500.0f));  // d = 0.5
  const ShadeResult r = call.Run();
  // ...plus the defaults under d = 0.5: 0.5 x 0.5 + 1 x 0.5^150 x 10.
  for (float c : r.c) EXPECT_NEAR(c, 0.25f * 255.0f, 0.01f);
  EXPECT_EQ(r.alpha, 1.0f);
}

// Without lights the default light stands in; without that either the pixel is black but
// keeps the material's opacity, glass or not.
TEST_F(DefaultShader, NoLightsUsesTheDefaultLightOrGivesBlack) {
  ShadeCall call;
  call.mats = {MakeMaterial(0.5f, 0.5f, 0.5f)};
  call.mats[0].transparency = -0.25f;
  GlassProp g{};
  g.glass = 1;
  call.glass = {g};
  ShadeResult r = call.Run();
  for (float c : r.c) EXPECT_EQ(c, 0.0f);
  EXPECT_NEAR(r.alpha, 0.75f, 1e-6f);

  light3ds def = MakeLight(0.0f, 0.0f, 1000.0f);
  LightDef = &def;
  r = call.Run();
  EXPECT_GT(r.c[0], 0.0f);
  EXPECT_NEAR(r.alpha, 0.75f, 1e-6f);
}

// Maps are looked up only for a textured face (argument 15): with it clear, a present
// colour texture and opacity map change nothing. The map samplers are not built yet and
// report no sample, so this case guards the shader's own gating and will hold once they are.
TEST_F(DefaultShader, UntexturedFaceSkipsTextureOpacityAndBump) {
  ShadeCall call;
  call.mats = {MakeMaterial(0.5f, 0.5f, 0.5f)};
  call.lights = {MakeLight(300.0f, 0.0f, 500.0f)};
  const ShadeResult plain = call.Run();

  std::vector<uint8_t> texels(4 * 4 * 4, 0);  // black, fully opaque
  for (size_t i = 3; i < texels.size(); i += 4) texels[i] = 255;
  call.textures.assign(4, __Texture{});
  for (int k = 0; k < 3; ++k) {
    call.textures[k].present = 1;
    call.textures[k].width = call.textures[k].height = 4;
    call.textures[k].pixels = texels.data();
  }
  call.mats[0].texture_map.percent = 1.0f;
  call.mats[0].opacity_map.percent = 1.0f;
  call.mats[0].bump_map.percent = 1.0f;
  call.textured = 0;
  const ShadeResult skipped = call.Run();
  for (int k = 0; k < 3; ++k) EXPECT_EQ(skipped.c[k], plain.c[k]);
  EXPECT_EQ(skipped.alpha, plain.alpha);
}

// Partial self illumination on a lit surface: dif = d (1 - s) + s. With d = 0.5 and
// s = 0.25 that is 0.625, told apart from d + s (0.75), d (1 - s) (0.375) and max(d, s).
TEST_F(DefaultShader, PartialSelfIlluminationLiftsTheDiffuseFactor) {
  ShadeCall call;
  material3ds m = MakeMaterial(0.8f, 0.4f, 0.2f);
  m.shininess_strength = 0.0f;
  m.self_illumination = 0.25f;
  call.mats = {m};
  call.lights = {MakeLight(1000.0f * sqrtf(3.0f) / 2.0f, 0.0f, 500.0f)};  // d = 0.5
  const ShadeResult r = call.Run();
  EXPECT_NEAR(r.c[0], 0.8f * 0.625f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[1], 0.4f * 0.625f * 255.0f, 0.01f);
  EXPECT_NEAR(r.c[2], 0.2f * 0.625f * 255.0f, 0.01f);
}

// A texture record of one colour (blue, green, red, alpha texels), 4 x 4.
struct PlainTexture {
  std::vector<uint8_t> texels;
  __Texture record{};
  PlainTexture(uint8_t r, uint8_t g, uint8_t b) : texels(4 * 4 * 4) {
    for (size_t i = 0; i < texels.size(); i += 4)
      texels[i] = b, texels[i + 1] = g, texels[i + 2] = r, texels[i + 3] = 255;
    record.present = 1;
    record.width = record.height = 4;
    record.pixels = texels.data();
  }
};

// The opacity map gives the largest of its red, green and blue as the opacity, wherever
// the largest lies; at percent 0.5 it is mixed half and half with the material's.
TEST_F(DefaultShader, OpacityMapTakesTheLargestChannel) {
  // Every order of 0.2, 0.4 and 0.8.
  const uint8_t sets[6][3] = {{204, 51, 102}, {204, 102, 51}, {51, 204, 102},
                              {102, 204, 51}, {51, 102, 204}, {102, 51, 204}};
  ShadeCall call;
  call.mats = {MakeMaterial(0.5f, 0.5f, 0.5f)};
  call.mats[0].opacity_map.u_scale = call.mats[0].opacity_map.v_scale = 1.0f;
  call.lights = {MakeLight(0.0f, 0.0f, 500.0f)};
  call.textures.assign(4, __Texture{});
  call.textured = 1;
  for (const auto& rgb : sets) {
    PlainTexture opacity(rgb[0], rgb[1], rgb[2]);
    call.textures[1] = opacity.record;
    call.mats[0].opacity_map.percent = 1.0f;
    call.mats[0].transparency = 0.0f;
    EXPECT_NEAR(call.Run().alpha, 0.8f, 1e-5f) << int(rgb[0]) << " " << int(rgb[1]);
    call.mats[0].opacity_map.percent = 0.5f;
    call.mats[0].transparency = -0.5f;  // the material's own opacity 0.5
    EXPECT_NEAR(call.Run().alpha, 0.5f * 0.8f + 0.5f * 0.5f, 1e-5f);
  }

  // A 16-bit texel whose alpha lies above full scale (65535 of 32768) raises the percent
  // 1 to about 2: the material's opacity keeps no share then, never a negative one.
  ResetEngine(64, 64, true);
  std::vector<uint16_t> deep(4 * 4 * 4);
  for (size_t i = 0; i < deep.size(); i += 4)
    deep[i] = 2048, deep[i + 1] = 8192, deep[i + 2] = 4096, deep[i + 3] = 65535;
  call.textures[1].pixels = reinterpret_cast<unsigned char*>(deep.data());
  call.textures[1].deep = 1;
  call.mats[0].opacity_map.percent = 1.0f;
  EXPECT_NEAR(call.Run().alpha, 0.25f * 65535.0f / 32768.0f, 1e-5f);
}

// The reflection map is looked up on every face, textured or not, and mixed over the
// colour at its percent.
TEST_F(DefaultShader, ReflectionMapAlsoOnUntexturedFaces) {
  for (unsigned char textured : {0, 1}) {
    ShadeCall call;
    material3ds m = MakeMaterial(1.0f, 1.0f, 1.0f);
    m.shininess_strength = 0.0f;
    m.reflection_map.percent = 1.0f;
    m.reflection_map.u_scale = m.reflection_map.v_scale = 1.0f;
    call.mats = {m};
    call.lights = {MakeLight(0.0f, 0.0f, 500.0f)};
    PlainTexture reflection(51, 102, 204);
    call.textures.assign(4, __Texture{});
    call.textures[3] = reflection.record;
    call.textured = textured;
    const ShadeResult r = call.Run();
    EXPECT_NEAR(r.c[0], 51.0f, 0.5f) << int(textured);
    EXPECT_NEAR(r.c[1], 102.0f, 0.5f);
    EXPECT_NEAR(r.c[2], 204.0f, 0.5f);
  }
}

// A bump map on a textured face tilts the normal, and with it the light a pixel gets; the
// other slots play no part in whether it is applied.
TEST_F(DefaultShader, BumpMapTiltsTheLitNormal) {
  ShadeCall call;
  material3ds m = MakeMaterial(1.0f, 1.0f, 1.0f);
  m.shininess_strength = 0.0f;
  m.bump_map.percent = 1.0f;
  m.bump_map.u_scale = m.bump_map.v_scale = 1.0f;
  call.mats = {m};
  call.lights = {MakeLight(1000.0f * sqrtf(3.0f) / 2.0f, 0.0f, 500.0f)};  // d = 0.5 unbumped
  call.textured = 1;
  call.textures.assign(4, __Texture{});
  const float flat = call.Run().c[0];
  EXPECT_NEAR(flat, 0.5f * 255.0f, 0.01f);
  // Texels brighter to the right: a slope along u.
  std::vector<uint8_t> texels(4 * 4 * 4, 255);
  for (int j = 0; j < 4; ++j)
    for (int i = 0; i < 4; ++i)
      for (int k = 0; k < 3; ++k) texels[(j * 4 + i) * 4 + k] = static_cast<uint8_t>(60 * i);
  call.textures[2].present = 1;
  call.textures[2].width = call.textures[2].height = 4;
  call.textures[2].pixels = texels.data();
  EXPECT_GT(fabsf(call.Run().c[0] - flat), 5.0f) << "the bumped normal faces the light differently";
}

// Channel values are clamped at full scale, 32768 in 16-bit (not 65535).
TEST_F(DefaultShader, SixteenBitFullScaleIs32768) {
  ResetEngine(64, 64, true);
  ShadeCall call;
  call.mats = {MakeMaterial(0.5f, 0.5f, 0.5f)};
  call.mats[0].shininess_strength = 0.0f;
  call.lights = {MakeLight(0.0f, 0.0f, 500.0f)};
  EXPECT_NEAR(call.Run().c[0], 16384.0f, 0.01f);
  call.mats[0].self_illumination = 0.0f;
  call.lights[0].multiplier = 5.0f;
  EXPECT_EQ(call.Run().c[0], 32768.0f);
}

}  // namespace

// The engine's settings: initial values, accessors, the z-buffer and shader installation.
#include <gtest/gtest.h>

#include "engine/engine_state.h"
#include "engine_test_support.h"

namespace {

// The settings as the module was loaded, taken before any test can change them (the
// variables are constant-initialised, so they hold their initial values before this runs).
struct LoadedSettings {
  unsigned char draw_mode = _DrawMode, deep = _Deep, quality = _Quality,
                duble_side = _DubleSide, back = _DrawBackFaces, back1 = _DrawBackFaces1,
                multy = _UseMultyRefract, phong2 = _UsePhong2, glass = _UseGlass,
                reflection = _UseReflection, persp = _UsePersp, custom = _UseCustomMats;
  float wire = _WireSize, pval = _Persp_Val, px = _Persp_x, py = _Persp_y, pfar = _Persp_Far;
  float* zbuff = ZBuff;
  int32_t zw = Zwidth, zh = Zheight;
  __RenderOnePixelProc shader = RenderOnePixel;
};
const LoadedSettings kLoaded;

float TestShader(float, float, unsigned char*, unsigned char*, float, float, float,
                 __Triangle3ds*, material3ds*, int, float& c0, float& c1, float& c2, __Point*,
                 unsigned char, float, float, __Texture*, int, light3ds*, __PrevInfo*,
                 GlassProp*, float, float, float, float) {
  c0 = c1 = c2 = 7;
  return 0.5f;
}

}  // namespace

TEST(EngineSettings, InitialValuesAreTheDocumentedDefaults) {
  EXPECT_EQ(kLoaded.draw_mode, 6);
  EXPECT_EQ(kLoaded.deep, 0);
  EXPECT_EQ(kLoaded.quality, 1);
  EXPECT_EQ(kLoaded.duble_side, 0);
  EXPECT_EQ(kLoaded.back, 0);
  EXPECT_EQ(kLoaded.back1, 0);
  EXPECT_EQ(kLoaded.multy, 1);
  EXPECT_EQ(kLoaded.phong2, 0);
  EXPECT_EQ(kLoaded.glass, 0);
  EXPECT_EQ(kLoaded.reflection, 0);
  EXPECT_EQ(kLoaded.persp, 0);
  EXPECT_EQ(kLoaded.custom, 1);
  EXPECT_EQ(kLoaded.wire, 1.0f);
  EXPECT_EQ(kLoaded.pval, 0.0f);
  EXPECT_EQ(kLoaded.px, 0.0f);
  EXPECT_EQ(kLoaded.py, 0.0f);
  EXPECT_EQ(kLoaded.pfar, 1000.0f);
  EXPECT_EQ(kLoaded.zbuff, nullptr);
  EXPECT_EQ(kLoaded.zw, 0);
  EXPECT_EQ(kLoaded.zh, 0);
  EXPECT_EQ(kLoaded.shader, &DefRenderOnePixel);
}

// Quality is a switch: 0 stays 0, anything above 1 reads back as 1.
TEST(EngineSettings, QualityStoresOneForLargerValues) {
  EngineGlobalsGuard guard;
  __SetQuality(5);
  EXPECT_EQ(__GetQuality(), 1);
  __SetQuality(0);
  EXPECT_EQ(__GetQuality(), 0);
  __SetQuality(1);
  EXPECT_EQ(__GetQuality(), 1);
  __SetQuality(255);
  EXPECT_EQ(_Quality, 1);
}

// Every other setter stores its value unchanged in the variable its getter reads.
TEST(EngineSettings, AccessorsStoreAndReportTheirVariable) {
  EngineGlobalsGuard guard;
  struct Accessor {
    void (*set)(unsigned char);
    unsigned char (*get)();
    unsigned char* variable;
  };
  const Accessor accessors[] = {
      {__SetDrawMode, __GetDrawMode, &_DrawMode},
      {__SetDeep, __GetDeep, &_Deep},
      {__SetDubleSide, __GetDubleSide, &_DubleSide},
      {__SetDrawBackFaces, __GetDrawBackFaces, &_DrawBackFaces},
      {__SetUseMultyRefract, __GetUseMultyRefract, &_UseMultyRefract},
      {__SetUsePhong2, __GetUsePhong2, &_UsePhong2},
      {__SetUseGlass, __GetUseGlass, &_UseGlass},
      {__SetUseReflection, __GetUseReflection, &_UseReflection},
      {__SetUsePersp, __GetUsePersp, &_UsePersp},
      {__SetUseCustomMats, __GetUseCustomMats, &_UseCustomMats},
  };
  unsigned char back1 = _DrawBackFaces1;
  unsigned char value = 2;
  for (const Accessor& a : accessors) {
    a.set(value);
    EXPECT_EQ(*a.variable, value);
    EXPECT_EQ(a.get(), value);
    ++value;
  }
  EXPECT_EQ(_DrawBackFaces1, back1);  // set by the scene entry only
}

// __SetZBuff installs a buffer only when it is present and both sizes are positive;
// anything else clears all three globals.
TEST(EngineZBuffer, SetZBuffInstallsValidBuffersAndClearsOtherwise) {
  EngineGlobalsGuard guard;
  float cells[640 * 4] = {};
  __SetZBuff(cells, 640, 4);
  float* buffer = nullptr;
  int width = -1, height = -1;
  __GetZBuff(buffer, width, height);
  EXPECT_EQ(buffer, cells);
  EXPECT_EQ(width, 640);
  EXPECT_EQ(height, 4);

  __SetZBuff(cells, 0, 480);
  __GetZBuff(buffer, width, height);
  EXPECT_EQ(buffer, nullptr);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(height, 0);

  __SetZBuff(cells, 640, -1);
  EXPECT_EQ(ZBuff, nullptr);
  EXPECT_EQ(Zwidth, 0);
  __SetZBuff(nullptr, 640, 4);
  EXPECT_EQ(ZBuff, nullptr);
  EXPECT_EQ(Zheight, 0);
}

TEST(EngineSettings, ShaderHookInstallsAndRestoresTheDefault) {
  EngineGlobalsGuard guard;
  __SetNewRenderOnePixel(TestShader);
  EXPECT_EQ(RenderOnePixel, &TestShader);
  float c0 = 0, c1 = 0, c2 = 0;
  EXPECT_EQ(RenderOnePixel(0, 0, nullptr, nullptr, 0, 0, 0, nullptr, nullptr, 0, c0, c1, c2,
                           nullptr, 0, 0, 0, nullptr, 0, nullptr, nullptr, nullptr, 0, 0, 0, 0),
            0.5f);
  EXPECT_EQ(c0, 7);
  __SetDefRenderOnePixel();
  EXPECT_EQ(RenderOnePixel, &DefRenderOnePixel);
}

TEST(EngineSettings, DefaultLightAndMmxReport) {
  EngineGlobalsGuard guard;
  light3ds light = {};
  __SetLightDef(&light);
  EXPECT_EQ(LightDef, &light);
  __SetLightDef(nullptr);
  EXPECT_EQ(LightDef, nullptr);
  EXPECT_EQ(__mmx_present(), 1);
}

// The block allocator hands out zero-filled blocks and takes them back.
TEST(EngineAllocator, BlocksAreZeroFilled) {
  unsigned char* block = static_cast<unsigned char*>(EngineAlloc(100000));
  ASSERT_NE(block, nullptr);
  int non_zero = 0;
  for (int i = 0; i < 100000; ++i) non_zero += block[i] != 0;
  EXPECT_EQ(non_zero, 0);
  EngineFree(block);
  EngineFree(nullptr);  // ignored
  EXPECT_EQ(EngineAlloc(0), nullptr);
}

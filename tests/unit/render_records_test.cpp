// The render's engine records, seen by a capturing shader installed in place of the
// default one: the module's own entry point runs under the reference host, and the first
// shaded pixel copies what the engine was handed (glass entries, materials, texture slots,
// lights). Also the render's answers to a host that hands it bad or missing records.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "engine/engine.h"
#include "host/render_job.h"
#include "host/world.h"
#include "host/world_image.h"
#include "platform/sdk/ae_sdk.h"
#include "shell/resources/pipl_words.h"
#include "shell/sequence_model.h"
#include "tests/unit/model_beside_program.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

extern "C" PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                                 PF_ParamDef* params[], PF_LayerDef* output, void* extra);

namespace {

// What the first shaded pixel saw.
struct Captured {
  int calls = 0;
  GlassProp glass[2];
  material3ds mats[2];
  __Texture textures[8];
  std::vector<uint16_t> first_texel[8];  // the first texel of each present slot
  std::vector<uint16_t> last_row_texel[8];  // and the first texel of its last row
  int mat_count = 0;
  int light_count = 0;
  light3ds lights[2];
  bool ball_material_seen = false;
  double sum_x = 0.0, sum_y = 0.0;  // every shaded pixel's position, for their centroid
  // The engine's settings while it drew.
  int quality = -1, deep = -1, duble_side = -1, multy_refract = -1;
};
Captured g_seen;

float CaptureShader(float origin_x, float origin_y, unsigned char*, unsigned char*, float x,
                    float y, float, __Triangle3ds* tri, material3ds* mats, int mat_count, float& c0, float& c1,
                    float& c2, __Point*, unsigned char, float, float, __Texture* textures,
                    int light_count, light3ds* lights, __PrevInfo*, GlassProp* glass, float,
                    float, float, float) {
  if (g_seen.calls++ == 0) {
    std::memcpy(g_seen.glass, glass, sizeof g_seen.glass);
    std::memcpy(g_seen.mats, mats, sizeof g_seen.mats);
    std::memcpy(g_seen.textures, textures, sizeof g_seen.textures);
    for (int i = 0; i < 8; ++i) {
      const __Texture& t = textures[i];
      if (!t.present || !t.pixels) continue;
      const size_t last_row = static_cast<size_t>(t.height - 1) * t.width * 4;
      for (int c = 0; c < 4; ++c) {
        g_seen.first_texel[i].push_back(
            t.deep ? reinterpret_cast<const uint16_t*>(t.pixels)[c] : t.pixels[c]);
        g_seen.last_row_texel[i].push_back(
            t.deep ? reinterpret_cast<const uint16_t*>(t.pixels)[last_row + c]
                   : t.pixels[last_row + c]);
      }
    }
    g_seen.mat_count = mat_count;
    g_seen.light_count = light_count;
    std::memcpy(g_seen.lights, lights, sizeof(light3ds) * std::min(light_count, 2));
    g_seen.quality = __GetQuality();
    g_seen.deep = __GetDeep();
    g_seen.duble_side = __GetDubleSide();
    g_seen.multy_refract = __GetUseMultyRefract();
  }
  g_seen.ball_material_seen |= tri->material == 0;
  g_seen.sum_x += origin_x + x;
  g_seen.sum_y += origin_y + y;
  c0 = c1 = c2 = 0.0f;
  return 1.0f;
}

qvhost::Pipl ModulePipl() {
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  return qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES);
}

// An opaque image of one colour.
qvhost::Image Plain(int w, int h, int depth, uint16_t r, uint16_t g, uint16_t b) {
  qvhost::Image img;
  img.width = w, img.height = h, img.depth = depth;
  img.rgba.resize(static_cast<size_t>(w) * h * 4);
  const uint16_t full = depth == 16 ? 65535 : 255;
  for (size_t i = 0; i < img.rgba.size(); i += 4)
    img.rgba[i] = r, img.rgba[i + 1] = g, img.rgba[i + 2] = b, img.rgba[i + 3] = full;
  return img;
}

class RenderRecordsTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 160;
  static constexpr int kHeight = 120;

  void SetUp() override {
    PlaceModelBesideProgram();  // the pendant, whichever test runs first
    g_seen = Captured{};
    __SetNewRenderOnePixel(CaptureShader);
    job_ = std::make_unique<qvhost::RenderJob>(EntryPointFunc, ModulePipl(), kWidth, kHeight);
  }
  void TearDown() override {
    job_.reset();
    __SetDefRenderOnePixel();
  }

  // Renders frame 0; expects success, balanced check-outs and a shaded ball.
  void Render() {
    const qvhost::FrameResult r = job_->RenderFrame(0);
    EXPECT_EQ(r.err, PF_Err_NONE);
    for (const std::string& p : r.problems) ADD_FAILURE() << "host check: " << p;
    ASSERT_GT(g_seen.calls, 0) << "nothing was shaded";
  }

  PF_ParamDef& Param(int index) { return job_->session().value(index); }
  void SetFixed(int index, double v) {
    Param(index).u.fd.value = static_cast<PF_Fixed>(std::lround(v * 65536));
  }

  std::unique_ptr<qvhost::RenderJob> job_;
};

// ---- Default parameters ------------------------------------------------------------------

TEST_F(RenderRecordsTest, DefaultsGiveTwoLightsTwoMaterialsAndNoMaps) {
  Render();
  EXPECT_TRUE(g_seen.ball_material_seen);
  EXPECT_EQ(g_seen.mat_count, 2);

  // "LightOne" at azimuth 0, elevation 45 degrees, 2000 away; "Light#2" opposite it at
  // azimuth 180 and the fixed elevation of -25 degrees.
  ASSERT_EQ(g_seen.light_count, 2);
  EXPECT_STREQ(g_seen.lights[0].name, "LightOne");
  EXPECT_NEAR(g_seen.lights[0].position[0], 1414.21, 0.05);
  EXPECT_NEAR(g_seen.lights[0].position[1], 0.0, 1e-3);
  EXPECT_NEAR(g_seen.lights[0].position[2], 1414.21, 0.05);
  EXPECT_STREQ(g_seen.lights[1].name, "Light#2");
  EXPECT_NEAR(g_seen.lights[1].position[0], -1812.62, 0.05);
  EXPECT_NEAR(g_seen.lights[1].position[1], 0.0, 0.01);
  EXPECT_NEAR(g_seen.lights[1].position[2], -845.24, 0.05);
  for (const light3ds& l : g_seen.lights) {
    EXPECT_FLOAT_EQ(l.multiplier, 1.0f);
    EXPECT_FLOAT_EQ(l.colour[0], 1.0f);
    EXPECT_FLOAT_EQ(l.colour[2], 1.0f);
  }

  const material3ds& ball = g_seen.mats[0];
  const material3ds& pendant = g_seen.mats[1];
  EXPECT_STREQ(ball.name, "Material#0");
  EXPECT_STREQ(pendant.name, "Material#1");
  EXPECT_FLOAT_EQ(ball.diffuse[0], 1.0f);
  EXPECT_FLOAT_EQ(ball.diffuse[1], 0.0f);
  EXPECT_FLOAT_EQ(pendant.diffuse[1], 1.0f) << "yellow";
  EXPECT_FLOAT_EQ(pendant.diffuse[2], 0.0f);
  EXPECT_FLOAT_EQ(ball.shininess, 1.5f);
  EXPECT_FLOAT_EQ(ball.shininess_strength, 10.0f);
  EXPECT_FLOAT_EQ(ball.ambient[0], 0.0f);

  // Glass: refraction -50 / 10, optical coefficients 75 and 15 / 10, aberration as is.
  EXPECT_EQ(g_seen.glass[0].glass, 0);
  EXPECT_FLOAT_EQ(g_seen.glass[0].refraction, -5.0f);
  EXPECT_FLOAT_EQ(g_seen.glass[0].optical, 7.5f);
  EXPECT_FLOAT_EQ(g_seen.glass[1].optical, 1.5f);
  EXPECT_FLOAT_EQ(g_seen.glass[1].aberration, 20.0f);

  for (int i = 0; i < 8; ++i) EXPECT_EQ(g_seen.textures[i].present, 0) << "slot " << i;
  for (const material3ds& m : g_seen.mats)
    for (const map3ds* map : {&m.texture_map, &m.opacity_map, &m.bump_map, &m.reflection_map})
      EXPECT_STREQ(map->name, "");
}

// Values other than the defaults, each told apart from its neighbours: a light colour
// with three different channels, low quality, a deep world, multi-refraction off, and a
// double-sidedness some earlier caller left on.
TEST_F(RenderRecordsTest, NonDefaultSettingsReachTheEngine) {
  Param(47).u.cd.value = PF_Pixel{255, 255, 102, 51};  // "Light color": red 255, green 102, blue 51
  SetFixed(46, 50.0);  // "Light Multiply"
  SetFixed(48, 90.0);  // azimuth UV
  Param(18).u.bd.value = 0;  // "Multy refract"
  qvhost::RenderSettings low;
  low.high_quality = false;
  low.deep = true;
  job_->SetSettings(low);
  __SetDubleSide(1);
  Render();
  EXPECT_EQ(g_seen.quality, 0);
  EXPECT_EQ(g_seen.deep, 1);
  EXPECT_EQ(g_seen.duble_side, 0) << "set to 0 by every render";
  EXPECT_EQ(g_seen.multy_refract, 0);
  ASSERT_EQ(g_seen.light_count, 2);
  for (const light3ds& l : g_seen.lights) {
    EXPECT_FLOAT_EQ(l.colour[0], 1.0f);
    EXPECT_FLOAT_EQ(l.colour[1], 0.4f);
    EXPECT_FLOAT_EQ(l.colour[2], 0.2f);
    EXPECT_FLOAT_EQ(l.multiplier, 0.5f);
  }
  // Azimuth 90 degrees: the light stands on +y, the opposite one on -y.
  EXPECT_NEAR(g_seen.lights[0].position[0], 0.0, 0.01);
  EXPECT_NEAR(g_seen.lights[0].position[1], 1414.21, 0.05);
  EXPECT_NEAR(g_seen.lights[1].position[1], -1812.62, 0.05);

  g_seen = Captured{};
  job_->SetSettings(qvhost::RenderSettings{});
  Param(18).u.bd.value = 1;
  Render();
  EXPECT_EQ(g_seen.quality, 1);
  EXPECT_EQ(g_seen.deep, 0);
  EXPECT_EQ(g_seen.multy_refract, 1);
}

// The position moves the scene by its distance from the frame's centre: one pixel right,
// or one down, moves the centroid of the shaded pixels by one column, or one row (give or
// take the rounding of the moved vertices at the anti-aliased edges).
TEST_F(RenderRecordsTest, PositionMovesTheSceneByItsDistanceFromTheCentre) {
  const int moves[3][2] = {{0, 0}, {1, 0}, {0, 1}};
  double cx[3], cy[3];
  SetFixed(6, 50.0);  // "Scale": the ball and its pendant well inside the frame
  for (int k = 0; k < 3; ++k) {
    g_seen = Captured{};
    Param(5).u.td.x_value = (kWidth / 2 + moves[k][0]) * 65536;
    Param(5).u.td.y_value = (kHeight / 2 + moves[k][1]) * 65536;
    Render();
    ASSERT_GT(g_seen.calls, 1000) << k;
    cx[k] = g_seen.sum_x / g_seen.calls;
    cy[k] = g_seen.sum_y / g_seen.calls;
  }
  EXPECT_NEAR(cx[0], kWidth / 2.0, 3.0) << "centred";
  EXPECT_NEAR(cx[1] - cx[0], 1.0, 0.1);
  EXPECT_NEAR(cy[1] - cy[0], 0.0, 0.1);
  EXPECT_NEAR(cx[2] - cx[0], 0.0, 0.1);
  EXPECT_NEAR(cy[2] - cy[0], 1.0, 0.1);
}

TEST_F(RenderRecordsTest, WithoutTheOppositeLightThereIsOneLight) {
  Param(50).u.bd.value = 0;
  Render();
  EXPECT_EQ(g_seen.light_count, 1);
}

// ---- Conversions of parameter values --------------------------------------------------------
// Percentages become fractions (the bump amount a thousandth, not a hundredth); the
// transparency is stored negated; shininess and its strength are tenths.

TEST_F(RenderRecordsTest, ParameterConversionsReachTheEngineRecords) {
  SetFixed(25, 2.0);    // "Bump percent"
  SetFixed(16, 50.0);   // "Transparancy"
  SetFixed(36, 25.0);   // the pendant's
  SetFixed(15, 30.0);   // "Self illumination"
  SetFixed(23, -40.0);  // "Texture percent"
  SetFixed(42, 60.0);   // the pendant's "Reflection percent"
  Param(17).u.bd.value = 1;  // "Glass"
  job_->SetTextureLayer(24, Plain(8, 4, 8, 10, 20, 30));
  job_->SetTextureLayer(22, Plain(5, 3, 8, 200, 100, 50));
  job_->SetTextureLayer(41, Plain(6, 6, 8, 1, 2, 3));
  // Colours: each channel a fraction of 255, channels told apart.
  Param(11).u.cd.value = PF_Pixel{255, 102, 51, 204};  // diffuse: alpha, red, green, blue
  Param(12).u.cd.value = PF_Pixel{255, 51, 204, 255};  // specular
  Param(32).u.cd.value = PF_Pixel{255, 255, 0, 153};  // the pendant's specular
  Render();
  const material3ds& ball = g_seen.mats[0];
  const float diffuse[3] = {0.4f, 0.2f, 0.8f}, specular[3] = {0.2f, 0.8f, 1.0f},
              pendant_specular[3] = {1.0f, 0.0f, 0.6f};
  for (int ch = 0; ch < 3; ++ch) {
    EXPECT_FLOAT_EQ(ball.diffuse[ch], diffuse[ch]) << ch;
    EXPECT_FLOAT_EQ(ball.specular[ch], specular[ch]) << ch;
    EXPECT_FLOAT_EQ(g_seen.mats[1].specular[ch], pendant_specular[ch]) << ch;
  }
  EXPECT_STREQ(ball.bump_map.name, "Bump");
  EXPECT_FLOAT_EQ(ball.bump_map.percent, 0.002f);
  EXPECT_FLOAT_EQ(ball.transparency, -0.5f);
  EXPECT_FLOAT_EQ(g_seen.mats[1].transparency, -0.25f);
  EXPECT_FLOAT_EQ(ball.self_illumination, 0.3f);
  EXPECT_EQ(g_seen.glass[0].glass, 1);

  // The texture layer: slot 0, its size, its pixels in blue, green, red, alpha order.
  EXPECT_STREQ(ball.texture_map.name, "Texture");
  EXPECT_FLOAT_EQ(ball.texture_map.percent, -0.4f);
  EXPECT_FLOAT_EQ(ball.texture_map.u_scale, 1.0f);
  EXPECT_FLOAT_EQ(ball.texture_map.v_offset, 0.0f);
  ASSERT_EQ(g_seen.textures[0].present, 1);
  EXPECT_EQ(g_seen.textures[0].width, 5);
  EXPECT_EQ(g_seen.textures[0].height, 3);
  EXPECT_EQ(g_seen.textures[0].deep, 0);
  EXPECT_EQ(g_seen.first_texel[0], (std::vector<uint16_t>{50, 100, 200, 255}));
  EXPECT_EQ(g_seen.textures[2].present, 1) << "bump";
  EXPECT_EQ(g_seen.textures[2].width, 8);
  EXPECT_EQ(g_seen.textures[1].present, 0) << "no opacity layer";
  EXPECT_STREQ(ball.opacity_map.name, "");

  // The pendant's reflection map from layer 41, slot 7; its other maps stay empty.
  EXPECT_STREQ(g_seen.mats[1].reflection_map.name, "Reflect");
  EXPECT_FLOAT_EQ(g_seen.mats[1].reflection_map.percent, 0.6f);
  EXPECT_EQ(g_seen.textures[7].present, 1);
  EXPECT_EQ(g_seen.first_texel[7], (std::vector<uint16_t>{3, 2, 1, 255}));
  for (int slot : {4, 5, 6}) EXPECT_EQ(g_seen.textures[slot].present, 0);
}

// A 16-bit render hands 16-bit textures: channels in the host's 0..32768 range, every row
// read from its own place in the layer (the last row differs from the others).
TEST_F(RenderRecordsTest, DeepRenderHandsDeepTextures) {
  qvhost::RenderSettings deep;
  deep.deep = true;
  job_->SetSettings(deep);
  qvhost::Image layer = Plain(4, 4, 8, 255, 0, 51);
  for (size_t i = 3 * 4 * 4; i < layer.rgba.size(); i += 4)
    layer.rgba[i] = 0, layer.rgba[i + 1] = 255, layer.rgba[i + 2] = 0;
  job_->SetTextureLayer(28, layer);  // "Texture of reflection"
  Render();
  ASSERT_EQ(g_seen.textures[3].present, 1);
  EXPECT_EQ(g_seen.textures[3].deep, 1);
  EXPECT_EQ(g_seen.first_texel[3], (std::vector<uint16_t>{6554, 0, 32768, 32768}));
  EXPECT_EQ(g_seen.last_row_texel[3], (std::vector<uint16_t>{0, 32768, 0, 32768}));
  // The ball's material names the map; the pendant's has none of its own here.
  EXPECT_STREQ(g_seen.mats[0].reflection_map.name, "Reflect");
  EXPECT_FLOAT_EQ(g_seen.mats[0].reflection_map.percent, 1.0f);
  EXPECT_STREQ(g_seen.mats[1].reflection_map.name, "");
}

// "Cut alpha" at 16 bits clears the whole world (rows are counted in bytes there, twice the
// 16-bit units the conversions use): only the ball is left, opaque, over nothing.
TEST_F(RenderRecordsTest, CutAlphaAtSixteenBitsClearsEveryRow) {
  qvhost::RenderSettings deep;
  deep.deep = true;
  job_->SetSettings(deep);
  Param(52).u.bd.value = 1;  // "Cut alpha"
  Render();
  const qvhost::World* out = job_->last_output();
  ASSERT_NE(out, nullptr);
  int opaque = 0, empty = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const PF_Pixel16 p = out->Pixel16(x, y);
      if (p.alpha == 32768) ++opaque;
      if (p.alpha == 0 && p.red == 0 && p.green == 0 && p.blue == 0) ++empty;
    }
  // The ball: radius 50 % of half the width, 40 pixels, about 5027 pixels, its pole drawn
  // out a little further and its rim anti-aliased; every other pixel empty.
  const double ball = 3.14159 * 40 * 40;
  EXPECT_NEAR(opaque, ball, 0.06 * ball);
  EXPECT_GE(empty, kWidth * kHeight - 1.12 * ball);
  for (int x = 0; x < kWidth; ++x) {
    EXPECT_EQ(out->Pixel16(x, kHeight - 1).alpha, 0) << "last row, x " << x;
    EXPECT_EQ(out->Pixel16(x, kHeight - 1).green, 0) << "last row, x " << x;
  }
}

// ---- Resolution ------------------------------------------------------------------------------
// The ball's refraction follows the frame's resolution (output width / layer width); the
// pendant's does not.

TEST_F(RenderRecordsTest, HalfResolutionHalvesOnlyTheBallsRefraction) {
  qvhost::RenderSettings half;
  half.downsample = 2;
  job_->SetSettings(half);
  Render();
  EXPECT_FLOAT_EQ(g_seen.glass[0].refraction, -2.5f);
  EXPECT_FLOAT_EQ(g_seen.glass[1].refraction, -5.0f);
}

TEST_F(RenderRecordsTest, LayerWidthZeroCountsAsFullResolution) {
  Render();
  g_seen = Captured{};
  qvhost::World output(kWidth, kHeight, false, 8);
  job_->session().in_data().width = 0;
  EXPECT_EQ(job_->session().Render(&output.def()), PF_Err_NONE);
  ASSERT_GT(g_seen.calls, 0);
  EXPECT_FLOAT_EQ(g_seen.glass[0].refraction, -5.0f);
}

// ---- Layers the host cannot hand over -----------------------------------------------------------

// A failed check-out drops that map only: its name is empty, its slot absent, it is not
// checked in, and the render succeeds.
TEST_F(RenderRecordsTest, FailedCheckoutDropsOnlyThatMap) {
  job_->SetTextureLayer(22, Plain(4, 4, 8, 1, 2, 3));
  job_->SetTextureLayer(24, Plain(4, 4, 8, 1, 2, 3));
  job_->session().FailCheckout(22, PF_Err_INTERNAL_STRUCT_DAMAGED);
  Render();
  EXPECT_STREQ(g_seen.mats[0].texture_map.name, "");
  EXPECT_EQ(g_seen.textures[0].present, 0);
  EXPECT_STREQ(g_seen.mats[0].bump_map.name, "Bump");
  EXPECT_EQ(g_seen.textures[2].present, 1);
  const std::vector<PF_ParamIndex>& in = job_->session().checkins();
  EXPECT_EQ(std::count(in.begin(), in.end(), 22), 0);
  EXPECT_EQ(in, (std::vector<PF_ParamIndex>{26, 24, 28, 41}));
}

// The layers are checked in in the order 22, 26, 24, 28, 41 and the render answers with the
// last check-in's result: a failure before it is not reported, one of the last one is.
TEST_F(RenderRecordsTest, TheLastCheckinDecidesTheResult) {
  job_->session().FailCheckin(24, PF_Err_INTERNAL_STRUCT_DAMAGED);
  qvhost::FrameResult r = job_->RenderFrame(0);
  EXPECT_EQ(r.err, PF_Err_NONE);
  EXPECT_EQ(job_->session().checkins(), (std::vector<PF_ParamIndex>{22, 26, 24, 28, 41}));
  job_->session().FailCheckin(41, PF_Err_INVALID_INDEX);
  r = job_->RenderFrame(0);
  EXPECT_EQ(r.err, PF_Err_INVALID_INDEX);
  EXPECT_EQ(job_->session().outstanding_checkouts(), 0u);
}

// A layer whose rows are shorter than its width cannot be read safely: no map.
TEST_F(RenderRecordsTest, LayerWithShortRowsCountsAsNoLayer) {
  qvhost::World layer(16, 4, false);
  PF_LayerDef bad = layer.def();
  bad.rowbytes = 16 * 4 - 4;
  job_->session().SetLayer(22, bad);
  Render();
  EXPECT_STREQ(g_seen.mats[0].texture_map.name, "");
  EXPECT_EQ(g_seen.textures[0].present, 0);
}

// ---- Bad records from the host --------------------------------------------------------------

TEST_F(RenderRecordsTest, MissingOrNarrowOutputIsRefusedWithEverythingReturned) {
  Render();
  qvhost::Session& s = job_->session();
  EXPECT_EQ(s.Render(nullptr), PF_Err_BAD_CALLBACK_PARAM);
  qvhost::World output(kWidth, kHeight, false);
  output.def().rowbytes = kWidth * 4 - 4;
  s.ClearCallRecords();
  EXPECT_EQ(s.Render(&output.def()), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(s.outstanding_checkouts(), 0u);
  EXPECT_EQ(s.checkouts().size(), s.checkins().size());
  EXPECT_EQ(s.handles().LockCount(s.in_data().sequence_data), 0);
}

// A faces number below the ball's smallest (outside the parameter's range) with a pendant
// that has vertices but no triangles leaves no triangle to draw: the render succeeds and
// shades nothing, rather than asking for an empty scene and reporting a lack of memory.
TEST_F(RenderRecordsTest, NoTriangleToDrawIsASuccessThatShadesNothing) {
  PF_InData& in = job_->session().in_data();
  ASSERT_NE(in.sequence_data, nullptr);
  auto* model = static_cast<SequenceModel*>(job_->session().handles().Lock(in.sequence_data));
  ASSERT_NE(model, nullptr);
  ASSERT_GT(model->vertex_count, 0);
  const int32_t triangles = model->triangle_count;
  model->triangle_count = 0;
  job_->session().handles().Unlock(in.sequence_data);
  Param(3).u.sd.value = 5;
  const qvhost::FrameResult r = job_->RenderFrame(0);
  model->triangle_count = triangles;
  EXPECT_EQ(r.err, PF_Err_NONE);
  for (const std::string& p : r.problems) ADD_FAILURE() << "host check: " << p;
  EXPECT_EQ(g_seen.calls, 0);
}

// A texture layer is refused only when its rows are shorter than its width; a wide one whose
// rows carry little padding (64 pixels, 256 bytes and the host's 40) is read as any other.
TEST_F(RenderRecordsTest, WideTextureLayerIsRead) {
  job_->SetTextureLayer(22, Plain(64, 3, 8, 200, 100, 50));
  Render();
  ASSERT_EQ(g_seen.textures[0].present, 1);
  EXPECT_EQ(g_seen.textures[0].width, 64);
  EXPECT_EQ(g_seen.textures[0].height, 3);
  EXPECT_EQ(g_seen.first_texel[0], (std::vector<uint16_t>{50, 100, 200, 255}));
}

// An input layer smaller than the output is read through a zero-padded copy: its pixels
// where it has them, zeros beyond.
TEST_F(RenderRecordsTest, SmallerInputIsPaddedWithZeros) {
  Render();
  qvhost::World small(10, 6, false, 12);
  small.Fill(PF_Pixel{255, 9, 8, 7});
  qvhost::World output(kWidth, kHeight, false, 4);
  job_->session().SetInputLayer(small.def());
  EXPECT_EQ(job_->session().Render(&output.def()), PF_Err_NONE);
  EXPECT_EQ(output.Pixel8(9, 5).red, 9);
  EXPECT_EQ(output.Pixel8(9, 5).alpha, 255);
  EXPECT_EQ(output.Pixel8(10, 5).alpha, 0);
  EXPECT_EQ(output.Pixel8(0, 6).red, 0);
  EXPECT_EQ(output.Pixel8(kWidth - 1, kHeight - 1).alpha, 0);
}

// When memory runs out part way, the render returns PF_Err_OUT_OF_MEMORY, releases what it
// took, checks everything in and leaves the output as prepared (here: the input copy).
// The address space is limited in a child process; the sanitizers need theirs unlimited.
#if !defined(_WIN32) && !defined(__SANITIZE_ADDRESS__)
long AddressSpaceBytes() {
  FILE* f = std::fopen("/proc/self/statm", "r");
  long pages = 0;
  if (f) {
    if (std::fscanf(f, "%ld", &pages) != 1) pages = 0;
    std::fclose(f);
  }
  return pages * 4096;
}

void RenderWithLittleMemory() {
  constexpr int kBig = 2048;
  qvhost::World input(kBig, kBig, false), output(kBig, kBig, false);
  input.Fill(PF_Pixel{255, 1, 2, 3});
  qvhost::RenderJob job(EntryPointFunc, ModulePipl(), kBig, kBig);
  qvhost::Session& s = job.session();
  s.SetInputLayer(input.def());
  // With glass on the render takes a background image beside the frame image: room for
  // the frame image (16 MB) but not for the background.
  s.value(17).u.bd.value = 1;  // "Glass"
  rlimit limit{};
  limit.rlim_cur = limit.rlim_max = static_cast<rlim_t>(AddressSpaceBytes() + (24 << 20));
  if (setrlimit(RLIMIT_AS, &limit) != 0) std::_Exit(3);
  const PF_Err err = s.Render(&output.def());
  const bool copied = output.Pixel8(kBig - 1, kBig - 1).blue == 3;
  const bool balanced = s.outstanding_checkouts() == 0 &&
                        s.handles().LockCount(s.in_data().sequence_data) == 0;
  std::_Exit(err == PF_Err_OUT_OF_MEMORY && copied && balanced ? 0 : 1);
}

TEST(RenderMemoryTest, OutOfMemoryIsReportedWithTheOutputAsPrepared) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(RenderWithLittleMemory(), ::testing::ExitedWithCode(0), "");
}
#endif

}  // namespace

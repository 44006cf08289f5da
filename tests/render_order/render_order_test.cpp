// The scene as the render hands it to the engine: sorted far to near before drawing,
// except in the "Rough" mode, which draws the triangles in the order the scene was
// assembled; placed by the turns, scale and position; the pendant beyond the ball's pole.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "host/render_job.h"
#include "tests/host/host_fixture.h"
#include "model/ball.h"
#include "model/model_loader.h"
#include "model/transforms.h"
#include "platform/os/page_alloc.h"
#include "shell/resources/pipl_words.h"
#include "shell/sequence_model.h"

extern "C" {
PF_Err EntryPointFunc(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                      PF_ParamDef* params[], PF_LayerDef* output, void* extra);

void __real___Sort(int count, __Triangle3ds* tris, __Point3ds* points);
void __real___RasterScene(unsigned char* dst, unsigned char* src, int width, int height,
                          int stride, int point_count, int tri_count, __Triangle3ds* tris,
                          __Point3ds* points, int origin_x, int origin_y, int mat_count,
                          material3ds* mats, __Texture* textures, int light_count,
                          light3ds* lights, GlassProp* glass);
}

namespace {

// What the engine was handed.
struct Seen {
  int sorts = 0;
  int mode = -1;  // the engine's draw mode at __RasterScene
  std::vector<__Triangle3ds> triangles;
  std::vector<__Point3ds> vertices;
};
Seen g_seen;

}  // namespace

extern "C" void __wrap___Sort(int count, __Triangle3ds* tris, __Point3ds* points) {
  ++g_seen.sorts;
  __real___Sort(count, tris, points);
}

extern "C" void __wrap___RasterScene(unsigned char* dst, unsigned char* src, int width,
                                     int height, int stride, int point_count, int tri_count,
                                     __Triangle3ds* tris, __Point3ds* points, int origin_x,
                                     int origin_y, int mat_count, material3ds* mats,
                                     __Texture* textures, int light_count, light3ds* lights,
                                     GlassProp* glass) {
  g_seen.mode = __GetDrawMode();
  g_seen.triangles.assign(tris, tris + tri_count);
  g_seen.vertices.assign(points, points + point_count);
  __real___RasterScene(dst, src, width, height, stride, point_count, tri_count, tris, points,
                       origin_x, origin_y, mat_count, mats, textures, light_count, lights,
                       glass);
}

namespace {

class RenderOrderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_seen = Seen{};
    static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
    job_ = std::make_unique<qvhost::RenderJob>(
        EntryPointFunc, qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES), 160, 120);
  }

  void RenderWithMode(A_long popup) {
    job_->session().value(2).u.pd.value = popup;
    const qvhost::FrameResult r = job_->RenderFrame(0);
    ASSERT_EQ(r.err, PF_Err_NONE);
    for (const std::string& p : r.problems) ADD_FAILURE() << "host check: " << p;
  }

  std::unique_ptr<qvhost::RenderJob> job_;
};

float DepthSum(const __Triangle3ds& t, const std::vector<__Point3ds>& v) {
  return v[t.a].z + v[t.b].z + v[t.c].z;
}

// The ball as the render builds it before placing it: generated, its pole stood on +y.
struct Ball {
  std::vector<__Point3ds> v;
  float pole_y = 0;  // the largest y, at the lengthened pole
  size_t pole = 0;
};
Ball BuildRenderBall(int width) {
  __Point3ds* bv = nullptr;
  __Triangle3ds* bt = nullptr;
  int vc = 0, tc = 0;
  Ball ball;
  if (!BuildBall(300, 50.0f * width / 200, &bv, &bt, &vc, &tc)) return ball;
  RotatePointsX(0.0f, 0.0f, 1.5707963705062866f, vc, bv);
  ball.v.assign(bv, bv + vc);
  PageFree(bv);
  PageFree(bt);
  for (size_t i = 0; i < ball.v.size(); ++i)
    if (ball.v[i].y > ball.pole_y) ball.pole_y = ball.v[i].y, ball.pole = i;
  return ball;
}

}  // namespace

// ---- Placement ----------------------------------------------------------------------------
// The scene turns about y, then x, then z, then is scaled, then moved to "Position"; each
// only when it changes something. Followed on the ball's pole (0, p, 0), with turns of
// (y, z) -> (y cos - z sin, y sin + z cos) about x and likewise about y and z, the orders
// are told apart by where the pole ends.
TEST_F(RenderOrderTest, PlacementTurnsAboutYThenXThenZThenScalesAndMoves) {
  const Ball ball = BuildRenderBall(160);
  ASSERT_FALSE(ball.v.empty());
  const float p = ball.pole_y;
  struct Case {
    double rot_x, rot_y, rot_z, scale, pos_x, pos_y;
    float x, y, z;  // where the pole ends
  } cases[] = {
      {90, 90, 0, 100, 80, 60, 0, 0, p},             // y leaves it, x stands it on +z
      {90, 0, 90, 100, 80, 60, 0, 0, p},             // x stands it on +z, z leaves it
      {0, 90, 90, 100, 80, 60, -p, 0, 0},            // y leaves it, z lays it on -x
      {90, 90, 0, 50, 90, 65, 10, 5, p / 2},         // then halved and moved by (10, 5)
  };
  for (const Case& c : cases) {
    g_seen = Seen{};
    PF_ParamDef* v = job_->session().values().data();
    v[7].u.ad.value = static_cast<PF_Fixed>(c.rot_x * 65536);
    v[8].u.ad.value = static_cast<PF_Fixed>(c.rot_y * 65536);
    v[9].u.ad.value = static_cast<PF_Fixed>(c.rot_z * 65536);
    v[6].u.fd.value = static_cast<PF_Fixed>(c.scale * 65536);
    v[5].u.td.x_value = static_cast<PF_Fixed>(c.pos_x * 65536);
    v[5].u.td.y_value = static_cast<PF_Fixed>(c.pos_y * 65536);
    RenderWithMode(1);  // "Rough": the vertices reach the engine in their own order
    ASSERT_EQ(g_seen.vertices.size(), ball.v.size());
    const __Point3ds& pole = g_seen.vertices[ball.pole];
    const std::string which = std::to_string(c.rot_x) + "/" + std::to_string(c.rot_y) + "/" +
                              std::to_string(c.rot_z);
    EXPECT_NEAR(pole.x, c.x, 0.01f * p) << which;
    EXPECT_NEAR(pole.y, c.y, 0.01f * p) << which;
    EXPECT_NEAR(pole.z, c.z, 0.01f * p) << which;
  }
}

// This program has no model file beside it, so the scene is the ball alone: in the
// "Rough" mode its triangles reach the engine exactly as the ball generator made them.
TEST_F(RenderOrderTest, RoughModeDrawsTheTrianglesInTheirOwnOrder) {
  RenderWithMode(1);  // "Rough"
  EXPECT_EQ(g_seen.sorts, 0);
  __Point3ds* ball_v = nullptr;
  __Triangle3ds* ball_t = nullptr;
  int vc = 0, tc = 0;
  ASSERT_TRUE(BuildBall(300, 50.0f * 160 / 200, &ball_v, &ball_t, &vc, &tc));
  ASSERT_EQ(static_cast<int>(g_seen.triangles.size()), tc);
  for (int i = 0; i < tc; ++i) {
    ASSERT_EQ(g_seen.triangles[i].a, ball_t[i].a) << "triangle " << i;
    ASSERT_EQ(g_seen.triangles[i].b, ball_t[i].b) << "triangle " << i;
    ASSERT_EQ(g_seen.triangles[i].c, ball_t[i].c) << "triangle " << i;
  }
  PageFree(ball_v);
  PageFree(ball_t);
}

// "Rendering mode" popup values 1 to 7 are the engine's modes 0, 1, 2, 3, 6, 8, 9; any
// other value is Phong (6).
TEST_F(RenderOrderTest, PopupValuesSelectTheEnginesModes) {
  const int expected[][2] = {{1, 0}, {2, 1}, {3, 2}, {4, 3}, {5, 6}, {6, 8}, {7, 9}, {0, 6}, {99, 6}};
  for (const auto& e : expected) {
    g_seen = Seen{};
    RenderWithMode(e[0]);
    EXPECT_EQ(g_seen.mode, e[1]) << "popup " << e[0];
  }
}

TEST_F(RenderOrderTest, EveryOtherModeSortsFarToNearOnce) {
  for (A_long popup : {2, 3, 4, 5, 6, 7, 99}) {
    g_seen = Seen{};
    RenderWithMode(popup);
    EXPECT_EQ(g_seen.sorts, 1) << "popup " << popup;
    ASSERT_FALSE(g_seen.triangles.empty());
    for (size_t i = 1; i < g_seen.triangles.size(); ++i)
      ASSERT_LE(DepthSum(g_seen.triangles[i - 1], g_seen.vertices),
                DepthSum(g_seen.triangles[i], g_seen.vertices))
          << "popup " << popup << ", triangle " << i;
  }
}

// ---- The pendant ------------------------------------------------------------------------
// With the pendant loaded (from the built plug-in folder), its vertices come first in the
// scene, scaled by width / 800 and moved r + width / 25 along +y: beyond the ball's pole.
namespace {

std::string PendantPath() { return PluginPath("Geometry/Toys/Toy01.3dd"); }

PF_Err EntryWithPendant(PF_Cmd cmd, PF_InData* in_data, PF_OutData* out_data,
                        PF_ParamDef* params[], PF_LayerDef* output, void* extra) {
  if (cmd == PF_Cmd_SEQUENCE_SETUP)
    return SetupSequenceRecord(in_data, out_data, PendantPath().c_str());
  return EntryPointFunc(cmd, in_data, out_data, params, output, extra);
}

}  // namespace

TEST(RenderPendantTest, PendantIsScaledToTheFrameAndSetBeyondThePole) {
  constexpr int kWidth = 400, kHeight = 300;
  static const unsigned short kWords[] = {QUORVEL_PIPL_WORDS};
  qvhost::RenderJob job(EntryWithPendant, qvhost::ParsePipl(kWords, QUORVEL_PIPL_BYTES), kWidth,
                        kHeight);
  job.session().value(2).u.pd.value = 1;  // "Rough": vertices in their own order
  job.session().value(9).u.ad.value = 0;  // no turn about z
  g_seen = Seen{};
  ASSERT_EQ(job.RenderFrame(0).err, PF_Err_NONE);

  // The pendant as sequence setup prepares it.
  ModelWishes wishes = {};
  wishes.normals = true;
  LoadedModel model;
  ASSERT_TRUE(LoadModelFile(PendantPath().c_str(), wishes, &model));
  SequenceModel record{model.vertices, model.triangles, model.vertex_count, model.triangle_count};
  PreparePendant(&record);
  const Ball ball = BuildRenderBall(kWidth);
  ASSERT_EQ(g_seen.vertices.size(), static_cast<size_t>(model.vertex_count) + ball.v.size());

  const float radius = 50.0f * kWidth / 200;  // 100 pixels
  const float scale = kWidth / 800.0f, lift = radius + kWidth / 25.0f;  // 0.5 and 116
  float lowest = 1e9f;
  for (int i = 0; i < model.vertex_count; ++i) {
    const __Point3ds& got = g_seen.vertices[static_cast<size_t>(i)];
    const __Point3ds& own = model.vertices[i];
    ASSERT_NEAR(got.x, own.x * scale, 1e-3f) << i;
    ASSERT_NEAR(got.y, own.y * scale + lift, 1e-3f) << i;
    ASSERT_NEAR(got.z, own.z * scale, 1e-3f) << i;
    lowest = std::min(lowest, got.y);
  }
  EXPECT_GT(lowest, ball.pole_y * 0.9f) << "the cap sits at the pole, not inside the ball";
  // The ball's vertices follow, unmoved: the pole stays where the generator put it.
  EXPECT_NEAR(g_seen.vertices[static_cast<size_t>(model.vertex_count) + ball.pole].y,
              ball.pole_y, 1e-3f);
  ReleaseLoadedModel(&model);
}

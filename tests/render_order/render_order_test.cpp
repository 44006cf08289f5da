// The render sorts the scene far to near before drawing, except in the "Rough" mode,
// which draws the triangles in the order the scene was assembled.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "engine/engine.h"
#include "host/render_job.h"
#include "model/ball.h"
#include "model/transforms.h"
#include "platform/os/page_alloc.h"
#include "shell/resources/pipl_words.h"

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

}  // namespace

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

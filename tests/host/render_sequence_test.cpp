// Several frames in a row through the built module: each frame's time reaches the effect's
// layer check-outs, everything checked out is checked in, the sequence handle is unlocked
// and no handle is left behind; a failed check-out only drops its map.
#include <stdexcept>
#include <string>
#include <vector>

#include "host/param_assign.h"
#include "host/world_image.h"
#include "render_support.h"

namespace {

using render_test::RenderTest;

qvhost::Image Checker(int w, int h) {
  qvhost::Image img;
  img.width = w, img.height = h, img.depth = 8;
  img.rgba.resize(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint16_t* p = img.pixel(x, y);
      const bool dark = ((x / 4) + (y / 4)) % 2 != 0;
      p[0] = dark ? 0 : 255, p[1] = dark ? 0 : 255, p[2] = 255, p[3] = 255;
    }
  return img;
}

TEST_F(RenderTest, FramesInARowCheckOutAtTheirTimeAndGiveEverythingBack) {
  // The host takes the layers from the parameter types the effect registered.
  ASSERT_EQ(job_->texture_params(), (std::vector<int>{22, 24, 26, 28, 41}));
  for (int param : job_->texture_params()) job_->SetTextureLayer(param, Checker(32, 16));
  const size_t handles = job_->session().handles().live();
  qvhost::ParamValue from, to;
  std::string error;
  const PF_ParamDef& rotation = job_->session().definitions()[8 - 1];
  ASSERT_TRUE(qvhost::ParseParamValue(rotation, 8, "0", from, error)) << error;
  ASSERT_TRUE(qvhost::ParseParamValue(rotation, 8, "90", to, error)) << error;
  for (int frame = 0; frame < 4; ++frame) {
    SCOPED_TRACE("frame " + std::to_string(frame));
    qvhost::ApplyParamValue(qvhost::Interpolate(from, to, frame / 3.0), Param(8));
    Render(frame);  // fails on any fault the host saw
    const std::vector<qvhost::CheckoutCall>& calls = job_->session().checkouts();
    ASSERT_EQ(calls.size(), 5u);
    const std::vector<PF_ParamIndex> order = {calls[0].index, calls[1].index, calls[2].index,
                                              calls[3].index, calls[4].index};
    EXPECT_EQ(order, (std::vector<PF_ParamIndex>{22, 24, 26, 28, 41}));
    for (const qvhost::CheckoutCall& c : calls) {
      EXPECT_EQ(c.what_time, frame);
      EXPECT_EQ(c.result, PF_Err_NONE);
    }
    EXPECT_EQ(job_->session().checkins(), (std::vector<PF_ParamIndex>{22, 26, 24, 28, 41}));
    EXPECT_EQ(job_->session().outstanding_checkouts(), 0u);
    EXPECT_EQ(job_->session().handles().live(), handles);
  }
  EXPECT_EQ(Param(8).u.ad.value, 90 * 65536) << "the last frame reached the end value";
}

// A layer whose check-out fails is drawn as if no layer were chosen: the render succeeds
// and the frame is the one without that layer.
TEST_F(RenderTest, FailedLayerCheckoutRendersAsWithoutThatLayer) {
  const qvhost::Image without = Render();
  job_->SetTextureLayer(22, Checker(32, 32));
  job_->session().FailCheckout(22, PF_Err_OUT_OF_MEMORY);
  const qvhost::Image failed = Render();
  EXPECT_EQ(failed.rgba, without.rgba);
  const std::vector<PF_ParamIndex>& in = job_->session().checkins();
  EXPECT_EQ(in, (std::vector<PF_ParamIndex>{26, 24, 28, 41})) << "only what was checked out";
}

// A render that the effect refuses (a world it cannot use) still leaves the host's
// records balanced, and the next frame renders normally.
TEST_F(RenderTest, RefusedRenderLeavesTheHostBalanced) {
  qvhost::World narrow(kWidth, kHeight, false);
  narrow.def().rowbytes = 16;
  job_->session().ClearCallRecords();
  EXPECT_EQ(job_->session().Render(&narrow.def()), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(job_->session().outstanding_checkouts(), 0u);
  const qvhost::Image frame = Render();
  EXPECT_EQ(frame.width, kWidth);
}

}  // namespace

namespace {

// The job renders frames into two output worlds in turn: the last frame's world stays as it
// is through the next frame (so it can be written out meanwhile), and a reused world is
// handed over as a new one (padding filled) and holds its own frame alone, the same as a
// new job's.
TEST_F(RenderTest, OutputWorldsTakeTurnsAndAReusedWorldHoldsOnlyItsFrame) {
  const std::vector<uint8_t> filled(static_cast<size_t>(kHeight) * qvhost::kOutputRowPadding,
                                    qvhost::World::kPaddingFill);
  Param(52).u.bd.value = 1;  // "Cut alpha": clears the whole output, its row padding too
  job_->RenderFrame(0, false);
  const qvhost::World* first = job_->last_output();
  ASSERT_NE(first, nullptr);
  const qvhost::Image frame0 = qvhost::ImageFromWorld(*first);
  ASSERT_FALSE(first->Padding() == filled);
  SetAngle(8, 60.0);
  const qvhost::Image frame1 = Render(1);
  const qvhost::World* second = job_->last_output();
  EXPECT_NE(second, first) << "the second frame has a world of its own";
  ASSERT_FALSE(frame1.rgba == frame0.rgba) << "the turn shows in the frame";
  EXPECT_TRUE(qvhost::ImageFromWorld(*first).rgba == frame0.rgba) << "the first frame's world was changed";
  Param(52).u.bd.value = 0;
  Render(2);
  EXPECT_EQ(job_->last_output(), first) << "the third frame reuses the first frame's world";
  EXPECT_TRUE(first->Padding() == filled) << "a reused world comes with its padding filled";
  Param(52).u.bd.value = 1;
  SetAngle(8, 30.0);
  const qvhost::Image reused = Render(3);
  EXPECT_EQ(job_->last_output(), second);
  Open(ModulePath());
  Param(52).u.bd.value = 1;
  SetAngle(8, 30.0);
  const qvhost::Image fresh = Render(3);
  EXPECT_TRUE(reused.rgba == fresh.rgba) << "the reused world holds more than its frame";
  int empty = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) empty += fresh.pixel(x, y)[3] == 0;
  EXPECT_GT(empty, kWidth * kHeight / 4) << "cut alpha leaves most of the frame empty";
  EXPECT_LT(empty, kWidth * kHeight * 9 / 10) << "and the ball is drawn";
}

// A dropped input keeps rendering the same frames from its world; a change of depth then
// needs the input again, and with it the frame is the one a fresh job draws.
TEST_F(RenderTest, DroppedInputKeepsItsFramesAndAsksForItAgainOnADepthChange) {
  const qvhost::Image kept = Render(0);
  job_->DropInputOnceMade();
  job_->SetInput(input_);
  EXPECT_TRUE(Render(0).rgba == kept.rgba);
  EXPECT_TRUE(Render(0).rgba == kept.rgba) << "the dropped input's world stays";
  qvhost::RenderSettings deep = job_->settings();
  deep.deep = true;
  EXPECT_THROW(job_->SetSettings(deep), std::logic_error);
  job_->SetInput(input_);
  job_->SetSettings(deep);
  const qvhost::Image drawn = Render(0);
  Open(ModulePath());
  job_->SetSettings(deep);
  EXPECT_TRUE(drawn.rgba == Render(0).rgba);
}

}  // namespace

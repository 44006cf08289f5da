// Whole frames through the reference host and the built module: what a person sees of the
// default scene, of "Cut alpha", "Rough", a mirrored scene, 16-bit and half-resolution
// frames, and a module without its model file.
#include <cmath>
#include <fstream>
#include <string>

#include "host/world_image.h"
#include "render_support.h"

namespace {

using render_test::RenderTest;
using render_test::Scene;

constexpr double kPi = 3.14159265358979;

// Default parameters: a red ball of radius a quarter of the width, centred on the frame,
// the yellow pendant above it (the default "Rotation Z" of 180 degrees turns the pendant
// from below the ball, +y, to above it), and everywhere else the input, pixel for pixel.
TEST_F(RenderTest, DefaultsDrawARedBallWithThePendantAboveItOverTheInput) {
  const qvhost::Image frame = Render();
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  ASSERT_EQ(frame.width, kWidth);
  ASSERT_EQ(frame.height, kHeight);

  EXPECT_EQ(render_test::ChangedAwayFromScene(frame, input_, scene), 0);
  EXPECT_EQ(job_->last_output()->Padding(),
            std::vector<uint8_t>(kHeight * qvhost::kOutputRowPadding, qvhost::World::kPaddingFill))
      << "nothing is written past the width of a row";

  // Inside the ball every pixel is red-dominated (lit red, its white highlight, or the
  // black of its unlit side), and most of it is plainly red.
  int inside = 0, red = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double dx = x + 0.5 - scene.cx, dy = y + 0.5 - scene.cy;
      if (dx * dx + dy * dy > 0.81 * scene.r * scene.r) continue;
      const uint16_t* p = frame.pixel(x, y);
      ++inside;
      EXPECT_TRUE(p[0] >= p[1] && p[0] >= p[2]) << "at " << x << "," << y;
      if (p[0] > 2 * p[1] + 40 && p[0] > 2 * p[2] + 40) ++red;
    }
  EXPECT_GT(red, inside / 3);

  const render_test::PendantPixels pendant = render_test::FindPendant(frame, scene.cx);
  EXPECT_GT(pendant.count, 100);
  EXPECT_LT(pendant.max_y, scene.cy - scene.r) << "the pendant hangs above the ball";
  EXPECT_LT(std::fabs(pendant.min_dx + pendant.max_dx), 4.0) << "centred on the ball";
}

// The covered area of the ball, from the coverage "Cut alpha" leaves in the alpha channel,
// is pi r^2 within 2 % (the lengthened pole adds a little, the polygon's edges take a
// little), and it is centred on the frame.
TEST_F(RenderTest, BallCoversPiRSquaredAroundTheCentre) {
  Param(52).u.bd.value = 1;  // "Cut alpha"
  const qvhost::Image cut = Render();
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  const render_test::Coverage c = render_test::BallCoverage(cut, scene);
  EXPECT_NEAR(c.area / (kPi * scene.r * scene.r), 1.0, 0.02);
  EXPECT_NEAR(c.cx, scene.cx, 1.0);
  EXPECT_NEAR(c.cy, scene.cy, 2.0) << "the lengthened pole pulls it a little up";
}

// "Cut alpha": the output starts empty, so nothing outside the scene survives, in any
// channel; the ball itself is opaque.
TEST_F(RenderTest, CutAlphaLeavesZerosOutsideTheScene) {
  Param(52).u.bd.value = 1;
  const qvhost::Image frame = Render();
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  int nonzero = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (!scene.Near(x, y))
        for (int c = 0; c < 4; ++c) nonzero += frame.pixel(x, y)[c] != 0;
  EXPECT_EQ(nonzero, 0);
  EXPECT_EQ(frame.pixel(kWidth / 2, kHeight / 2)[3], 255);
  EXPECT_EQ(frame.pixel(kWidth / 2 + 50, kHeight / 2 + 20)[3], 255);
}

// "Scale" -100 negates every position: the pendant ends up below the ball.
TEST_F(RenderTest, NegativeScaleMirrorsTheScene) {
  SetFixed(6, -100.0);
  const qvhost::Image frame = Render();
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  const render_test::PendantPixels pendant = render_test::FindPendant(frame, scene.cx);
  EXPECT_GT(pendant.count, 100);
  EXPECT_GT(pendant.min_y, scene.cy + scene.r) << "the pendant hangs below the ball";
  EXPECT_EQ(render_test::ChangedAwayFromScene(frame, input_, scene, /*pendant_below=*/true), 0);
}

// "Rough" outlines triangles in the inverted colours of the background, straight into the
// output and in no particular order (it is the one mode that is not sorted). Whatever it
// draws, the render succeeds, the rest is the input copy, and every changed pixel is the
// background inverted with full alpha.
TEST_F(RenderTest, RoughModeKeepsTheInputCopyAndOnlyInvertsPixels) {
  Param(2).u.pd.value = 1;  // "Rough"
  const qvhost::Image frame = Render();
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  EXPECT_EQ(render_test::ChangedAwayFromScene(frame, input_, scene), 0);
  int odd = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (render_test::SamePixel(frame, input_, x, y)) continue;
      const uint16_t* p = frame.pixel(x, y);
      const uint16_t* q = input_.pixel(x, y);
      odd += !(p[0] == 255 - q[0] && p[1] == 255 - q[1] && p[2] == 255 - q[2] && p[3] == 255);
    }
  EXPECT_EQ(odd, 0);
}

// A 16-bit render (rows of the host's worlds halved into 16-bit units by the effect) shows
// the same picture as the 8-bit one, within 2 levels of 255 in every channel, away from
// the scene's edges and inside the ball, but for the odd seam pixel. Along the edges the anti-aliased seams differ by
// design: the rule that merges the coverage of two nearly equal colours tolerates 20 levels
// of 255 at 8 bits but 20 x 256 of 32768 (about 40 of 255) at 16 bits.
TEST_F(RenderTest, SixteenBitFrameMatchesTheEightBitFrame) {
  const qvhost::Image eight = Render();
  qvhost::RenderSettings deep;
  deep.deep = true;
  job_->SetSettings(deep);
  const qvhost::Image sixteen = Render();
  ASSERT_EQ(sixteen.depth, 16);
  EXPECT_TRUE(job_->last_output()->deep());
  EXPECT_EQ(job_->last_output()->Padding(),
            std::vector<uint8_t>(kHeight * qvhost::kOutputRowPadding, qvhost::World::kPaddingFill));
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  const qvhost::Image deep_input =
      qvhost::ImageFromWorld(*qvhost::WorldFromImage(input_, true, 0));
  EXPECT_EQ(render_test::ChangedAwayFromScene(sixteen, deep_input, scene), 0)
      << "the input copy is exact at 16 bits too";
  int compared = 0, worst = 0, seams = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double dx = x + 0.5 - scene.cx, dy = y + 0.5 - scene.cy;
      const bool interior = dx * dx + dy * dy < (scene.r - 3) * (scene.r - 3);
      if (!interior && scene.Near(x, y)) continue;
      ++compared;
      for (int c = 0; c < 4; ++c) {
        const int as8 = static_cast<int>(std::lround(sixteen.pixel(x, y)[c] * 255.0 / 65535.0));
        const int d = std::abs(as8 - eight.pixel(x, y)[c]);
        worst = std::max(worst, d);
        seams += d > 2;
      }
    }
  EXPECT_GT(compared, kWidth * kHeight / 2);
  // Inside the ball the triangles' seams are composited too: where a seam crosses the
  // highlight a few pixels fall under one depth's merge rule and not the other's.
  EXPECT_LE(seams, compared / 1000) << "largest difference " << worst;
  EXPECT_LE(worst, 40);
}

// Half resolution: the frame is half the layer's size (rounded up), and the scene is the
// same picture at half the size: the ball's radius is a quarter of the smaller frame.
TEST_F(RenderTest, HalfResolutionRendersTheSameSceneAtHalfTheSize) {
  qvhost::RenderSettings half;
  half.downsample = 2;
  job_->SetSettings(half);
  Param(52).u.bd.value = 1;
  const qvhost::Image cut = Render();
  ASSERT_EQ(cut.width, kWidth / 2);
  ASSERT_EQ(cut.height, kHeight / 2);
  const Scene scene = render_test::DefaultScene(cut.width, cut.height);
  const render_test::Coverage c = render_test::BallCoverage(cut, scene);
  EXPECT_NEAR(c.area / (kPi * scene.r * scene.r), 1.0, 0.03);
  EXPECT_NEAR(c.cx, scene.cx, 1.0);
  EXPECT_NEAR(c.cy, scene.cy, 1.5);
  EXPECT_EQ(job_->session().in_data().width, kWidth) << "in_data keeps the layer's size";
}

// An odd layer size at half resolution rounds the frame up.
TEST_F(RenderTest, DownsampledFrameSizeRoundsUp) {
  Open(ModulePath(), 161, 99);
  qvhost::RenderSettings third;
  third.downsample = 3;
  job_->SetSettings(third);
  const qvhost::Image frame = Render();
  EXPECT_EQ(frame.width, 54);
  EXPECT_EQ(frame.height, 33);
}

std::string CopyModuleAlone() {
  const std::string path = WorkPath("Quorvel64.AEX");
  std::ifstream in(ModulePath(), std::ios::binary);
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << in.rdbuf();
  return path;
}

// A module without its Geometry folder beside it renders the ball without the pendant.
TEST_F(RenderTest, MissingModelFileRendersTheBallAlone) {
  Open(CopyModuleAlone());
  const qvhost::Image frame = Render();
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  EXPECT_EQ(render_test::FindPendant(frame, scene.cx).count, 0);
  Param(52).u.bd.value = 1;
  const render_test::Coverage c = render_test::BallCoverage(Render(), scene);
  EXPECT_NEAR(c.area / (kPi * scene.r * scene.r), 1.0, 0.02);
}

}  // namespace

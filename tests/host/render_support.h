// What the render tests share: a job over the built module with a known input, and the
// measures a person would take of a frame: where the red ball and the yellow pendant are,
// how much of the frame they cover, and whether the rest is the input, pixel for pixel.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "host/image.h"
#include "host/module.h"
#include "host/render_job.h"
#include "host_fixture.h"

namespace render_test {

// The pendant's pixels: yellow (red and green both strong, blue weak).
inline bool IsPendant(const uint16_t* p, double full) {
  return p[0] > 0.2 * full && p[1] > 0.5 * p[0] && p[2] < 0.5 * p[1];
}

// The scene as seen in a frame of w x h with the ball's centre (cx, cy) and radius r.
struct Scene {
  double cx, cy, r;
  // Pixels near enough the ball or on the pendant's side of it to be touched by the scene:
  // the ball's disc widened by a fifth (its lengthened pole reaches 1.1 r), and the column
  // above it (below it when `pendant_below`) where the pendant hangs.
  bool Near(int x, int y, bool pendant_below = false) const {
    const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
    if (dx * dx + dy * dy < 1.44 * r * r) return true;
    const bool pendant_side = pendant_below ? dy > 0 : dy < 0;
    return pendant_side && std::fabs(dx) < 0.5 * r;
  }
};

inline Scene DefaultScene(int width, int height) {
  return Scene{width / 2.0, height / 2.0, width / 4.0};
}

// Where the yellow pixels lie.
struct PendantPixels {
  int count = 0;
  int min_y = 1 << 30, max_y = -1;
  double min_dx = 1e9, max_dx = -1e9;  // from the centre column
};

inline PendantPixels FindPendant(const qvhost::Image& frame, double cx) {
  const double full = frame.depth == 16 ? 65535.0 : 255.0;
  PendantPixels p;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      if (!IsPendant(frame.pixel(x, y), full)) continue;
      ++p.count;
      p.min_y = std::min(p.min_y, y), p.max_y = std::max(p.max_y, y);
      p.min_dx = std::min(p.min_dx, x + 0.5 - cx), p.max_dx = std::max(p.max_dx, x + 0.5 - cx);
    }
  return p;
}

// The ball's covered area and its centre, from the alpha of a frame rendered with "Cut
// alpha" (alpha is the coverage there, 0 where nothing was drawn). Pendant pixels and rows
// beyond the ball's lengthened pole on the pendant's side are left out.
struct Coverage {
  double area = 0, cx = 0, cy = 0;
};

inline Coverage BallCoverage(const qvhost::Image& cut, const Scene& scene) {
  const double full = cut.depth == 16 ? 65535.0 : 255.0;
  const int first_row = static_cast<int>(scene.cy - 1.1 * scene.r);
  Coverage c;
  for (int y = std::max(0, first_row); y < cut.height; ++y)
    for (int x = 0; x < cut.width; ++x) {
      const uint16_t* p = cut.pixel(x, y);
      if (IsPendant(p, full)) continue;
      const double a = p[3] / full;
      c.area += a, c.cx += a * (x + 0.5), c.cy += a * (y + 0.5);
    }
  if (c.area > 0) c.cx /= c.area, c.cy /= c.area;
  return c;
}

inline bool SamePixel(const qvhost::Image& a, const qvhost::Image& b, int x, int y) {
  return std::equal(a.pixel(x, y), a.pixel(x, y) + 4, b.pixel(x, y));
}

// Pixels away from the scene that differ from the input (should be none).
inline int ChangedAwayFromScene(const qvhost::Image& frame, const qvhost::Image& input,
                                const Scene& scene, bool pendant_below = false) {
  int changed = 0;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      if (!scene.Near(x, y, pendant_below) && !SamePixel(frame, input, x, y)) ++changed;
  return changed;
}

// A test over the built module with a job for a small layer and a known opaque input
// (the built-in gradient with its grid: every pixel is checked against it).
class RenderTest : public ::testing::Test {
 protected:
  static constexpr int kWidth = 400;
  static constexpr int kHeight = 300;

  void SetUp() override { Open(ModulePath()); }

  void Open(const std::string& module_path, int width = kWidth, int height = kHeight) {
    job_.reset();
    job_ = std::make_unique<qvhost::RenderJob>(qvhost::Module::Load(module_path), width, height);
    input_ = qvhost::MakeBackground(width, height, 8);
    job_->SetInput(input_);
  }

  // Renders frame 0 and expects success with no fault in the effect's use of the host.
  qvhost::Image Render(int frame = 0) {
    qvhost::FrameResult r = job_->RenderFrame(frame);
    EXPECT_EQ(r.err, PF_Err_NONE);
    for (const std::string& p : r.problems) ADD_FAILURE() << "host check: " << p;
    return r.image;
  }

  PF_ParamDef& Param(int index) { return job_->session().value(index); }
  void SetFixed(int index, double v) {
    Param(index).u.fd.value = static_cast<PF_Fixed>(std::lround(v * 65536));
  }
  void SetAngle(int index, double degrees) {
    Param(index).u.ad.value = static_cast<PF_Fixed>(std::lround(degrees * 65536));
  }

  std::unique_ptr<qvhost::RenderJob> job_;
  qvhost::Image input_;
};

}  // namespace render_test

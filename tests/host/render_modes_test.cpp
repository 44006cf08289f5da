// Every choice of "Rendering mode" through the built module and the reference host: each
// draws the ball; "Rough" inverts exactly the colour under its lines; "Bezier" rounds a
// coarse ball; and the surface modes leave no pinholes where a pole faces the viewer.
#include <cmath>
#include <string>

#include "render_support.h"

namespace {

using render_test::RenderTest;
using render_test::Scene;

constexpr const char* kModeNames[] = {"Rough", "Line", "Wire", "Flat", "Phong", "Patches",
                                      "Bezier"};

int ChangedNearScene(const qvhost::Image& frame, const qvhost::Image& input, const Scene& s) {
  int changed = 0;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x)
      changed += s.Near(x, y) && !render_test::SamePixel(frame, input, x, y);
  return changed;
}

// Each choice changes the frame near the ball and nowhere else, by at least: the ball's disc
// (pi r^2, r = 100: 31416 pixels) less a little of its soft rim for the filled modes; the
// lines of the front faces for the line modes (a thin outline of every face for "Rough",
// thick shaded lines for "Line" and "Wire").
TEST_F(RenderTest, EveryRenderingModeDrawsTheBall) {
  const int at_least[] = {5000, 10000, 10000, 30000, 30000, 30000, 30000};
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  for (int choice = 1; choice <= 7; ++choice) {
    Param(2).u.pd.value = choice;
    const qvhost::Image frame = Render();
    const char* name = kModeNames[choice - 1];
    EXPECT_GE(ChangedNearScene(frame, input_, scene), at_least[choice - 1]) << name;
    EXPECT_EQ(render_test::ChangedAwayFromScene(frame, input_, scene), 0) << name;
  }
}

// "Rough" over a flat colour: every changed pixel is exactly that colour inverted, at full
// alpha, and the lines number thousands of pixels. It draws in a fresh process too, where no
// render has set up a z-buffer before (each test runs in a process of its own natively).
TEST_F(RenderTest, RoughDrawsExactlyTheInvertedColour) {
  qvhost::Image flat = qvhost::MakeBackground(kWidth, kHeight, 8);
  for (size_t i = 0; i < flat.rgba.size(); i += 4)
    flat.rgba[i] = 40, flat.rgba[i + 1] = 90, flat.rgba[i + 2] = 200, flat.rgba[i + 3] = 255;
  job_->SetInput(flat);
  Param(2).u.pd.value = 1;  // "Rough"
  const qvhost::Image frame = Render();
  int changed = 0, other = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      if (render_test::SamePixel(frame, flat, x, y)) continue;
      ++changed;
      const uint16_t* p = frame.pixel(x, y);
      other += !(p[0] == 215 && p[1] == 165 && p[2] == 55 && p[3] == 255);
    }
  EXPECT_GE(changed, 5000);
  EXPECT_EQ(other, 0);
}

// Where the alpha of a "Cut alpha" frame falls below half, walking out from the centre, at
// every degree of the two sides (the pendant above and the lengthened pole below are left
// out): how much that radius varies around the outline.
double SilhouetteSpread(const qvhost::Image& cut, const Scene& scene) {
  double lo = 1e9, hi = 0;
  for (int side : {0, 180})
    for (int k = -60; k <= 60; ++k) {
      const double a = (side + k) * 3.14159265358979 / 180.0;
      double r = 0;
      for (;; r += 0.25) {
        const int x = static_cast<int>(scene.cx + r * std::cos(a));
        const int y = static_cast<int>(scene.cy + r * std::sin(a));
        if (x < 0 || y < 0 || x >= cut.width || y >= cut.height || cut.pixel(x, y)[3] < 128)
          break;
      }
      lo = std::min(lo, r), hi = std::max(hi, r);
    }
  return hi - lo;
}

// "Faces number" 30 makes a coarse ball whose outline is a polygon in "Flat"; "Bezier" on
// the same mesh draws the curved surface its normals describe, and its outline varies in
// radius little more than half as much (measured: 10 pixels against 4.5 at r = 100).
TEST_F(RenderTest, BezierRoundsACoarseBall) {
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  Param(52).u.bd.value = 1;  // "Cut alpha"
  Param(3).u.sd.value = 30;  // "Faces number"
  Param(2).u.pd.value = 4;  // "Flat"
  const double flat = SilhouetteSpread(Render(), scene);
  Param(2).u.pd.value = 7;  // "Bezier"
  const double bezier = SilhouetteSpread(Render(), scene);
  EXPECT_GT(flat, 5.0);
  EXPECT_LT(bezier, 0.6 * flat) << "flat " << flat;
}

// "Patches" and "Bezier" with either pole turned to the viewer ("Rotation X" 90 or -90), on a
// coarse and a fine ball, at both qualities and depths: every pixel inside nine tenths of
// the ball is opaque in a "Cut alpha" frame, where nothing under the surface could hide a
// pinhole. (A pixel centred exactly on a shared edge may take its coverage from both
// triangles' fringes, 254 of 255 by rounding: opaque to the eye, so 99 % counts.)
TEST_F(RenderTest, SurfaceModesLeaveNoPinholesAtThePoles) {
  const Scene scene = render_test::DefaultScene(kWidth, kHeight);
  Param(52).u.bd.value = 1;
  for (int faces : {30, 1000})
    for (int choice : {6, 7})
      for (double rotation : {90.0, -90.0})
      for (bool high : {true, false})
        for (bool deep : {false, true}) {
          Param(2).u.pd.value = choice;
          Param(3).u.sd.value = faces;
          SetAngle(7, rotation);
          qvhost::RenderSettings settings;
          settings.high_quality = high, settings.deep = deep;
          job_->SetSettings(settings);
          const qvhost::Image cut = Render();
          const int full = deep ? 65535 : 255;
          int inside = 0, holes = 0;
          for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
              const double dx = x + 0.5 - scene.cx, dy = y + 0.5 - scene.cy;
              if (dx * dx + dy * dy > 0.81 * scene.r * scene.r) continue;
              ++inside;
              if (cut.pixel(x, y)[3] < 0.99 * full && ++holes <= 3)
                ADD_FAILURE() << "alpha " << cut.pixel(x, y)[3] << " at " << x << "," << y;
            }
          EXPECT_GT(inside, 25000);
          EXPECT_EQ(holes, 0) << faces << " faces " << kModeNames[choice - 1] << " rotation " << rotation
                              << (high ? " high" : " low") << (deep ? " 16-bit" : " 8-bit");
        }
}

}  // namespace

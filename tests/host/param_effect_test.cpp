// Every material parameter does its own work: changed alone from its default, each changes
// the frame, a ball parameter only where the ball is and a pendant parameter only where the
// pendant is (each object's place learnt by making it wholly transparent, widened by two
// pixels of soft edge), and no two parameters give the same frame (highlight size and
// highlight strength are not interchangeable).
#include <functional>
#include <vector>

#include "render_support.h"

namespace {

using render_test::RenderTest;

// Pixels that differ between two frames.
std::vector<bool> Changed(const qvhost::Image& a, const qvhost::Image& b) {
  std::vector<bool> changed(static_cast<size_t>(a.width) * a.height);
  for (int y = 0; y < a.height; ++y)
    for (int x = 0; x < a.width; ++x)
      changed[static_cast<size_t>(y) * a.width + x] = !render_test::SamePixel(a, b, x, y);
  return changed;
}

// The mask widened by `r` pixels.
std::vector<bool> Widened(const std::vector<bool>& mask, int w, int h, int r) {
  std::vector<bool> out(mask.size());
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int dy = -r; dy <= r && !out[static_cast<size_t>(y) * w + x]; ++dy)
        for (int dx = -r; dx <= r; ++dx) {
          const int u = x + dx, v = y + dy;
          if (u >= 0 && v >= 0 && u < w && v < h && mask[static_cast<size_t>(v) * w + u])
            out[static_cast<size_t>(y) * w + x] = true;
        }
  return out;
}

TEST_F(RenderTest, EveryMaterialParameterDoesItsOwnWork) {
  const qvhost::Image base = Render();
  auto colour = [&](int index, int r, int g, int b) {
    Param(index).u.cd.value.red = static_cast<A_u_char>(r);
    Param(index).u.cd.value.green = static_cast<A_u_char>(g);
    Param(index).u.cd.value.blue = static_cast<A_u_char>(b);
  };
  // The place of each object: where it shows, learnt by making it wholly transparent.
  std::vector<bool> place[2];
  for (int object = 0; object < 2; ++object) {
    const int transparency = object == 0 ? 16 : 36;
    const PF_ParamDef kept = Param(transparency);
    SetFixed(transparency, 100);
    place[object] = Widened(Changed(base, Render()), kWidth, kHeight, 2);
    Param(transparency) = kept;
  }
  // Each parameter of the ball (11..16) and of the pendant (31..36), set and put back.
  std::vector<qvhost::Image> frames;
  for (int object = 0; object < 2; ++object)
    for (int k = 0; k < 6; ++k) {
      const int index = (object == 0 ? 11 : 31) + k;
      const PF_ParamDef kept = Param(index);
      if (k < 2)
        colour(index, 40, 200, 90);
      else
        SetFixed(index, k == 3 ? 300 : 60);
      frames.push_back(Render());
      Param(index) = kept;
      const std::vector<bool> changed = Changed(base, frames.back());
      int inside = 0, outside = 0;
      for (size_t i = 0; i < changed.size(); ++i)
        if (changed[i]) ++(place[object][i] ? inside : outside);
      EXPECT_GT(inside, 50) << "parameter " << index << " changes nothing";
      EXPECT_EQ(outside, 0) << "parameter " << index << " changes the other object or the layer";
    }
  for (size_t a = 0; a < frames.size(); ++a)
    for (size_t b = a + 1; b < frames.size(); ++b)
      EXPECT_NE(frames[a].rgba, frames[b].rgba) << "frames " << a << " and " << b << " alike";
}

}  // namespace

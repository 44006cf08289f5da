// Every parameter does its own work: changed alone from its default, each changes the
// frame, a ball parameter only where the ball is and a pendant parameter only where the
// pendant is (each object's place learnt by making it wholly transparent, widened by two
// pixels of soft edge), a light parameter only where either is, and a geometry parameter
// only where the scene lies before or after the change (learnt from the coverage of a
// "Cut alpha" render). No two material parameters give the same frame (highlight size and
// highlight strength are not interchangeable).
#include <functional>
#include <string>
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

TEST_F(RenderTest, EveryGeometryLightAndGlassParameterDoesItsOwnWork) {
  enum Where { kBall, kPendant, kObjects, kScene };
  auto fixed = [](double v) {
    return [v](PF_ParamDef& p) { p.u.fd.value = std::lround(v * 65536); };
  };
  auto on = [](int v) { return [v](PF_ParamDef& p) { p.u.bd.value = v; }; };
  const struct {
    int index;
    std::function<void(PF_ParamDef&)> set;
    int with;  // a checkbox on for both frames (glass), or 0
    Where where;
  } kParams[] = {
      {2, [](PF_ParamDef& p) { p.u.pd.value = 4; }, 0, kScene},
      {3, [](PF_ParamDef& p) { p.u.sd.value = 60; }, 0, kScene},
      {4, fixed(40), 0, kScene},
      {5, [](PF_ParamDef& p) { p.u.td.x_value += 30 << 16; }, 0, kScene},
      {6, fixed(80), 0, kScene},
      {7, fixed(30), 0, kScene},
      {8, fixed(30), 0, kScene},
      {9, fixed(150), 0, kScene},
      {17, on(1), 0, kBall},
      {18, on(1), 17, kBall},
      {19, fixed(-20), 17, kBall},
      {20, fixed(30), 17, kBall},
      {21, fixed(60), 17, kBall},
      {37, on(1), 0, kPendant},
      {38, fixed(-20), 37, kPendant},
      {39, fixed(50), 37, kPendant},
      {40, fixed(60), 37, kPendant},
      {46, fixed(60), 0, kObjects},
      {47, [](PF_ParamDef& p) { p.u.cd.value.blue = 0; }, 0, kObjects},
      {48, fixed(90), 0, kObjects},
      {49, fixed(10), 0, kObjects},
      {50, on(0), 0, kObjects},
  };
  const qvhost::Image plain = Render();
  std::vector<bool> place[2];  // the ball's and the pendant's, as above
  for (int object = 0; object < 2; ++object) {
    const PF_ParamDef kept = Param(object == 0 ? 16 : 36);
    SetFixed(object == 0 ? 16 : 36, 100);
    place[object] = Widened(Changed(plain, Render()), kWidth, kHeight, 2);
    Param(object == 0 ? 16 : 36) = kept;
  }
  // Where a "Cut alpha" render of the present settings draws anything.
  auto drawn = [&](std::vector<bool>& mask) {
    Param(52).u.bd.value = 1;
    const qvhost::Image cut = Render();
    Param(52).u.bd.value = 0;
    for (size_t i = 0; i < mask.size(); ++i) mask[i] = mask[i] || cut.rgba[4 * i + 3] != 0;
  };
  for (const auto& p : kParams) {
    const std::string name = "parameter " + std::to_string(p.index);
    if (p.with) Param(p.with).u.bd.value = 1;
    const PF_ParamDef kept = Param(p.index);
    std::vector<bool> where(place[0].size());
    if (p.where == kScene) drawn(where);
    const qvhost::Image base = Render();
    p.set(Param(p.index));
    if (p.where == kScene) drawn(where);
    const std::vector<bool> changed = Changed(base, Render());
    Param(p.index) = kept;
    if (p.with) Param(p.with).u.bd.value = 0;
    if (p.where == kScene) where = Widened(where, kWidth, kHeight, 2);
    int inside = 0, outside = 0;
    for (size_t i = 0; i < changed.size(); ++i) {
      const bool in = p.where == kScene     ? where[i]
                      : p.where == kObjects ? place[0][i] || place[1][i]
                                            : place[p.where][i];
      if (changed[i]) ++(in ? inside : outside);
    }
    EXPECT_GT(inside, 50) << name << " changes nothing";
    EXPECT_EQ(outside, 0) << name << " changes where it has no business";
  }
}

}  // namespace

// Maps keep their orientation: a colour, bump, opacity or reflection map whose top half
// differs from its bottom half changes mostly the upper half of the ball's disc, against
// the same map with its bottom half everywhere (the map's top half, the northern latitudes,
// reaches a little below the disc's centre: about three changed pixels above for one
// below); a mirrored map would change mostly the lower half instead.
#include <cstdlib>
#include <functional>

#include "render_support.h"

namespace {

using render_test::RenderTest;

using Texel = std::function<void(int x, int y, uint16_t* rgba)>;

qvhost::Image MapImage(const Texel& texel) {
  qvhost::Image image;
  image.width = image.height = 64;
  image.rgba.resize(64 * 64 * 4);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) texel(x, y, image.pixel(x, y));
  return image;
}

void Set(uint16_t* p, uint16_t r, uint16_t g, uint16_t b) {
  p[0] = r, p[1] = g, p[2] = b, p[3] = 255;
}

TEST_F(RenderTest, MapsKeepTheirOrientation) {
  const Texel green = [](int, int, uint16_t* p) { Set(p, 0, 255, 0); };
  const Texel blue = [](int, int, uint16_t* p) { Set(p, 0, 0, 255); };
  const Texel white = [](int, int, uint16_t* p) { Set(p, 255, 255, 255); };
  const Texel black = [](int, int, uint16_t* p) { Set(p, 0, 0, 0); };
  const Texel stripes = [](int x, int, uint16_t* p) {
    const uint16_t v = x / 4 % 2 ? 255 : 0;
    Set(p, v, v, v);
  };
  const Texel grey = [](int, int, uint16_t* p) { Set(p, 128, 128, 128); };
  const struct {
    int layer;
    Texel top, bottom;
  } kMaps[] = {{22, green, blue}, {24, stripes, grey}, {26, white, black}, {28, green, blue}};
  const render_test::Scene scene = render_test::DefaultScene(kWidth, kHeight);
  for (const auto& m : kMaps) {
    job_->SetTextureLayer(m.layer, MapImage([&](int x, int y, uint16_t* p) {
                            (y < 32 ? m.top : m.bottom)(x, y, p);
                          }));
    const qvhost::Image halves = Render();
    job_->SetTextureLayer(m.layer, MapImage(m.bottom));
    const qvhost::Image plain = Render();
    int upper = 0, lower = 0;  // changed pixels of the ball's disc above and below its centre
    for (int y = 0; y < kHeight; ++y)
      for (int x = 0; x < kWidth; ++x) {
        const double dx = x + 0.5 - scene.cx, dy = y + 0.5 - scene.cy;
        if (dx * dx + dy * dy > scene.r * scene.r) continue;
        bool changed = false;
        for (int k = 0; k < 3; ++k)
          changed |= std::abs(halves.pixel(x, y)[k] - plain.pixel(x, y)[k]) > 8;
        (dy < 0 ? upper : lower) += changed;
      }
    EXPECT_GT(upper, 2000) << "layer " << m.layer;
    EXPECT_GT(upper, 2 * lower) << "layer " << m.layer << ": " << upper << " above, " << lower
                                << " below";
    job_->ClearTextureLayer(m.layer);
  }
}

}  // namespace

// panel_art BALL.png BOLD.ttf REGULAR.ttf OUTDIR: draws the information panel's seven
// bitmaps into OUTDIR as bitmap_779.bmp .. bitmap_785.bmp: the banner (a rendered ball, the
// effect's name and its maker) and the help, about and web buttons, each normal and lit.
// Each button is painted over the part of the banner it covers, so its corners blend in.
#include <cstdio>
#include <string>

#include "host/image.h"
#include "tools/pictures/canvas.h"
#include "tools/pictures/text.h"

namespace {

using qvpic::Canvas;
using qvpic::Colour;

constexpr int kBannerWidth = 391, kBannerHeight = 123;
// The ball image is rendered at four times the size it is shown.
constexpr int kBallFactor = 4;

const Colour kNight = {0.05f, 0.07f, 0.16f};
const Colour kDusk = {0.16f, 0.10f, 0.27f};
const Colour kGold = {0.96f, 0.78f, 0.34f};
const Colour kWhite = {1, 1, 1};
const Colour kMist = {0.78f, 0.80f, 0.88f};

struct Fonts {
  qvpic::Font bold, regular;
};

// Snow: small soft dots from a fixed sequence, the same on every run.
void Snow(Canvas& c) {
  unsigned seed = 20261207u;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return (seed >> 8) / 16777216.0f;
  };
  for (int i = 0; i < 70; ++i) {
    const float x = next() * c.width, y = next() * c.height, r = 0.6f + next() * 1.2f;
    qvpic::Disc(c, x, y, r, kWhite, 0.25f + next() * 0.45f);
  }
}

// The largest size up to `size` at which text fits `width` pixels.
float FittingSize(const qvpic::Font& font, const std::string& text, float size, float width) {
  while (size > 6 && qvpic::TextWidth(font, text, size) > width) size -= 0.5f;
  return size;
}

Canvas Banner(const qvhost::Image& ball, const Fonts& fonts) {
  Canvas c = qvpic::MakeCanvas(kBannerWidth, kBannerHeight, kNight);
  qvpic::VerticalGradient(c, kNight, kDusk);
  Snow(c);
  qvpic::PlaceImage(c, ball, 62 - ball.width / kBallFactor / 2, 4, ball.width / kBallFactor,
                    ball.height / kBallFactor);
  const float title = FittingSize(fonts.bold, "Glissel", 34, 104);
  qvpic::DrawText(c, fonts.bold, "Glissel", title, 124, 52, kWhite, 1);
  qvpic::DrawText(c, fonts.regular, "by Quorvel", 15, 126, 74, kGold, 1);
  qvpic::DrawText(c, fonts.regular, "a festive ball", 11, 126, 94, kMist, 0.9f);
  qvpic::DrawText(c, fonts.regular, "for your layers", 11, 126, 107, kMist, 0.9f);
  qvpic::RoundedRect(c, 0, kBannerHeight - 3, kBannerWidth, kBannerHeight, 0, kGold, kGold, 0.8f);
  return c;
}

// The part of the banner a button covers (background beyond the banner: its last colour).
Canvas Crop(const Canvas& banner, int dx, int dy, int width, int height) {
  Canvas c = qvpic::MakeCanvas(width, height, kDusk);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      if (dx + x < banner.width && dy + y < banner.height)
        c.pixels[static_cast<size_t>(y) * width + x] =
            banner.pixels[static_cast<size_t>(dy + y) * banner.width + dx + x];
  return c;
}

enum class Icon { kQuestion, kInfo, kGlobe };

struct ButtonSpec {
  int normal_id, dx, dy, width, height;
  const char* label;
  Icon icon;
};

// The colours of a button's face, glyphs and rim, normal or lit.
struct Look {
  Colour face_top, face_bottom, ink, rim;
  float face_opacity;
};

Look LookOf(bool lit) {
  if (lit) return {{1.0f, 0.88f, 0.52f}, {0.92f, 0.60f, 0.18f}, {0.10f, 0.08f, 0.20f}, kWhite, 1};
  return {{0.32f, 0.34f, 0.52f}, {0.18f, 0.18f, 0.34f}, kMist, {0.55f, 0.57f, 0.75f}, 0.85f};
}

void DrawIcon(Canvas& c, Icon icon, float cx, float cy, float r, const Look& look, const Fonts& fonts) {
  qvpic::Ring(c, cx, cy, r, 2.0f, look.ink, 1);
  switch (icon) {
    case Icon::kQuestion:
    case Icon::kInfo: {
      const std::string glyph = icon == Icon::kQuestion ? "?" : "i";
      const float size = r * 1.5f;
      qvpic::DrawText(c, fonts.bold, glyph, size, cx - qvpic::TextWidth(fonts.bold, glyph, size) / 2,
                    cy + size * 0.36f, look.ink, 1);
      break;
    }
    case Icon::kGlobe:
      qvpic::RoundedRect(c, cx - r, cy - 0.75f, cx + r, cy + 0.75f, 0, look.ink, look.ink, 1);
      qvpic::RoundedRect(c, cx - 0.75f, cy - r, cx + 0.75f, cy + r, 0, look.ink, look.ink, 1);
      qvpic::Ring(c, cx, cy, r * 0.5f, 1.5f, look.ink, 0.9f);
      break;
  }
}

Canvas Button(const Canvas& banner, const ButtonSpec& b, bool lit, const Fonts& fonts) {
  Canvas c = Crop(banner, b.dx, b.dy, b.width, b.height);
  const Look look = LookOf(lit);
  const float w = static_cast<float>(b.width), h = static_cast<float>(b.height);
  qvpic::RoundedRect(c, 1.5f, 1.5f, w - 1.5f, h - 1.5f, 8, look.face_top, look.face_bottom, look.face_opacity);
  qvpic::RoundedOutline(c, 1.5f, 1.5f, w - 1.5f, h - 1.5f, 8, 1.2f, look.rim, lit ? 1.0f : 0.7f);
  const float label_size = 12;
  const float label_width = qvpic::TextWidth(fonts.bold, b.label, label_size);
  if (h < 50) {  // a wide, low button: icon and label side by side
    DrawIcon(c, b.icon, 18, h / 2, 10, look, fonts);
    qvpic::DrawText(c, fonts.bold, b.label, 14, 33, h / 2 + 5, look.ink, 1);
  } else {  // a tall button: icon above, label below
    DrawIcon(c, b.icon, w / 2, h * 0.38f, 11, look, fonts);
    qvpic::DrawText(c, fonts.bold, b.label, label_size, (w - label_width) / 2, h - 9, look.ink, 1);
  }
  return c;
}

bool Save(const Canvas& c, const std::string& dir, int id) {
  std::string error;
  const std::string path = dir + "/bitmap_" + std::to_string(id) + ".bmp";
  if (!qvpic::WriteBmp(c, path, error)) {
    std::fprintf(stderr, "panel_art: %s\n", error.c_str());
    return false;
  }
  std::printf("%s: %dx%d\n", path.c_str(), c.width, c.height);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) {
    std::fprintf(stderr, "usage: panel_art BALL.png BOLD.ttf REGULAR.ttf OUTDIR\n");
    return 2;
  }
  qvhost::Image ball;
  Fonts fonts;
  std::string error;
  if (!qvhost::ReadPng(argv[1], ball, error) || !qvpic::LoadFont(argv[2], fonts.bold, error) ||
      !qvpic::LoadFont(argv[3], fonts.regular, error)) {
    std::fprintf(stderr, "panel_art: %s\n", error.c_str());
    return 1;
  }
  const std::string dir = argv[4];
  const Canvas banner = Banner(ball, fonts);
  if (!Save(banner, dir, 779)) return 1;
  const ButtonSpec buttons[] = {{782, 239, 15, 73, 44, "Help", Icon::kQuestion},
                                {780, 313, 48, 62, 61, "About", Icon::kInfo},
                                {784, 248, 61, 54, 56, "Web", Icon::kGlobe}};
  for (const ButtonSpec& b : buttons)
    if (!Save(Button(banner, b, false, fonts), dir, b.normal_id) ||
        !Save(Button(banner, b, true, fonts), dir, b.normal_id + 1))
      return 1;
  return 0;
}

// make_about_bitmap OUT.bmp FONT_DIR RENDER_DIR: the about box's picture (bitmap 1047,
// 424 x 329, 24-bit) composed from the effect's own renders in RENDER_DIR (made by
// make_about_bitmap.sh) with the effect's name, in DejaVu fonts from FONT_DIR.
#include <cstdio>
#include <string>

#include "host/image.h"
#include "tools/pictures/canvas.h"
#include "tools/pictures/text.h"

namespace {

constexpr int kWidth = 424, kHeight = 329;

struct Thumb {
  const char* file;
  const char* label;
};
// The strip along the bottom: one render per look the effect offers.
constexpr Thumb kThumbs[] = {{"wire.png", "Wire"},
                             {"flat.png", "Flat"},
                             {"phong_gold.png", "Phong"},
                             {"patches_glass.png", "Glass"},
                             {"line.png", "Line"}};

bool Place(qvpic::Canvas& c, const std::string& file, int x, int y, int w, int h) {
  qvhost::Image image;
  std::string error;
  if (!qvhost::ReadPng(file, image, error)) {
    std::fprintf(stderr, "make_about_bitmap: %s\n", error.c_str());
    return false;
  }
  qvpic::PlaceImage(c, image, x, y, w, h);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_about_bitmap OUT.bmp FONT_DIR RENDER_DIR\n");
    return 2;
  }
  const std::string out = argv[1], fonts = argv[2], renders = std::string(argv[3]) + "/";
  qvpic::Font bold, plain;
  std::string error;
  if (!qvpic::LoadFont(fonts + "/DejaVuSans-Bold.ttf", bold, error) ||
      !qvpic::LoadFont(fonts + "/DejaVuSans.ttf", plain, error)) {
    std::fprintf(stderr, "make_about_bitmap: %s\n", error.c_str());
    return 1;
  }

  qvpic::Canvas c = qvpic::MakeCanvas(kWidth, kHeight, {0, 0, 0});
  qvpic::VerticalGradient(c, qvpic::Rgb8(22, 30, 62), qvpic::Rgb8(5, 7, 18));
  bool ok = Place(c, renders + "hero.png", 176, 0, 248, 248);

  const qvpic::Colour title = qvpic::Rgb8(250, 250, 255), line = qvpic::Rgb8(200, 208, 230),
                      small = qvpic::Rgb8(150, 160, 190), label = qvpic::Rgb8(170, 180, 210);
  qvpic::DrawText(c, bold, "Glissel", 52, 18, 92, title, 1);
  qvpic::DrawText(c, plain, "a festive 3D ball", 15, 20, 120, line, 1);
  qvpic::DrawText(c, plain, "with a pendant cap", 15, 20, 140, line, 1);
  qvpic::DrawText(c, plain, "Zentrivo effects", 12, 20, 176, small, 1);
  qvpic::DrawText(c, plain, "by Quorvel", 12, 20, 193, small, 1);

  const qvpic::Colour rule = qvpic::Rgb8(90, 100, 140);
  qvpic::RoundedRect(c, 0, 246, kWidth, 247, 0, rule, rule, 1);
  const int size = 72, gap = (kWidth - 5 * size) / 6;
  for (int i = 0; i < 5; ++i) {
    const int x = gap + i * (size + gap);
    ok = Place(c, renders + kThumbs[i].file, x, 248, size, size) && ok;
    qvpic::DrawText(c, plain, kThumbs[i].label, 11, static_cast<float>(x + 4), 324, label, 1);
  }

  if (!ok || !qvpic::WriteBmp(c, out, error)) {
    if (!error.empty()) std::fprintf(stderr, "make_about_bitmap: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %dx%d, 24-bit\n", out.c_str(), kWidth, kHeight);
  return 0;
}

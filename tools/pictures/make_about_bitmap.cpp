// make_about_bitmap OUT.bmp FONT_DIR RENDER_DIR: the about box's picture (bitmap 1047,
// 424 x 329, 24-bit) composed from the effect's own renders in RENDER_DIR (made by
// make_about_bitmap.sh) with the effect's name, in DejaVu fonts from FONT_DIR.
#include <cstdio>
#include <string>

#include "tools/pictures/picture.h"

namespace {

constexpr int kWidth = 424, kHeight = 329;

struct Thumb {
  const char* file;
  const char* label;
};
// The strip along the bottom: one render per look the effect offers.
constexpr Thumb kThumbs[] = {{"wire.png", "Wire"},       {"flat.png", "Flat"},
                             {"phong_gold.png", "Phong"}, {"patches_glass.png", "Glass"},
                             {"line.png", "Line"}};

bool Place(qvpic::Picture& picture, const std::string& file, int x, int y, int w, int h) {
  qvpic::RgbaImage image;
  std::string error;
  if (!qvpic::ReadRgbaPng(file, image, error)) {
    std::fprintf(stderr, "make_about_bitmap: %s\n", error.c_str());
    return false;
  }
  qvpic::PlaceImage(picture, image, x, y, w, h);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: make_about_bitmap OUT.bmp FONT_DIR RENDER_DIR\n");
    return 2;
  }
  const std::string out = argv[1], fonts = argv[2], renders = std::string(argv[3]) + "/";
  const std::string bold = fonts + "/DejaVuSans-Bold.ttf", plain = fonts + "/DejaVuSans.ttf";

  qvpic::Picture picture = qvpic::MakePicture(kWidth, kHeight, {0, 0, 0});
  qvpic::FillVerticalGradient(picture, {22, 30, 62}, {5, 7, 18});
  bool ok = Place(picture, renders + "hero.png", 176, 0, 248, 248);

  if (qvpic::DrawText(picture, bold, 52, 18, 92, "Glissel", {250, 250, 255}) < 0) {
    std::fprintf(stderr, "make_about_bitmap: cannot read the font %s\n", bold.c_str());
    return 1;
  }
  qvpic::DrawText(picture, plain, 15, 20, 120, "a festive 3D ball", {200, 208, 230});
  qvpic::DrawText(picture, plain, 15, 20, 140, "with a pendant cap", {200, 208, 230});
  qvpic::DrawText(picture, plain, 12, 20, 176, "Zentrivo effects", {150, 160, 190});
  qvpic::DrawText(picture, plain, 12, 20, 193, "by Quorvel", {150, 160, 190});

  qvpic::FillRect(picture, 0, 246, kWidth, 1, {90, 100, 140}, 1);
  const int size = 72, gap = (kWidth - 5 * size) / 6;
  for (int i = 0; i < 5; ++i) {
    const int x = gap + i * (size + gap);
    ok = Place(picture, renders + kThumbs[i].file, x, 248, size, size) && ok;
    qvpic::DrawText(picture, plain, 11, x + 4, 324, kThumbs[i].label, {170, 180, 210});
  }

  std::string error;
  if (!ok || !qvpic::WriteBmp24(out, picture, error)) {
    if (!error.empty()) std::fprintf(stderr, "make_about_bitmap: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: %dx%d, 24-bit\n", out.c_str(), kWidth, kHeight);
  return 0;
}

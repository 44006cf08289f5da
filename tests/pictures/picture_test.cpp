// Composing pictures: the BMP files the resource compiler reads (layout, padding, row
// order, channel order), renders placed by their alpha, text, and the about box's
// picture as committed: the size the dialog expects, and a real picture rather than a
// flat fill.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "tools/pictures/canvas.h"
#include "tools/pictures/text.h"

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

uint32_t Le(const std::string& b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(b[at + i]);
  return v;
}

// A canvas pixel in 8-bit levels.
int At(const qvpic::Canvas& c, int x, int y, int channel) {
  const qvpic::Colour& p = c.pixels[static_cast<size_t>(y) * c.width + x];
  return static_cast<int>(std::lround((channel == 0 ? p.r : channel == 1 ? p.g : p.b) * 255));
}

// 24-bit BI_RGB, bottom-up, each row padded to 4 bytes, blue first.
TEST(Bmp24, LayoutPaddingAndRowOrder) {
  qvpic::Canvas picture = qvpic::MakeCanvas(3, 2, {0, 0, 0});
  const qvpic::Colour top_left = qvpic::Rgb8(10, 20, 30), bottom_right = qvpic::Rgb8(40, 50, 60);
  qvpic::RoundedRect(picture, 0, 0, 1, 1, 0, top_left, top_left, 1);
  qvpic::RoundedRect(picture, 2, 1, 3, 2, 0, bottom_right, bottom_right, 1);
  const std::string path = std::string(QUORVEL_TEST_WORK_DIR) + "/small.bmp";
  std::string error;
  ASSERT_TRUE(qvpic::WriteBmp(picture, path, error)) << error;
  const std::string b = ReadAll(path);
  ASSERT_EQ(b.size(), 54u + 2 * 12);  // 9 bytes a row, padded to 12
  EXPECT_EQ(b.substr(0, 2), "BM");
  EXPECT_EQ(Le(b, 2, 4), b.size());
  EXPECT_EQ(Le(b, 10, 4), 54u);
  EXPECT_EQ(Le(b, 14, 4), 40u);
  EXPECT_EQ(Le(b, 18, 4), 3u);
  EXPECT_EQ(Le(b, 22, 4), 2u);  // positive height: bottom-up
  EXPECT_EQ(Le(b, 28, 2), 24u);
  EXPECT_EQ(Le(b, 30, 4), 0u);  // BI_RGB
  // The file's first row is the picture's bottom row.
  EXPECT_EQ(Le(b, 54 + 6, 3), 0x28323Cu);  // (40, 50, 60) stored as 60, 50, 40
  EXPECT_EQ(Le(b, 54 + 12, 3), 0x0A141Eu);
  EXPECT_EQ(Le(b, 54 + 3, 3), 0u);  // whole-pixel rectangles cover nothing beside them
  EXPECT_FALSE(qvpic::WriteBmp(picture, "/no/such/folder/x.bmp", error));
  EXPECT_NE(error.find("/no/such/folder/x.bmp"), std::string::npos);
}

// A render is laid over the picture by its alpha: transparent pixels leave it, opaque ones
// replace it, half-transparent ones mix; scaled down, each target averages its area.
TEST(PlaceImage, BlendsByAlphaAndAveragesWhenScaled) {
  qvhost::Image image{4, 2, 8, {}};
  const uint16_t pixels[8][4] = {{200, 0, 0, 255}, {0, 0, 200, 255}, {0, 0, 0, 0},   {0, 0, 0, 0},
                                 {200, 0, 0, 255}, {0, 0, 200, 255}, {0, 0, 0, 0},   {0, 0, 0, 0}};
  for (const auto& p : pixels) image.rgba.insert(image.rgba.end(), p, p + 4);
  qvpic::Canvas picture = qvpic::MakeCanvas(2, 1, qvpic::Rgb8(100, 100, 100));
  qvpic::PlaceImage(picture, image, 0, 0, 2, 1);
  EXPECT_EQ(At(picture, 0, 0, 0), 100);  // (200 + 0) / 2
  EXPECT_EQ(At(picture, 0, 0, 2), 100);
  EXPECT_EQ(At(picture, 0, 0, 1), 0);    // no grey left: fully covered
  EXPECT_EQ(At(picture, 1, 0, 1), 100);  // transparent: untouched

  // 16-bit renders are read at their own depth.
  qvhost::Image half{1, 1, 16, {65535, 65535, 65535, 32768}};
  qvpic::Canvas grey = qvpic::MakeCanvas(1, 1, {0, 0, 0});
  qvpic::PlaceImage(grey, half, 0, 0, 1, 1);
  EXPECT_EQ(At(grey, 0, 0, 0), 128);
  // Outside the canvas nothing is written.
  qvpic::PlaceImage(grey, half, 5, 5, 3, 3);
  EXPECT_EQ(At(grey, 0, 0, 0), 128);
}

TEST(DrawText, DrawsInsideItsLineOrReportsAMissingFont) {
  qvpic::Font font;
  std::string error;
  EXPECT_FALSE(qvpic::LoadFont("/no/font.ttf", font, error));
  EXPECT_NE(error.find("/no/font.ttf"), std::string::npos);
  if (!qvpic::LoadFont(std::string(QUORVEL_TEST_FONTS_DIR) + "/DejaVuSans.ttf", font, error))
    GTEST_SKIP() << "DejaVu fonts not installed";
  qvpic::Canvas picture = qvpic::MakeCanvas(120, 40, {0, 0, 0});
  const float width = qvpic::TextWidth(font, "Glissel", 20);
  qvpic::DrawText(picture, font, "Glissel", 20, 4, 30, {1, 1, 1}, 1);
  EXPECT_GT(width, 40);
  int lit = 0, outside = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      const bool on = At(picture, x, y, 0) > 0;
      lit += on;
      outside += on && (x < 4 || x > 4 + width + 2 || y > 30 + 5 || y < 30 - 20);
    }
  EXPECT_GT(lit, 100);
  EXPECT_EQ(outside, 0);
}

// Bitmap 1047 fills the about box's picture control: 424 x 329 at 24 bits, and it is a
// picture (many colours), not a flat placeholder.
TEST(AboutBitmap, IsARealPictureOfTheDialogsSize) {
  const std::string b = ReadAll(std::string(QUORVEL_TEST_RESOURCES_DIR) + "/bitmap_1047.bmp");
  ASSERT_GE(b.size(), 54u);
  EXPECT_EQ(Le(b, 18, 4), 424u);
  EXPECT_EQ(Le(b, 22, 4), 329u);
  EXPECT_EQ(Le(b, 28, 2), 24u);
  const uint32_t row = (424 * 3 + 3) & ~3u;
  ASSERT_EQ(b.size(), Le(b, 10, 4) + row * 329);
  std::set<uint32_t> colours;
  for (uint32_t y = 0; y < 329; ++y)
    for (uint32_t x = 0; x < 424; ++x) colours.insert(Le(b, Le(b, 10, 4) + y * row + x * 3, 3));
  EXPECT_GT(colours.size(), 2000u);
}

}  // namespace

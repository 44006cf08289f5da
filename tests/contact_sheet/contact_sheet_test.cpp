// The contact sheet: where the frames and labels land, that the frames are copied pixel for
// pixel (16-bit ones brought to 8 bits), and what the label font draws.
#include <gtest/gtest.h>

#include "tools/contact_sheet/contact_sheet.h"
#include "tools/contact_sheet/label_font.h"

namespace {

qvhost::Image Frame(int w, int h, int depth, uint16_t base) {
  qvhost::Image f;
  f.width = w, f.height = h, f.depth = depth;
  f.rgba.resize(static_cast<size_t>(w) * h * 4);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int k = 0; k < 4; ++k)
        f.pixel(x, y)[k] = static_cast<uint16_t>((base + x * 7 + y * 3 + k) & 255) *
                           (depth == 16 ? 257 : 1);
  return f;
}

// Lit pixels (full white) of an image in a box.
int Lit(const qvhost::Image& img, int x0, int y0, int x1, int y1) {
  int n = 0;
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      const uint16_t* p = img.pixel(x, y);
      n += p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
  return n;
}

// Frames sit left to right with the gap around them, below the label band; their pixels
// are the frames' own, 16-bit ones shifted to 8 bits.
TEST(ContactSheet, FramesSideBySideBelowTheirLabels) {
  const qvsheet::SheetLayout layout;  // gap 8, scale 3: band 21 + 16
  const std::vector<qvsheet::LabelledFrame> frames = {{"A", Frame(40, 30, 8, 0)},
                                                      {"B", Frame(50, 20, 16, 100)}};
  const qvhost::Image sheet = qvsheet::MakeSheet(frames, layout);
  EXPECT_EQ(sheet.depth, 8);
  EXPECT_EQ(sheet.width, 8 + 40 + 8 + 50 + 8);
  const int top = 8 + qvsheet::BandHeight(layout);
  EXPECT_EQ(qvsheet::BandHeight(layout), 21 + 16);
  EXPECT_EQ(sheet.height, top + 30 + 8);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      for (int k = 0; k < 4; ++k)
        ASSERT_EQ(sheet.pixel(8 + x, top + y)[k], frames[0].frame.pixel(x, y)[k]);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 50; ++x)
      for (int k = 0; k < 4; ++k)
        ASSERT_EQ(sheet.pixel(56 + x, top + y)[k], frames[1].frame.pixel(x, y)[k] >> 8);
  // Below the shorter frame lies the ground.
  EXPECT_EQ(sheet.pixel(60, top + 25)[0], 40);
  // Each label is in the band over its own frame: "A" has 18 font pixels, "B" 20.
  EXPECT_EQ(Lit(sheet, 8, 8, 48, top), 18 * 9);
  EXPECT_EQ(Lit(sheet, 56, 8, 106, top), 20 * 9);
}

// The font: "I" lights 11 font pixels; lowercase draws the capitals; unknown characters and
// spaces leave blanks of one letter; a label wider than its frame is clipped to it.
TEST(ContactSheet, LabelFont) {
  const uint16_t white[4] = {255, 255, 255, 255};
  auto lit = [&](const std::string& text, int scale, int width) {
    qvhost::Image img;
    img.width = width, img.height = 7 * scale;
    img.rgba.assign(static_cast<size_t>(img.width) * img.height * 4, 0);
    qvsheet::DrawLabel(img, 0, 0, text, scale, white);
    return Lit(img, 0, 0, img.width, img.height);
  };
  EXPECT_EQ(lit("I", 1, 10), 11);
  EXPECT_EQ(lit("I", 3, 30), 99);
  EXPECT_EQ(lit("bezier", 2, 200), lit("BEZIER", 2, 200));
  EXPECT_EQ(lit("I?I", 1, 30), 22);
  EXPECT_EQ(lit("I I", 1, 30), 22);
  EXPECT_EQ(qvsheet::LabelWidth("Rough", 3), (5 * 6 - 1) * 3);
  EXPECT_LT(lit("WWWWWWWW", 1, 12), lit("WWWWWWWW", 1, 60)) << "clipped to the image";
}

}  // namespace

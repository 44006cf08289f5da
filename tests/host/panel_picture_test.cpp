// The information panel as the host shows it: the canvas after the module's draw is the
// background with the banner and the three buttons pasted at their offsets, pixel for
// pixel (the bitmaps read straight from their .bmp files), and a lit button changes pixels
// only inside its own picture.
#include "panel_fixture.h"

namespace {

TEST(PanelBitmaps, HaveTheirSizesAndDifferWhenLit) {
  struct Size {
    int id, width, height;
  };
  const Size sizes[] = {{779, 391, 123}, {780, 62, 61}, {781, 62, 61}, {782, 73, 44},
                        {783, 73, 44},   {784, 54, 56}, {785, 54, 56}};
  for (const Size& s : sizes) {
    const Bitmap b = ReadBitmapFile(s.id);
    EXPECT_EQ(b.width, s.width) << s.id;
    EXPECT_EQ(b.height, s.height) << s.id;
  }
  for (int normal : {780, 782, 784})
    EXPECT_NE(ReadBitmapFile(normal).rgb, ReadBitmapFile(normal + 1).rgb) << normal;
  // A picture, not a flat fill: the banner has many colours.
  const Bitmap banner = ReadBitmapFile(779);
  int changes = 0;
  for (size_t i = 3; i < banner.rgb.size(); i += 3) changes += banner.rgb[i] != banner.rgb[i - 3];
  EXPECT_GT(changes, 1000);
}

TEST_F(PanelTest, PictureIsTheBannerAndButtonsAtTheirOffsets) {
  const Difference d = Compare(canvas().canvas(), ExpectedPanel(false, false, false));
  EXPECT_EQ(d.count, 0) << "first difference box " << d.left << "," << d.top << " .. " << d.right
                        << "," << d.bottom;
}

struct LitCase {
  const char* name;
  int x, y;  // a point on the button
  int left, top, width, height;  // its picture
};

class PanelLit : public PanelTest, public ::testing::WithParamInterface<LitCase> {};

TEST_P(PanelLit, HoverChangesOnlyThatButtonsPicture) {
  const LitCase& c = GetParam();
  const qvhost::Image before = canvas().canvas();
  Point(c.x, c.y);
  const Difference d = Compare(before, canvas().canvas());
  ASSERT_GT(d.count, 0) << "the lit picture must show";
  EXPECT_GE(d.left, c.left);
  EXPECT_GE(d.top, c.top);
  EXPECT_LT(d.right, c.left + c.width);
  EXPECT_LT(d.bottom, c.top + c.height);
  const std::string n = c.name;
  EXPECT_EQ(Compare(canvas().canvas(), ExpectedPanel(n == "help", n == "about", n == "web")).count, 0);
  Point(0, 0);
  EXPECT_EQ(Compare(before, canvas().canvas()).count, 0) << "leaving the button puts it out";
}

INSTANTIATE_TEST_SUITE_P(EachButton, PanelLit,
                         ::testing::Values(LitCase{"help", 275, 37, 239, 15, 73, 44},
                                           LitCase{"about", 344, 78, 313, 48, 62, 61},
                                           LitCase{"web", 275, 89, 248, 61, 54, 56}),
                         [](const ::testing::TestParamInfo<LitCase>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace

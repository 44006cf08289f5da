// PNG files written by the host read back exactly, at both depths, in both builds.
#include <gtest/gtest.h>

#include <string>

#include "host/image.h"

namespace {

std::string WorkPath(const char* name) {
#if defined(_WIN32)
  return std::string(QUORVEL_TEST_WORK_DIR) + "\\" + name;
#else
  return std::string(QUORVEL_TEST_WORK_DIR) + "/" + name;
#endif
}

qvhost::Image Pattern(int w, int h, int depth) {
  qvhost::Image img;
  img.width = w, img.height = h, img.depth = depth;
  img.rgba.resize(static_cast<size_t>(w) * h * 4);
  const unsigned full = depth == 16 ? 65535u : 255u;
  for (size_t i = 0; i < img.rgba.size(); ++i)
    img.rgba[i] = static_cast<uint16_t>((i * 2654435761u) % (full + 1));
  return img;
}

}  // namespace

TEST(PngFiles, RoundTripKeepsEveryChannelAtBothDepths) {
  for (int depth : {8, 16}) {
    const qvhost::Image original = Pattern(37, 11, depth);
    const std::string path = WorkPath(depth == 8 ? "round8.png" : "round16.png");
    std::string error;
    ASSERT_TRUE(qvhost::WritePng(path, original, error)) << error;
    qvhost::Image back;
    ASSERT_TRUE(qvhost::ReadPng(path, back, error)) << error;
    EXPECT_EQ(back.width, 37);
    EXPECT_EQ(back.height, 11);
    EXPECT_EQ(back.depth, depth);
    EXPECT_EQ(back.rgba, original.rgba) << "depth " << depth;
  }
}

TEST(PngFiles, MissingOrBrokenFilesAreRefusedWithAMessage) {
  qvhost::Image img;
  std::string error;
  EXPECT_FALSE(qvhost::ReadPng(WorkPath("does-not-exist.png"), img, error));
  EXPECT_NE(error.find("does-not-exist.png"), std::string::npos);

  const std::string broken = WorkPath("broken.png");
  FILE* f = std::fopen(broken.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fputs("\x89PNG\r\n\x1a\n not really", f);
  std::fclose(f);
  error.clear();
  EXPECT_FALSE(qvhost::ReadPng(broken, img, error));
  EXPECT_FALSE(error.empty());

  EXPECT_FALSE(qvhost::WritePng(WorkPath("empty.png"), qvhost::Image{}, error));
}

TEST(Background, IsOpaqueAndHasAGridOverAGradient) {
  const qvhost::Image bg = qvhost::MakeBackground(256, 128, 8);
  ASSERT_EQ(bg.rgba.size(), 256u * 128u * 4u);
  for (int y = 0; y < bg.height; ++y)
    for (int x = 0; x < bg.width; ++x) ASSERT_EQ(bg.pixel(x, y)[3], 255);
  // Grid lines are darker than the cells beside them.
  EXPECT_LT(bg.pixel(64, 40)[1], bg.pixel(70, 40)[1]);
  EXPECT_LT(bg.pixel(70, 64)[1], bg.pixel(70, 70)[1]);
  // Red grows from left to right away from the lines.
  EXPECT_LT(bg.pixel(5, 40)[0], bg.pixel(250, 40)[0]);
  const qvhost::Image deep = qvhost::MakeBackground(8, 8, 16);
  EXPECT_EQ(deep.depth, 16);
  EXPECT_EQ(deep.pixel(3, 3)[3], 65535);
}

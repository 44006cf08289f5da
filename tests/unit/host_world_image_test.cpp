// Images into host worlds and back: the channel order, the host's 16-bit range of 0..32768
// for 8- and 16-bit files, rows padded as the host pads them, and the reduction of images
// for downsampled frames.
#include <gtest/gtest.h>

#include "host/world_image.h"

namespace {

// ---- Channel scales -------------------------------------------------------------------------
// Rounded to nearest; the full scale maps to the full scale.

TEST(WorldImage, ChannelsMoveBetweenScalesRoundedToNearest) {
  EXPECT_EQ(qvhost::RescaleChannel(255, 255, 32768), 32768);
  EXPECT_EQ(qvhost::RescaleChannel(0, 255, 32768), 0);
  EXPECT_EQ(qvhost::RescaleChannel(1, 255, 32768), 129);  // 128.5 rounds up
  EXPECT_EQ(qvhost::RescaleChannel(128, 255, 32768), 16448);  // 16448.25
  EXPECT_EQ(qvhost::RescaleChannel(65535, 65535, 32768), 32768);
  EXPECT_EQ(qvhost::RescaleChannel(32768, 32768, 65535), 65535);
  EXPECT_EQ(qvhost::RescaleChannel(16384, 32768, 65535), 32768);  // 32767.5 rounds up
  EXPECT_EQ(qvhost::RescaleChannel(40000, 32768, 65535), 65535) << "above full scale";
  // Every 8-bit value survives the trip through a deep world and a 16-bit file.
  for (uint32_t v = 0; v <= 255; ++v) {
    const uint16_t world = qvhost::RescaleChannel(v, 255, 32768);
    const uint16_t file = qvhost::RescaleChannel(world, 32768, 65535);
    EXPECT_EQ(qvhost::RescaleChannel(file, 65535, 255), v);
  }
}

qvhost::Image Sample(int depth) {
  qvhost::Image img;
  img.width = 3, img.height = 2, img.depth = depth;
  img.rgba.resize(24);
  for (size_t i = 0; i < img.rgba.size(); ++i)
    img.rgba[i] = static_cast<uint16_t>(depth == 16 ? i * 2731 : i * 11);
  return img;
}

TEST(WorldImage, EightBitImageFillsAnEightBitWorldInHostOrder) {
  const qvhost::Image img = Sample(8);
  auto world = qvhost::WorldFromImage(img, false, 8);
  ASSERT_EQ(world->width(), 3);
  EXPECT_EQ(world->def().rowbytes, 3 * 4 + 8);
  const PF_Pixel& p = world->Pixel8(1, 1);  // image channels 16..19
  EXPECT_EQ(p.red, 16 * 11);
  EXPECT_EQ(p.green, 17 * 11);
  EXPECT_EQ(p.blue, 18 * 11);
  EXPECT_EQ(p.alpha, 19 * 11);
  EXPECT_EQ(world->Padding(), std::vector<uint8_t>(16, qvhost::World::kPaddingFill));
  EXPECT_EQ(qvhost::ImageFromWorld(*world).rgba, img.rgba) << "and back";
}

TEST(WorldImage, SixteenBitFilesUseTheHostsDeepRange) {
  const qvhost::Image img = Sample(16);
  auto world = qvhost::WorldFromImage(img, true, 16);
  EXPECT_TRUE(world->deep());
  EXPECT_EQ(world->def().rowbytes, 3 * 8 + 16);
  EXPECT_EQ(world->Pixel16(0, 0).red, 0);
  EXPECT_EQ(world->Pixel16(1, 0).red, qvhost::RescaleChannel(4 * 2731, 65535, 32768));
  const qvhost::Image back = qvhost::ImageFromWorld(*world);
  EXPECT_EQ(back.depth, 16);
  for (size_t i = 0; i < img.rgba.size(); ++i)
    EXPECT_NEAR(back.rgba[i], img.rgba[i], 1) << "the deep range has half the steps";

  auto from8 = qvhost::WorldFromImage(Sample(8), true, 0);
  EXPECT_EQ(from8->Pixel16(0, 1).alpha, qvhost::RescaleChannel(15 * 11, 255, 32768));
  auto to8 = qvhost::WorldFromImage(img, false, 0);
  EXPECT_EQ(to8->Pixel8(2, 1).alpha, qvhost::RescaleChannel(23 * 2731, 65535, 255));
}

// ---- Downsampling ----------------------------------------------------------------------------
// Each pixel is the mean of its block; edge blocks are smaller; sizes round up.

TEST(WorldImage, DownsamplingAveragesBlocksAndRoundsTheSizeUp) {
  qvhost::Image img;
  img.width = 5, img.height = 3, img.depth = 8;
  img.rgba.assign(60, 0);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) img.pixel(x, y)[0] = static_cast<uint16_t>(x * 10 + y * 100);
  const qvhost::Image half = qvhost::DownsampleImage(img, 2);
  ASSERT_EQ(half.width, 3);
  ASSERT_EQ(half.height, 2);
  EXPECT_EQ(half.pixel(0, 0)[0], 55);  // (0 + 10 + 100 + 110) / 4
  EXPECT_EQ(half.pixel(2, 0)[0], 90);  // (40 + 140) / 2
  EXPECT_EQ(half.pixel(2, 1)[0], 240);  // the corner pixel alone
  EXPECT_EQ(qvhost::DownsampleImage(img, 1).rgba, img.rgba);
  const qvhost::Image third = qvhost::DownsampleImage(img, 3);
  EXPECT_EQ(third.width, 2);
  EXPECT_EQ(third.height, 1);
}

}  // namespace

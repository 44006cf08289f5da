// Writing the output world straight to a PNG file gives the very file that converting it to
// an image first gives, at both depths (16-bit worlds' 0..32768 spread over 0..65535), with
// the row padding never read.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "host/image.h"
#include "host/world_png.h"

namespace {

std::string Bytes(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void FillPattern(qvhost::World& w) {
  for (int y = 0; y < w.height(); ++y)
    for (int x = 0; x < w.width(); ++x) {
      if (w.deep())
        w.Pixel16(x, y) = PF_Pixel16{static_cast<A_u_short>((x * 977 + y) % 32769),
                                     static_cast<A_u_short>(x * 300 % 32769),
                                     static_cast<A_u_short>(y * 700 % 32769),
                                     static_cast<A_u_short>(x == y ? 32768 : 0)};
      else
        w.Pixel8(x, y) = PF_Pixel{static_cast<A_u_char>(x * 7 + y), static_cast<A_u_char>(x),
                                  static_cast<A_u_char>(y * 3), static_cast<A_u_char>(x ^ y)};
    }
}

TEST(WorldPng, SameFileAsThroughAnImageAtBothDepths) {
  const std::string dir = QUORVEL_TEST_WORK_DIR;
  for (bool deep : {false, true}) {
    qvhost::World world(37, 21, deep, 24);
    FillPattern(world);
    const std::string direct = dir + (deep ? "/world16.png" : "/world8.png");
    const std::string through = dir + (deep ? "/image16.png" : "/image8.png");
    std::string error;
    ASSERT_TRUE(qvhost::WriteWorldPng(direct, world, error)) << error;
    ASSERT_TRUE(qvhost::WritePng(through, qvhost::ImageFromWorld(world), error)) << error;
    EXPECT_EQ(Bytes(direct), Bytes(through)) << (deep ? "16-bit" : "8-bit");
    qvhost::Image back;
    ASSERT_TRUE(qvhost::ReadPng(direct, back, error)) << error;
    EXPECT_EQ(back.depth, deep ? 16 : 8);
    // Alpha comes first in a world's pixel and last in the file's.
    EXPECT_EQ(back.pixel(5, 5)[3], deep ? qvhost::RescaleChannel(5 * 977 + 5, 32768, 65535) : 40);
    EXPECT_EQ(back.pixel(36, 20)[0], deep ? qvhost::RescaleChannel(36 * 300 % 32769, 32768, 65535)
                                          : 36);
  }
}

TEST(WorldPng, UnwritablePathOrEmptyWorldFails) {
  qvhost::World world(4, 4, false);
  std::string error;
  EXPECT_FALSE(qvhost::WriteWorldPng("/no/such/dir/x.png", world, error));
  EXPECT_NE(error.find("/no/such/dir/x.png"), std::string::npos);
}

}  // namespace

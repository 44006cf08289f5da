// A video clip as the input layer: `quorvel render --input clip.mp4` draws the ball over
// each frame at the clip's size (854 wide: rows no SIMD width divides) and rate, each frame
// byte for byte the one rendered from that decoded frame alone, at 8 and 16 bits, whole, in
// parts and in workers. A video output keeps the clip's sound. A clip that cannot be
// decoded, or is shorter than --frames, is a usage error that writes nothing.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "command_support.h"
#include "host/image.h"

namespace {

using video_test::Exists;
using video_test::kTimeLimit;
using video_test::kWork;
using video_test::Render;
using video_test::Shell;
using video_test::Slurp;

// Radius 30: 30 percent of half the width, a disc of radius 128 pixels.
constexpr char kBall[] = " --set Radius=30 ";

std::string Numbered(const std::string& stem, int k) {
  char name[64];
  std::snprintf(name, sizeof name, "%s_%04d.png", stem.c_str(), k);
  return name;
}

std::string Frame(const std::string& stem, int k) { return Slurp(kWork + "/" + Numbered(stem, k)); }

// The command (ffmpeg, or quorvel render with `render`) must end well.
#define EXPECT_RUNS(command)                                             \
  do {                                                                   \
    std::string out;                                                     \
    ASSERT_EQ(Shell(kTimeLimit + std::string(command), &out), 0) << out; \
  } while (0)
#define EXPECT_RENDERS(args)                             \
  do {                                                   \
    std::string out;                                     \
    ASSERT_EQ(Render(std::string(args), &out), 0) << out; \
  } while (0)

// A 6-frame clip of moving colour bars at 25 frames a second with a tone. Each test makes
// its own and names its files its own way: ctest runs them side by side.
void MakeClip(const std::string& name) {
  EXPECT_RUNS("ffmpeg -nostdin -v error -y -f lavfi -i testsrc2=s=854x480:r=25:d=0.24 "
              "-f lavfi -i sine=f=440:d=0.24 -c:v libx264 -pix_fmt yuv420p -c:a aac " + name);
}

// Frames `ks` of the clip rendered with `options` equal the clip's frames decoded to PNG
// files by ffmpeg (RGBA at the depth) and rendered alone, each at its place in a sequence
// of the clip's length and rate.
void ExpectSameAsAlone(const std::string& clip, const std::string& stem, std::initializer_list<int> ks,
                       int depth, const std::string& options) {
  EXPECT_RUNS("ffmpeg -nostdin -v error -y -i " + clip + " -pix_fmt " +
              (depth == 16 ? "rgba64be " : "rgba ") + stem + "-decoded_%04d.png");
  for (int k : ks) {
    EXPECT_RENDERS("--input " + Numbered(stem + "-decoded", k) + " --frames 6 --fps 25 --range " +
                   std::to_string(k) + "-" + std::to_string(k) + options + " --output " + stem +
                   "-alone.png");
    EXPECT_TRUE(Frame(stem, k) == Frame(stem + "-alone", k)) << Numbered(stem, k);
  }
}

// What a person sees in an 8-bit frame: the pixels the render changed form the red disc
// (and the pendant).
void ExpectRedBallOver(const std::string& rendered, const std::string& decoded) {
  qvhost::Image r, d;
  std::string error;
  ASSERT_TRUE(qvhost::ReadPng(kWork + "/" + rendered, r, error)) << error;
  ASSERT_TRUE(qvhost::ReadPng(kWork + "/" + decoded, d, error)) << error;
  ASSERT_EQ(r.rgba.size(), 854u * 480 * 4);
  int changed = 0, red = 0;
  for (size_t i = 0; i < r.rgba.size(); i += 4) {
    const uint16_t *p = &r.rgba[i], *q = &d.rgba[i];
    changed += std::abs(p[0] - q[0]) > 12 || std::abs(p[1] - q[1]) > 12 || std::abs(p[2] - q[2]) > 12;
    red += p[0] > 96 && p[0] > p[1] + 60 && p[0] > p[2] + 60;
  }
  const double disc = M_PI * 128 * 128;
  EXPECT_GT(changed, 0.85 * disc) << rendered;
  EXPECT_LT(changed, 1.4 * disc) << rendered;
  EXPECT_GT(red, 0.4 * disc) << rendered << ": the ball is red";
}

TEST(ClipInput, EveryFrameAsIfRenderedAlone) {
  MakeClip("clip8.mp4");
  std::string out;
  ASSERT_EQ(Render("--input clip8.mp4" + std::string(kBall) + "--output clip8.png", &out), 0) << out;
  EXPECT_EQ(out, "clip8_0001.png .. clip8_0006.png: 6 frames, 854x480, 8-bit\n");
  ExpectSameAsAlone("clip8.mp4", "clip8", {1, 2, 3, 4, 5, 6}, 8, kBall);
  EXPECT_RENDERS("--input clip8.mp4" + std::string(kBall) + "--jobs 2 --output jobs8.png");
  for (int k = 1; k <= 6; ++k) EXPECT_TRUE(Frame("clip8", k) == Frame("jobs8", k)) << "worker frame " << k;
  ExpectRedBallOver(Numbered("clip8", 1), Numbered("clip8-decoded", 1));
  ExpectRedBallOver(Numbered("clip8", 6), Numbered("clip8-decoded", 6));
  EXPECT_FALSE(Frame("clip8", 1) == Frame("clip8", 6)) << "the clip moves under the ball";
}

TEST(ClipInput, DeepFramesOfARange) {
  MakeClip("clip16.mp4");
  EXPECT_RENDERS("--input clip16.mp4 --depth 16 --range 2-3" + std::string(kBall) + "--output clip16.png");
  ExpectSameAsAlone("clip16.mp4", "clip16", {2, 3}, 16, std::string(kBall) + "--depth 16");
  EXPECT_FALSE(Exists(kWork + "/clip16_0001.png") || Exists(kWork + "/clip16_0004.png"));
}

// Frames 2..5 as a video: 4 frames at the clip's 25 a second, with its tone as AAC.
TEST(ClipInput, VideoKeepsTheSound) {
  MakeClip("sound-clip.mp4");
  std::string out;
  ASSERT_EQ(Render("--input sound-clip.mp4 --range 2-5 --output sound.mp4", &out), 0) << out;
  EXPECT_EQ(out, "sound.mp4: 4 frames at 25 a second, 854x480, 8-bit\n");
  EXPECT_EQ(video_test::Probe("sound.mp4", "width,height,r_frame_rate,nb_read_frames"), "854,480,25/1,4");
  EXPECT_EQ(video_test::Probe("sound.mp4", "codec_name", "a:0"), "aac");
}

// Each bad request: its exit code, a word of its message, and no file written.
TEST(ClipInput, BadClipsAreUsageErrors) {
  MakeClip("clip.mp4");
  ASSERT_EQ(Shell("echo 'not a video' > broken.mp4"), 0);
  EXPECT_RUNS("ffmpeg -v error -y -f lavfi -i sine=d=0.2 tone.wav");
  const struct {
    const char* options;
    int code;
    const char* says;
  } cases[] = {
      {"--input broken.mp4", 2, "broken.mp4: not a video or image that ffmpeg can decode"},
      {"--input tone.wav", 2, "tone.wav: holds no video"},
      {"--input clip.mp4 --frames 9", 2, "clip.mp4 has only 6 frames"},
      {"--input clip.mp4 --fps 30", 2, "clip.mp4 has its own rate, 25/1"},
      {"--input clip.mp4 --range 5-7", 2, "last frame 7"},
      {"--input missing.mp4", 1, "missing.mp4"},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(Render(std::string(c.options) + " --output bad.png", &out), c.code) << c.options;
    EXPECT_NE(out.find(c.says), std::string::npos) << c.options << ": " << out;
    EXPECT_FALSE(Exists(kWork + "/bad.png") || Exists(kWork + "/bad_0001.png")) << c.options;
  }
}

}  // namespace

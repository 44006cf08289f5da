// Videos from `quorvel render`: the frames that go in come out (decoded back and compared
// with the same frames rendered as PNG files), with their count, size and rate; each kind
// keeps what it promises (alpha in WebM, even sizes in MP4); a missing or failing ffmpeg
// is an error that leaves no file behind.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <unistd.h>

#include "../bounded_command.h"
#include "host/image.h"
#include "host/video_write.h"

namespace {

const std::string kProgram = QUORVEL_TEST_PROGRAM;
const std::string kWork = QUORVEL_TEST_WORK_DIR;

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const std::string& path) { return std::ifstream(path).good(); }

// Runs a command in the work folder under a time limit of two minutes (a run that reaches
// it is made once more, then fails with 124); returns its exit status, its output in
// `output`.
int Shell(const std::string& command, std::string* output = nullptr) {
  // One log per test program: ctest runs the cases side by side.
  const std::string log = kWork + "/video-command-" + std::to_string(getpid()) + ".log";
  const std::string line =
      "cd '" + kWork + "' && " + BoundedCommand(command, 120) + " >'" + log + "' 2>&1";
  const int status = std::system(line.c_str());
  if (output) *output = Slurp(log);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int Render(const std::string& args, std::string* output = nullptr) {
  return Shell("'" + kProgram + "' render " + args, output);
}

// codec,width,height,frames read,rate of the first video stream.
std::string Probe(const std::string& file) {
  std::string out;
  EXPECT_EQ(Shell("ffprobe -v error -count_frames -select_streams v:0 -show_entries "
                "stream=codec_name,width,height,nb_read_frames,r_frame_rate -of csv=p=0 '" +
                    file + "'",
                &out),
            0)
      << out;
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

// All frames decoded as raw pixels (`format`: rgb24 or rgba).
std::string Decode(const std::string& file, const std::string& format,
                   const std::string& decoder = "") {
  const std::string raw = file + "." + format;
  std::string out;
  EXPECT_EQ(Shell("ffmpeg -nostdin -v error -y " + decoder + " -i '" + file +
                    "' -f rawvideo -pix_fmt " + format + " '" + raw + "'",
                &out),
            0)
      << out;
  return Slurp(kWork + "/" + raw);
}

// The mean absolute difference of the video's frame `k` (rgb24) and a PNG frame.
double MeanDifference(const std::string& video, int k, const qvhost::Image& png) {
  const size_t n = static_cast<size_t>(png.width) * png.height;
  double sum = 0;
  for (size_t i = 0; i < n; ++i)
    for (int c = 0; c < 3; ++c)
      sum += std::abs(static_cast<unsigned char>(video[k * n * 3 + i * 3 + c]) -
                      static_cast<int>(png.rgba[i * 4 + c]));
  return sum / (n * 3.0);
}

// The ball goes from red to blue over the frames: each frame is told apart at a glance.
constexpr char kTurn[] = "--size 160x120 --frames 12 --animate \"Diffuse=255,0,0:0,0,255\"";

// An animation as MP4: 12 H.264 frames at the asked rate, each the frame the PNG sequence
// has, within what the encoder loses (the background's fine grid suffers most from 4:2:0);
// the animation shows (later frames are far from the first).
TEST(Video, Mp4HoldsTheRenderedFrames) {
  std::string out;
  ASSERT_EQ(Render(std::string(kTurn) + " --fps 12 --output turn.mp4", &out), 0) << out;
  EXPECT_EQ(out, "turn.mp4: 12 frames at 12 a second, 160x120, 8-bit\n");
  EXPECT_FALSE(Exists(kWork + "/turn_0001.mp4"));
  EXPECT_FALSE(Exists(kWork + "/turn.mp4.part"));
  EXPECT_EQ(Probe("turn.mp4"), "h264,160,120,12/1,12");
  ASSERT_EQ(Render(std::string(kTurn) + " --output turn.png", &out), 0) << out;
  const std::string video = Decode("turn.mp4", "rgb24");
  ASSERT_EQ(video.size(), 12u * 160 * 120 * 3);
  for (int k : {0, 5, 11}) {
    qvhost::Image png;
    std::string error;
    char name[32];
    std::snprintf(name, sizeof name, "/turn_%04d.png", k + 1);
    ASSERT_TRUE(qvhost::ReadPng(kWork + name, png, error)) << error;
    EXPECT_LT(MeanDifference(video, k, png), 5.0) << "frame " << k + 1;
    if (k > 0) {
      qvhost::Image first;
      ASSERT_TRUE(qvhost::ReadPng(kWork + "/turn_0001.png", first, error));
      EXPECT_GT(MeanDifference(video, k, first), 3 * MeanDifference(video, k, png))
          << "frame " << k + 1 << " is a bluer ball, not the first frame";
    }
  }
}

// MP4 needs even sizes: an odd frame gets one more row and column, nothing is cut.
TEST(Video, Mp4PadsOddSizes) {
  ASSERT_EQ(Render("--size 161x121 --frames 2 --output odd.mp4"), 0);
  EXPECT_EQ(Probe("odd.mp4"), "h264,162,122,30/1,2");
}

// WebM keeps alpha: with "Cut alpha" the corners are clear and the ball opaque.
TEST(Video, WebmKeepsAlpha) {
  ASSERT_EQ(Render("--size 160x120 --frames 3 --depth 16 --set \"Cut alpha=on\" "
                   "--output cut.webm"),
            0);
  EXPECT_EQ(Probe("cut.webm"), "vp9,160,120,30/1,3");
  const std::string rgba = Decode("cut.webm", "rgba", "-c:v libvpx-vp9");
  ASSERT_EQ(rgba.size(), 3u * 160 * 120 * 4);
  auto alpha = [&](int x, int y) {
    return static_cast<unsigned char>(rgba[(y * 160 + x) * 4 + 3]);
  };
  EXPECT_LT(alpha(2, 2), 8);
  EXPECT_LT(alpha(157, 117), 8);
  EXPECT_GT(alpha(80, 70), 247);
}

TEST(Video, GifHoldsEveryFrame) {
  ASSERT_EQ(Render(std::string(kTurn) + " --fps 10 --output turn.gif"), 0);
  EXPECT_EQ(Probe("turn.gif"), "gif,160,120,10/1,12");
}

// Without ffmpeg, or when it fails, the render stops with exit code 1 and a message, and
// neither the video nor its partial file is left.
TEST(Video, FailuresLeaveNoFile) {
  std::remove((kWork + "/none.mp4").c_str());
  std::string out;
  EXPECT_EQ(Shell("PATH=/nonexistent '" + kProgram +
                      "' render --size 32x32 --frames 2 --output none.mp4",
                  &out),
            1);
  EXPECT_NE(out.find("cannot run ffmpeg"), std::string::npos) << out;
  EXPECT_FALSE(Exists(kWork + "/none.mp4"));
  EXPECT_FALSE(Exists(kWork + "/none.mp4.part"));

  EXPECT_EQ(Render("--size 32x32 --output no-such-folder/x.webm", &out), 1);
  EXPECT_NE(out.find("ffmpeg failed"), std::string::npos) << out;

  EXPECT_EQ(Render("--size 32x32 --fps 0 --output bad.gif", &out), 2);
  EXPECT_NE(out.find("--fps 0"), std::string::npos) << out;
  EXPECT_FALSE(Exists(kWork + "/bad.gif"));
}

// The kinds by extension, in any case; everything else stays a PNG name.
TEST(Video, KindsByExtension) {
  EXPECT_EQ(qvhost::VideoKindOf("a/turn.MP4"), qvhost::VideoKind::kMp4);
  EXPECT_EQ(qvhost::VideoKindOf("turn.webm"), qvhost::VideoKind::kWebm);
  EXPECT_EQ(qvhost::VideoKindOf("x.Gif"), qvhost::VideoKind::kGif);
  EXPECT_EQ(qvhost::VideoKindOf("turn.png"), qvhost::VideoKind::kNone);
  EXPECT_EQ(qvhost::VideoKindOf("mp4"), qvhost::VideoKind::kNone);
  EXPECT_EQ(qvhost::VideoKindOf("v.mp4/frame"), qvhost::VideoKind::kNone);
}

}  // namespace

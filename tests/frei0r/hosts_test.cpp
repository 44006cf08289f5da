// The frei0r filter inside the hosts people use: ffmpeg's frei0r filter, MLT's melt and
// GStreamer's frei0r elements load the built quorvel.so (found through FREI0R_PATH and
// MLT_FREI0R_PLUGIN_PATH), render the red ball over a plain colour and leave the rest of the
// frame alone; a parameter given in the host's own syntax changes the frame. With
// QUORVEL_TEST_INSTALLED=1 in the environment no path is set: the hosts must find the
// filter where the package installs it. Every host runs under a time limit.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "../bounded_command.h"
#include "frame_measure.h"

namespace {

using frei0r_test::BallArea;
using frei0r_test::Frame;

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr frei0r_test::Rgb kBackground{32, 64, 96};  // 0x204060
// The hosts pass frames through YUV: a flat colour comes back within a few levels.
constexpr int kTolerance = 6;

const std::string kWork = QUORVEL_TEST_WORK_DIR;
constexpr char kTimeLimit[] = "timeout -k 10 120 ";

bool Installed() {
  const char* v = std::getenv("QUORVEL_TEST_INSTALLED");
  return v && std::string(v) == "1";
}

// "NAME='the build's filter folder' ", or nothing for the installed filter.
std::string FilterPath(const char* variable) {
  return Installed() ? std::string() : std::string(variable) + "='" + QUORVEL_TEST_FREI0R_DIR + "' ";
}

// Runs a shell command under a time limit of two minutes (a run that reaches it is made
// once more, then fails); its output goes to a log file that a failure shows.
bool Run(const std::string& command, const std::string& log) {
  const int status = std::system((BoundedCommand(command, 120) + " >" + log + " 2>&1").c_str());
  if (status == 0) return true;
  std::ifstream in(log);
  ADD_FAILURE() << "failed (" << status << "): " << command << "\n"
                << std::string(std::istreambuf_iterator<char>(in), {});
  return false;
}

// One RGB frame of kWidth x kHeight from a raw file.
Frame ReadRaw(const std::string& path) {
  Frame f;
  f.width = kWidth, f.height = kHeight, f.channels = 3;
  std::ifstream in(path, std::ios::binary);
  f.bytes.assign(std::istreambuf_iterator<char>(in), {});
  EXPECT_GE(f.bytes.size(), static_cast<size_t>(kWidth) * kHeight * 3) << path;
  f.bytes.resize(static_cast<size_t>(kWidth) * kHeight * 3);
  return f;
}

// The filter in an ffmpeg filter graph, with its parameters in order.
std::string Quorvel(const std::string& params) {
  return "frei0r=filter_name=quorvel" + (params.empty() ? "" : ":filter_params='" + params + "'");
}

// ffmpeg: one frame of a lavfi colour source through a filter graph, as raw RGB.
Frame Ffmpeg(const std::string& name, const std::string& filter) {
  const std::string out = kWork + "/ffmpeg-" + name + ".rgb";
  std::remove(out.c_str());
  Run(FilterPath("FREI0R_PATH") + kTimeLimit + "ffmpeg -nostdin -hide_banner -loglevel error -y " +
          "-f lavfi -i color=c=0x204060:s=320x240:d=1 -frames:v 1 -vf \"" + filter + "\" " +
          "-f rawvideo -pix_fmt rgb24 '" + out + "'",
      kWork + "/ffmpeg-" + name + ".log");
  return ReadRaw(out);
}

// melt: the first frame of a colour producer through the filter with MLT properties, as raw
// RGB. The consumer renders every frame (real_time=0): in real time it drops the frames it
// falls behind on when the machine is busy. Even so, on a busy machine melt now and then
// (about one run in 25 with every core taken) stops before its consumer has written anything
// and still reports success; such a run is made once more, up to three times in all. It can
// also hang in its main loop with no consumer thread, with or without this filter (about
// one run in a hundred with every core taken): each run is cut at its time limit and made
// once more. Of the five frames asked for, every one is the same.
Frame Melt(const std::string& name, const std::string& properties) {
  const std::string out = kWork + "/melt-" + name + ".rgb";
  const size_t frame_bytes = static_cast<size_t>(kWidth) * kHeight * 3;
  for (int attempt = 1;; ++attempt) {
    std::remove(out.c_str());
    Run(FilterPath("MLT_FREI0R_PLUGIN_PATH") + kTimeLimit + "melt -silent color:0x204060ff out=4 " +
            "-filter frei0r.quorvel " + properties + " -consumer 'avformat:" + out + "' " +
            "f=rawvideo pix_fmt=rgb24 width=320 height=240 progressive=1 real_time=0 </dev/null",
        kWork + "/melt-" + name + ".log");
    std::ifstream written(out, std::ios::binary | std::ios::ate);
    const bool whole = written && static_cast<size_t>(written.tellg()) >= frame_bytes;
    if (whole || attempt == 3) break;
  }
  return ReadRaw(out);
}

// gst-launch-1.0: one frame of a plain test source through the filter's element (named
// after the filter's own name, Glissel) with its properties, as raw RGB. The registry is
// the test's own, so that it is built from what is installed now.
Frame Gstreamer(const std::string& name, const std::string& properties) {
  const std::string out = kWork + "/gst-" + name + ".rgb";
  std::remove(out.c_str());
  Run(FilterPath("FREI0R_PATH") + "GST_REGISTRY='" + kWork + "/gst-registry-" +
          (Installed() ? "installed" : "build") + ".bin' " + kTimeLimit +
          "gst-launch-1.0 -q videotestsrc pattern=solid-color foreground-color=0xff204060 " +
          "num-buffers=1 ! video/x-raw,width=320,height=240 ! videoconvert ! " +
          "frei0r-filter-glissel " + properties + " ! videoconvert ! " +
          "video/x-raw,format=RGB ! filesink location='" + out + "'",
      kWork + "/gst-" + name + ".log");
  return ReadRaw(out);
}

// What every default frame must show: the disc of the ball (radius a quarter of the
// width) changed, mostly red, the pendant above it, the frame's border untouched.
void ExpectDefaultBall(const Frame& f) {
  const double area = BallArea(kWidth);
  const int changed = frei0r_test::CountChanged(f, kBackground, kTolerance);
  EXPECT_GT(changed, 0.9 * area);
  EXPECT_LT(changed, 1.3 * area);
  EXPECT_GT(frei0r_test::CountDominant(f, 0), 0.4 * area) << "the ball is red";
  EXPECT_GT(frei0r_test::CountYellow(f), 100) << "the pendant, its model found beside the filter";
  EXPECT_EQ(frei0r_test::ChangedAtEdges(f, kBackground, kTolerance, 16), 0);
}

TEST(Frei0rHosts, FfmpegDrawsTheBall) {
  const Frame f = Ffmpeg("default", Quorvel(""));
  ExpectDefaultBall(f);
  // Positional parameters: rendering mode, faces number, radius. A radius of 0.2 (30
  // percent of half the width) leaves a disc of radius 48 pixels.
  const Frame small = Ffmpeg("small", Quorvel("Phong|0.5|0.2"));
  const double area = M_PI * 48 * 48;
  const int changed = frei0r_test::CountChanged(small, kBackground, kTolerance);
  EXPECT_GT(changed, 0.9 * area);
  EXPECT_LT(changed, 1.4 * area);
  EXPECT_GT(frei0r_test::CountDominant(small, 0), 0.4 * area);
}

// Two of the filters in one graph, each with its own instance: two small balls side by
// side (positions as x/y fractions of the frame), each as large as one alone.
TEST(Frei0rHosts, FfmpegTwoFiltersInOneGraph) {
  const Frame f = Ffmpeg("two", Quorvel("Phong|0.5|0.2|0.25/0.5") + "," +
                                    Quorvel("Phong|0.5|0.2|0.75/0.5"));
  const double area = M_PI * 48 * 48;
  int left = 0, right = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (frei0r_test::Differs(f.pixel(x, y), kBackground, kTolerance))
        ++(x < kWidth / 2 ? left : right);
  EXPECT_GT(left, 0.9 * area);
  EXPECT_LT(left, 1.4 * area);
  EXPECT_GT(right, 0.9 * area);
  EXPECT_LT(right, 1.4 * area);
}

TEST(Frei0rHosts, MeltDrawsTheBall) {
  ExpectDefaultBall(Melt("default", ""));
  // A property by the parameter's name: a blue ball instead of the red one.
  const Frame blue = Melt("blue", "Diffuse=#0000ff");
  EXPECT_GT(frei0r_test::CountDominant(blue, 2), 0.4 * BallArea(kWidth));
  EXPECT_LT(frei0r_test::CountDominant(blue, 0), 0.02 * BallArea(kWidth));
}

TEST(Frei0rHosts, GstreamerDrawsTheBall) {
  ExpectDefaultBall(Gstreamer("default", ""));
  // A colour is three properties: a blue ball instead of the red one.
  const Frame blue = Gstreamer("blue", "diffuse-r=0 diffuse-g=0 diffuse-b=1");
  EXPECT_GT(frei0r_test::CountDominant(blue, 2), 0.4 * BallArea(kWidth));
  EXPECT_LT(frei0r_test::CountDominant(blue, 0), 0.02 * BallArea(kWidth));
}

}  // namespace

// The frei0r filter's instance in process, frames of 160 x 120 over a plain colour: the
// default ball and its pendant are drawn and nothing else is touched, and each kind of
// parameter a frei0r host sets changes the frame as a user would expect.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "frame_measure.h"
#include "frei0r/effect.h"
#include "frei0r/filter.h"
#include "frei0r/frei0r_api.h"
#include "host/image.h"

namespace {

using frei0r_test::BallArea;
using frei0r_test::Frame;

constexpr int kWidth = 160;
constexpr int kHeight = 120;
constexpr frei0r_test::Rgb kBackground{32, 64, 96};

class FilterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    std::string error;
    ASSERT_TRUE(qvfrei0r::LoadEffect(error)) << error;
  }
  static void TearDownTestSuite() { qvfrei0r::UnloadEffect(); }

  void SetUp() override {
    filter_ = std::make_unique<qvfrei0r::Filter>(kWidth, kHeight);
    input_.assign(static_cast<size_t>(kWidth) * kHeight, 0);
    for (uint32_t& p : input_) {
      const uint8_t rgba[4] = {kBackground.r, kBackground.g, kBackground.b, 255};
      std::memcpy(&p, rgba, 4);
    }
  }

  int Index(const std::string& name) const {
    const auto& params = qvfrei0r::EffectParams();
    for (size_t i = 0; i < params.size(); ++i)
      if (params[i].name == name) return static_cast<int>(i);
    ADD_FAILURE() << "no parameter " << name;
    return -1;
  }
  template <typename T>
  void Set(const std::string& name, T value) {
    std::string error;
    EXPECT_TRUE(filter_->Set(Index(name), &value, error)) << name << ": " << error;
  }

  Frame Render(double time = 0) {
    Frame f;
    f.width = kWidth, f.height = kHeight, f.channels = 4;
    std::vector<uint32_t> out(input_.size(), 0xDEADBEEF);
    std::string error;
    EXPECT_TRUE(filter_->Update(time, input_.data(), out.data(), error)) << error;
    f.bytes.resize(out.size() * 4);
    std::memcpy(f.bytes.data(), out.data(), f.bytes.size());
    return f;
  }

  std::unique_ptr<qvfrei0r::Filter> filter_;
  std::vector<uint32_t> input_;
};

// The default frame: the ball's disc (radius a quarter of the width) changed, most of it
// the ball's red, the pendant above it yellow (the model is found beside the filter), and
// everything else the input, exactly.
TEST_F(FilterTest, DefaultFrameDrawsTheBallAndItsPendantOnly) {
  const Frame f = Render();
  const double area = BallArea(kWidth);
  const int changed = frei0r_test::CountChanged(f, kBackground, 0);
  EXPECT_GT(changed, 0.95 * area);
  EXPECT_LT(changed, 1.3 * area);
  EXPECT_GT(frei0r_test::CountDominant(f, 0), 0.4 * area);
  EXPECT_GT(frei0r_test::CountYellow(f), 30) << "the pendant model beside the filter";
  EXPECT_EQ(frei0r_test::ChangedAtEdges(f, kBackground, 0, 10), 0);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) ASSERT_EQ(f.pixel(x, y)[3], 255) << x << "," << y;
}

// Doubles, colours, positions, strings and booleans each change what a user sees.
TEST_F(FilterTest, EachKindOfParameterShows) {
  const double area = BallArea(kWidth);

  Set("Diffuse", f0r_param_color_t{0, 0, 1});
  Frame f = Render();
  EXPECT_GT(frei0r_test::CountDominant(f, 2), 0.4 * area) << "a blue ball";
  EXPECT_LT(frei0r_test::CountDominant(f, 0), 0.02 * area);

  const int disc = frei0r_test::CountChanged(f, kBackground, 0);
  const char* wire = "Wire";
  Set("Rendering mode", wire);
  Set("Faces number", 0.0);  // 100 faces: lines far apart
  f = Render();
  const int lines = frei0r_test::CountChanged(f, kBackground, 0);
  EXPECT_GT(lines, 0.1 * disc);
  EXPECT_LT(lines, 0.6 * disc) << "outlines cover less than the shaded disc";
  const char* phong = "Phong";
  Set("Rendering mode", phong);

  Set("Radius", 0.15);  // 25 percent of half the width: a disc of radius 20
  f = Render();
  const int small = frei0r_test::CountChanged(f, kBackground, 0);
  EXPECT_GT(small, 0.9 * BallArea(kWidth / 2));
  EXPECT_LT(small, 1.6 * BallArea(kWidth / 2)) << "the pendant is a larger share now";

  Set("Position", f0r_param_position_t{0.25, 0.5});
  f = Render();
  double sum_x = 0;
  int n = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      if (frei0r_test::Differs(f.pixel(x, y), kBackground, 0)) sum_x += x + 0.5, ++n;
  ASSERT_GT(n, 0);
  EXPECT_NEAR(sum_x / n, 40, 3) << "the ball moved to a quarter of the width";

  Set("Cut alpha", 1.0);
  f = Render();
  int clear = 0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) clear += f.pixel(x, y)[3] == 0;
  EXPECT_GT(clear, kWidth * kHeight - 1.7 * BallArea(kWidth / 2)) << "the input is cut away";
}

// A texture layer from a PNG file: the checkers' green shows on the ball. A file that
// cannot be read is reported and the layer stays "none"; the name reads back as set.
TEST_F(FilterTest, TextureLayersFromFiles) {
  const Frame plain = Render();
  const std::string missing = std::string(QUORVEL_TEST_WORK_DIR) + "/no-such-texture.png";
  std::string error;
  const char* text = missing.c_str();
  EXPECT_FALSE(filter_->Set(Index("Texture"), &text, error));
  EXPECT_NE(error.find("no-such-texture.png"), std::string::npos) << error;
  char* back = nullptr;
  filter_->Get(Index("Texture"), &back);
  EXPECT_STREQ(back, missing.c_str());
  EXPECT_EQ(Render().bytes, plain.bytes);

  qvhost::Image checker;
  checker.width = checker.height = 32;
  checker.rgba.resize(32 * 32 * 4);
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 32; ++x) {
      uint16_t* p = checker.pixel(x, y);
      const bool green = (x / 8 + y / 8) % 2 != 0;
      p[0] = green ? 0 : 255, p[1] = 255, p[2] = green ? 0 : 255, p[3] = 255;
    }
  const std::string file = std::string(QUORVEL_TEST_WORK_DIR) + "/checker.png";
  ASSERT_TRUE(qvhost::WritePng(file, checker, error)) << error;
  text = file.c_str();
  EXPECT_TRUE(filter_->Set(Index("Texture"), &text, error)) << error;
  const Frame textured = Render();
  EXPECT_GT(frei0r_test::CountDominant(textured, 1), 0.2 * BallArea(kWidth));
  EXPECT_EQ(frei0r_test::CountDominant(plain, 1), 0);
}

TEST_F(FilterTest, UnknownParametersAreRefused) {
  std::string error;
  double x = 0.5;
  EXPECT_FALSE(filter_->Set(-1, &x, error));
  EXPECT_FALSE(filter_->Set(static_cast<int>(qvfrei0r::EffectParams().size()), &x, error));
  EXPECT_FALSE(filter_->Set(0, nullptr, error));
  x = 123;
  filter_->Get(1000, &x);
  EXPECT_EQ(x, 123) << "nothing written for an unknown index";
}

// Two filters of one host, each with its own init and deinit, share the library: the
// first deinit leaves the effect set up for the other.
TEST_F(FilterTest, LoadsAreCounted) {
  std::string error;
  ASSERT_TRUE(qvfrei0r::LoadEffect(error)) << error;
  qvfrei0r::UnloadEffect();
  ASSERT_EQ(qvfrei0r::EffectParams().size(), 45u);
  const char* flat = "Flat";
  Set("Rendering mode", flat);
  const Frame f = Render();
  EXPECT_GT(frei0r_test::CountChanged(f, kBackground, 0), 0.95 * BallArea(kWidth));
}

// Frames through the f0r_ interface: each reaches the effect at the host's time to the
// millisecond (its layers are checked out at that time on a scale of 1000; times before
// the start at 0, beyond 2e9 ms at the last); the frame does not depend on the time
// (nothing here is animated by the effect itself); a render the host makes fail is passed
// through unchanged and told on stderr.
TEST_F(FilterTest, FramesReachTheEffectAtTheHostsTimeAndFailuresAreTold) {
  const struct {
    double time;
    A_long ms;
    bool fail;
  } kFrames[] = {{0, 0, false},           {1.0 / 30, 33, false}, {7 * 1.001 / 30, 234, false},
                 {12.3456, 12346, false}, {-1, 0, false},        {1e30, 2000000000, false},
                 {NAN, 0, false},         {2.5, 2500, true}};
  ASSERT_EQ(f0r_init(), 1);
  f0r_instance_t instance = f0r_construct(kWidth, kHeight);
  ASSERT_NE(instance, nullptr);
  qvhost::Session& session = static_cast<qvfrei0r::Filter*>(instance)->session();
  const Frame at0 = Render(0);
  for (const auto& f : kFrames) {
    if (f.fail) session.FailCheckin(41, PF_Err_OUT_OF_MEMORY);
    std::vector<uint32_t> out(input_.size(), 0xDEADBEEF);
    ::testing::internal::CaptureStderr();
    f0r_update(instance, f.time, input_.data(), out.data());
    const std::string told = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(session.checkouts().size(), 5u) << f.time;
    for (const qvhost::CheckoutCall& c : session.checkouts()) {
      EXPECT_EQ(c.what_time, f.ms) << f.time;
      EXPECT_EQ(c.time_scale, 1000u) << f.time;
    }
    if (f.fail) {
      EXPECT_EQ(out, input_);
      EXPECT_NE(told.find("the render failed with error"), std::string::npos) << told;
    } else {
      EXPECT_EQ(std::memcmp(out.data(), at0.bytes.data(), at0.bytes.size()), 0) << f.time;
      EXPECT_EQ(told, "") << f.time;
    }
  }
  f0r_destruct(instance);
  f0r_deinit();
}

}  // namespace

namespace {

// Every parameter reads back through Get what Set gave it (a double chosen to be a whole
// effect value, which every slider holds exactly; colours within 1/255, positions within
// a pixel); an unknown choice is refused.
TEST_F(FilterTest, EveryParameterReadsBackWhatWasSet) {
  const auto& params = qvfrei0r::EffectParams();
  ASSERT_GT(params.size(), 40u);
  for (size_t i = 0; i < params.size(); ++i) {
    const qvfrei0r::MappedParam& p = params[i];
    const int at = static_cast<int>(i);
    std::string error;
    // Sets `v`, reads it back into `back` and returns the largest difference of the values.
    auto round_trip = [&](auto v, auto back, auto... fields) {
      EXPECT_TRUE(filter_->Set(at, &v, error)) << p.name << ": " << error;
      filter_->Get(at, &back);
      return std::max({std::fabs(static_cast<double>(v.*fields - back.*fields))...});
    };
    struct D { double v; };
    const double whole = std::round(p.at0 + 0.375 * (p.at1 - p.at0));
    if (p.type == F0R_PARAM_BOOL) {
      EXPECT_EQ(round_trip(D{1}, D{-1}, &D::v), 0) << p.name;
      EXPECT_EQ(round_trip(D{0}, D{-1}, &D::v), 0) << p.name;
    } else if (p.type == F0R_PARAM_DOUBLE) {
      EXPECT_LT(round_trip(D{(whole - p.at0) / (p.at1 - p.at0)}, D{-1}, &D::v), 1e-9) << p.name;
    } else if (p.type == F0R_PARAM_COLOR) {
      using C = f0r_param_color_t;
      EXPECT_LE(round_trip(C{0.2f, 0.6f, 1}, C{-1, -1, -1}, &C::r, &C::g, &C::b), 1 / 255.0)
          << p.name;
    } else if (p.type == F0R_PARAM_POSITION) {
      using P = f0r_param_position_t;
      EXPECT_LE(round_trip(P{0.25, 0.75}, P{-1, -1}, &P::x, &P::y), 1.0 / kHeight) << p.name;
    } else if (p.type == F0R_PARAM_STRING && !p.layer) {  // layers: TextureLayersFromFiles
      const char* mode = "Wire";
      const char* back = nullptr;
      ASSERT_TRUE(filter_->Set(at, &mode, error)) << p.name << ": " << error;
      filter_->Get(at, &back);
      EXPECT_STREQ(back, mode) << p.name;
      const char* wrong = "Sparkle";
      EXPECT_FALSE(filter_->Set(at, &wrong, error)) << p.name;
    }
  }
}

}  // namespace

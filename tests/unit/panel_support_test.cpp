// The panel's supporting routines in isolation: reading 24-bit .bmp bytes into DIB rows
// (the native module's bitmap source), and acquiring and releasing host suites with the
// error codes and messages the host shows.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/os/bitmap_resource.h"
#include "ui/panel_layout.h"
#include "ui/suite_access.h"

namespace {

// ---- 24-bit rows: width x 3 bytes rounded up to whole 32-bit words. --------------------

TEST(Dib24, RowBytesRoundUpToWords) {
  EXPECT_EQ(Dib24RowBytes(1), 4u);
  EXPECT_EQ(Dib24RowBytes(4), 12u);
  EXPECT_EQ(Dib24RowBytes(54), 164u);
  EXPECT_EQ(Dib24RowBytes(62), 188u);
  EXPECT_EQ(Dib24RowBytes(73), 220u);
  EXPECT_EQ(Dib24RowBytes(391), 1176u);
  EXPECT_EQ(Dib24RowBytes(0), 0u);
  EXPECT_EQ(Dib24RowBytes(-5), 0u);
}

// A .bmp file of width x height whose pixel (x, y of the file's row order) holds x, y, 7.
std::vector<unsigned char> BmpFile(int width, int height, int bits = 24) {
  const size_t row = Dib24RowBytes(width);
  const size_t rows = static_cast<size_t>(height < 0 ? -height : height);
  std::vector<unsigned char> f(54 + row * rows, 0);
  auto put = [&](size_t at, unsigned v, int n) {
    for (int i = 0; i < n; ++i) f[at + static_cast<size_t>(i)] = static_cast<unsigned char>(v >> (8 * i));
  };
  f[0] = 'B';
  f[1] = 'M';
  put(10, 54, 4);
  put(14, 40, 4);
  put(18, static_cast<unsigned>(width), 4);
  put(22, static_cast<unsigned>(height), 4);
  put(26, 1, 2);
  put(28, static_cast<unsigned>(bits), 2);
  for (size_t y = 0; y < rows; ++y)
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &f[54 + row * y + static_cast<size_t>(x) * 3];
      p[0] = static_cast<unsigned char>(x);
      p[1] = static_cast<unsigned char>(y);
      p[2] = 7;
    }
  return f;
}

TEST(Dib24, BottomUpFileIsCopiedRowForRow) {
  const std::vector<unsigned char> f = BmpFile(5, 3);
  std::vector<unsigned char> pixels(Dib24RowBytes(5) * 3, 0xEE);
  ASSERT_TRUE(Dib24FromBmpFile(f.data(), f.size(), 5, 3, pixels.data(), pixels.size()));
  EXPECT_EQ(0, std::memcmp(pixels.data(), f.data() + 54, pixels.size()));
}

TEST(Dib24, TopDownFileIsTurnedBottomUp) {
  const std::vector<unsigned char> f = BmpFile(2, -3);
  std::vector<unsigned char> pixels(Dib24RowBytes(2) * 3);
  ASSERT_TRUE(Dib24FromBmpFile(f.data(), f.size(), 2, 3, pixels.data(), pixels.size()));
  EXPECT_EQ(pixels[1], 2) << "the file's last row comes first";
  EXPECT_EQ(pixels[Dib24RowBytes(2) * 2 + 1], 0);
}

// Anything but a whole 24-bit bitmap of the expected size is refused, never read past.
TEST(Dib24, RefusesWhatIsNotExactlyTheBitmapAsked) {
  std::vector<unsigned char> pixels(4096);
  const std::vector<unsigned char> good = BmpFile(5, 3);
  EXPECT_FALSE(Dib24FromBmpFile(good.data(), good.size(), 6, 3, pixels.data(), pixels.size()));
  EXPECT_FALSE(Dib24FromBmpFile(good.data(), good.size(), 5, 4, pixels.data(), pixels.size()));
  EXPECT_FALSE(Dib24FromBmpFile(good.data(), good.size() - 1, 5, 3, pixels.data(), pixels.size()));
  EXPECT_FALSE(Dib24FromBmpFile(good.data(), 20, 5, 3, pixels.data(), pixels.size()));
  EXPECT_FALSE(Dib24FromBmpFile(good.data(), good.size(), 5, 3, pixels.data(), 47)) << "buffer too small";
  EXPECT_FALSE(Dib24FromBmpFile(nullptr, good.size(), 5, 3, pixels.data(), pixels.size()));
  EXPECT_FALSE(Dib24FromBmpFile(good.data(), good.size(), 5, 3, nullptr, pixels.size()));
  const std::vector<unsigned char> wide = BmpFile(5, 3, 32);
  EXPECT_FALSE(Dib24FromBmpFile(wide.data(), wide.size(), 5, 3, pixels.data(), pixels.size()));
  std::vector<unsigned char> far = good;
  far[10] = 0xFF, far[11] = 0xFF, far[12] = 0xFF, far[13] = 0xFF;  // pixels past the end
  EXPECT_FALSE(Dib24FromBmpFile(far.data(), far.size(), 5, 3, pixels.data(), pixels.size()));
  std::vector<unsigned char> lowest = BmpFile(5, 3);
  lowest[22] = 0, lowest[23] = 0, lowest[24] = 0, lowest[25] = 0x80;  // height INT_MIN
  EXPECT_FALSE(Dib24FromBmpFile(lowest.data(), lowest.size(), 5, 3, pixels.data(), pixels.size()));
  std::vector<unsigned char> packed = BmpFile(5, 3);
  packed[30] = 1;  // run-length compressed
  EXPECT_FALSE(Dib24FromBmpFile(packed.data(), packed.size(), 5, 3, pixels.data(), pixels.size()));
}

// ---- Suites: a missing one is error 516 with a message; the host's count stays right. --

struct FakeHost {
  std::map<std::string, int> held;
  std::vector<std::string> available;
  int empty_answers = 0;  // answer with success and no suite
};
FakeHost* g_host = nullptr;
const int kSuiteRecord = 0;

SPErr Acquire(const char* name, int, const void** suite) {
  *suite = nullptr;
  for (const std::string& a : g_host->available)
    if (a == name) {
      ++g_host->held[name];
      if (g_host->empty_answers > 0) {
        --g_host->empty_answers;
        return 0;
      }
      *suite = &kSuiteRecord;
      return 0;
    }
  return 1;
}

SPErr Release(const char* name, int) {
  --g_host->held[name];
  return 0;
}

int Print(A_char* buffer, const A_char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(buffer, 256, format, args);
  va_end(args);
  return n;
}

class SuiteAccess : public ::testing::Test {
 protected:
  void SetUp() override {
    g_host = &host_;
    std::memset(&in_, 0, sizeof in_);
    std::memset(&out_, 0, sizeof out_);
    std::memset(&basic_, 0, sizeof basic_);
    std::memset(&utils_, 0, sizeof utils_);
    basic_.AcquireSuite = Acquire;
    basic_.ReleaseSuite = Release;
    utils_.ansi.sprintf = Print;
    in_.pica_basicP = &basic_;
    in_.utils = &utils_;
  }
  void TearDown() override { g_host = nullptr; }
  int Held() const {
    int n = 0;
    for (const auto& h : host_.held) n += h.second;
    return n;
  }

  FakeHost host_;
  PF_InData in_;
  PF_OutData out_;
  SPBasicSuite basic_;
  PF_UtilCallbacks utils_;
};

TEST_F(SuiteAccess, MissingSuiteIs516WithTheGivenOrDefaultMessage) {
  const void* suite = &kSuiteRecord;
  EXPECT_EQ(AcquireHostSuite(&in_, &out_, "Nope", 1, nullptr, &suite), PF_Err_BAD_CALLBACK_PARAM);
  EXPECT_EQ(suite, nullptr);
  EXPECT_STREQ(out_.return_msg, "Not able to acquire AEFX Suite.");
  EXPECT_TRUE(out_.out_flags & PF_OutFlag_DISPLAY_ERROR_MESSAGE);
  EXPECT_EQ(AcquireHostSuite(&in_, &out_, "Nope", 1, "100% missing", &suite), 516);
  EXPECT_STREQ(out_.return_msg, "100% missing") << "the message is printed, not a format";
}

TEST_F(SuiteAccess, NoBasicSuiteAtAll) {
  in_.pica_basicP = nullptr;
  const void* suite = nullptr;
  EXPECT_EQ(AcquireHostSuite(&in_, &out_, kPFAppSuite, 6, nullptr, &suite), 516);
  EXPECT_EQ(ReleaseHostSuite(&in_, &out_, kPFAppSuite, 6, nullptr), 516);
  EXPECT_STREQ(out_.return_msg, "Not able to release AEFX Suite.");
  in_.utils = nullptr;  // no sprintf either: the message still arrives, bounded
  EXPECT_EQ(AcquireHostSuite(&in_, &out_, kPFAppSuite, 6, nullptr, &suite), 516);
  EXPECT_STREQ(out_.return_msg, "Not able to acquire AEFX Suite.");
}

TEST_F(SuiteAccess, AcquiredAndReleasedBalance) {
  host_.available = {kPFAppSuite};
  const void* suite = nullptr;
  ASSERT_EQ(AcquireHostSuite(&in_, &out_, kPFAppSuite, 6, nullptr, &suite), PF_Err_NONE);
  EXPECT_EQ(suite, &kSuiteRecord);
  EXPECT_EQ(Held(), 1);
  EXPECT_EQ(ReleaseHostSuite(&in_, &out_, kPFAppSuite, 6, nullptr), PF_Err_NONE);
  EXPECT_EQ(Held(), 0);
  EXPECT_EQ(out_.out_flags, 0);
}

TEST_F(SuiteAccess, AnEmptyAnswerIsGivenBack) {
  host_.available = {kPFAppSuite};
  host_.empty_answers = 1;
  const void* suite = nullptr;
  EXPECT_EQ(AcquireHostSuite(&in_, &out_, kPFAppSuite, 6, nullptr, &suite), 516);
  EXPECT_EQ(Held(), 0);
}

TEST_F(SuiteAccess, DrawbotNullRecordIs514) {
  EXPECT_EQ(AcquireDrawbotSuites(&in_, &out_, nullptr), PF_Err_UNRECOGNIZED_PARAM_TYPE);
  EXPECT_STREQ(out_.return_msg, "NULL suite pointer passed to AEFX_AcquireDrawbotSuites");
}

// The four are taken in order; a failure stops there, and exactly those taken go back.
TEST_F(SuiteAccess, DrawbotStopsAtTheFirstMissingAndReleasesOnlyWhatItTook) {
  host_.available = {kDRAWBOT_DrawSuite, kDRAWBOT_SupplierSuite, kDRAWBOT_PathSuite};
  DrawbotSuites suites;
  EXPECT_EQ(AcquireDrawbotSuites(&in_, &out_, &suites), 516);
  EXPECT_STREQ(out_.return_msg, "Not able to acquire the DRAWBOT Surface Suite.");
  EXPECT_NE(suites.draw, nullptr);
  EXPECT_NE(suites.supplier, nullptr);
  EXPECT_EQ(suites.surface, nullptr);
  EXPECT_EQ(suites.path, nullptr) << "not even asked for";
  EXPECT_EQ(host_.held[kDRAWBOT_PathSuite], 0);
  EXPECT_EQ(Held(), 2);
  EXPECT_EQ(ReleaseDrawbotSuites(&in_, &out_, &suites), PF_Err_NONE);
  EXPECT_EQ(Held(), 0);
  for (const auto& h : host_.held) EXPECT_EQ(h.second, 0) << h.first << " released more than taken";
  EXPECT_EQ(suites.draw, nullptr);
}

// ---- Hit rectangles: inclusive; help ends at x 312 where about begins. ------------------

TEST(PanelLayout, HitRectanglesAreInclusiveAndApart) {
  const PF_Point help_edge{312 + 40, 59 + 7}, about_edge{313 + 40, 59 + 7};
  EXPECT_TRUE(PanelButtonHit(kPanelHelp, 40, 7, help_edge));
  EXPECT_FALSE(PanelButtonHit(kPanelAbout, 40, 7, help_edge));
  EXPECT_TRUE(PanelButtonHit(kPanelAbout, 40, 7, about_edge));
  EXPECT_FALSE(PanelButtonHit(kPanelHelp, 40, 7, about_edge));
  EXPECT_FALSE(PanelButtonHit(-1, 0, 0, PF_Point{300, 30}));
  EXPECT_FALSE(PanelButtonHit(kPanelButtonCount, 0, 0, PF_Point{300, 30}));
  // No point of the panel lies in two rectangles.
  for (int y = 0; y < kPanelHeight; ++y)
    for (int x = 0; x < kPanelWidth; ++x) {
      int hits = 0;
      for (int b = 0; b < kPanelButtonCount; ++b) hits += PanelButtonHit(b, 0, 0, PF_Point{x, y});
      ASSERT_LE(hits, 1) << x << "," << y;
    }
}

}  // namespace

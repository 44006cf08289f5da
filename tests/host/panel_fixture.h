// What the panel tests share: the module driven through a PanelJob, the bitmaps read
// straight from their .bmp files (independently of the module), and the picture the host
// should show: the background with the banner and the buttons at their offsets.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/image.h"
#include "host/module.h"
#include "host/panel_job.h"
#include "host_fixture.h"

// A 24-bit .bmp file as RGB, top row first.
struct Bitmap {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
};

inline Bitmap ReadBitmapFile(int id) {
#if defined(_WIN32)
  const std::string path = std::string(QUORVEL_TEST_RESOURCE_DIR) + "\\bitmap_" + std::to_string(id) + ".bmp";
#else
  const std::string path = std::string(QUORVEL_TEST_RESOURCE_DIR) + "/bitmap_" + std::to_string(id) + ".bmp";
#endif
  Bitmap b;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return b;
  std::vector<uint8_t> bytes;
  uint8_t chunk[4096];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + n);
  std::fclose(f);
  auto le = [&](size_t at, int count) {
    uint32_t v = 0;
    for (int i = count - 1; i >= 0; --i) v = (v << 8) | bytes[at + static_cast<size_t>(i)];
    return v;
  };
  if (bytes.size() < 54 || le(28, 2) != 24) return b;
  const uint32_t offset = le(10, 4);
  b.width = static_cast<int>(le(18, 4));
  b.height = static_cast<int>(le(22, 4));
  const size_t row = (static_cast<size_t>(b.width) * 3 + 3) / 4 * 4;
  if (bytes.size() < offset + row * static_cast<size_t>(b.height)) return Bitmap{};
  b.rgb.resize(static_cast<size_t>(b.width) * b.height * 3);
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      const uint8_t* p = &bytes[offset + row * static_cast<size_t>(b.height - 1 - y) + static_cast<size_t>(x) * 3];
      uint8_t* q = &b.rgb[(static_cast<size_t>(y) * b.width + x) * 3];
      q[0] = p[2];
      q[1] = p[1];
      q[2] = p[0];
    }
  return b;
}

// The bitmap pasted into an 8-bit canvas image at (dx, dy).
inline void Paste(qvhost::Image& image, const Bitmap& b, int dx, int dy) {
  for (int y = 0; y < b.height; ++y)
    for (int x = 0; x < b.width; ++x) {
      uint16_t* p = image.pixel(dx + x, dy + y);
      const uint8_t* q = &b.rgb[(static_cast<size_t>(y) * b.width + x) * 3];
      p[0] = q[0];
      p[1] = q[1];
      p[2] = q[2];
    }
}

// The panel as it should look: banner, then help, about, web, each lit or not.
inline qvhost::Image ExpectedPanel(bool help_lit, bool about_lit, bool web_lit) {
  qvhost::Image image;
  image.width = qvhost::kPanelControlWidth;
  image.height = qvhost::kPanelControlHeight;
  image.rgba.resize(static_cast<size_t>(image.width) * image.height * 4);
  for (size_t i = 0; i < image.rgba.size(); i += 4) {
    image.rgba[i] = qvhost::kControlBackground[0];
    image.rgba[i + 1] = qvhost::kControlBackground[1];
    image.rgba[i + 2] = qvhost::kControlBackground[2];
    image.rgba[i + 3] = 255;
  }
  Paste(image, ReadBitmapFile(779), 0, 0);
  Paste(image, ReadBitmapFile(help_lit ? 783 : 782), 239, 15);
  Paste(image, ReadBitmapFile(about_lit ? 781 : 780), 313, 48);
  Paste(image, ReadBitmapFile(web_lit ? 785 : 784), 248, 61);
  return image;
}

// Pixels (x, y) where the two images differ, counted, with the box around them.
struct Difference {
  int count = 0;
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

inline Difference Compare(const qvhost::Image& a, const qvhost::Image& b) {
  Difference d;
  for (int y = 0; y < a.height && y < b.height; ++y)
    for (int x = 0; x < a.width && x < b.width; ++x) {
      const uint16_t* p = a.pixel(x, y);
      const uint16_t* q = b.pixel(x, y);
      if (p[0] == q[0] && p[1] == q[1] && p[2] == q[2] && p[3] == q[3]) continue;
      ++d.count;
      d.left = std::min(d.left, x);
      d.top = std::min(d.top, y);
      d.right = std::max(d.right, x);
      d.bottom = std::max(d.bottom, y);
    }
  return d;
}

// A job on the built module, set up, with its panel drawn once.
class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    job_ = std::make_unique<qvhost::PanelJob>(qvhost::Module::Load(RecordingModulePath()));
    // The panel's state is the module's, shared by every instance: start from a known one.
    ASSERT_EQ(job_->Draw(), PF_Err_NONE);
    Point(0, 0);
    ASSERT_EQ(job_->Draw(), PF_Err_NONE);
    job_->canvas().ClearRecords();
    job_->session().ClearCallRecords();
  }

  // A point relative to the panel's origin, in window coordinates.
  static PF_Point At(int x, int y) {
    return PF_Point{qvhost::kPanelFrameLeft + x, qvhost::kPanelFrameTop + y};
  }
  PF_EventOutFlags Point(int x, int y) { return job_->Hover(At(x, y)); }
  PF_Err Send(PF_EventExtra& e) { return job_->session().Event(&e); }
  qvhost::ControlCanvas& canvas() { return job_->canvas(); }
  qvhost::Session& session() { return job_->session(); }

  std::unique_ptr<qvhost::PanelJob> job_;
};

// Laying frames and their labels out on one sheet.
#include "tools/contact_sheet/contact_sheet.h"

#include <algorithm>

#include "tools/contact_sheet/label_font.h"

namespace qvsheet {

namespace {

constexpr uint16_t kGround[4] = {40, 40, 40, 255};
constexpr uint16_t kInk[4] = {255, 255, 255, 255};

// The frame at (x0, y0) of the sheet, brought to 8 bits.
void Paste(qvhost::Image& sheet, const qvhost::Image& frame, int x0, int y0) {
  const int shift = frame.depth == 16 ? 8 : 0;
  for (int y = 0; y < frame.height; ++y)
    for (int x = 0; x < frame.width; ++x) {
      const uint16_t* p = frame.pixel(x, y);
      uint16_t* q = sheet.pixel(x0 + x, y0 + y);
      for (int k = 0; k < 4; ++k) q[k] = static_cast<uint16_t>(p[k] >> shift);
    }
}

}  // namespace

int BandHeight(const SheetLayout& layout) { return LabelHeight(layout.scale) + 2 * layout.gap; }

qvhost::Image MakeSheet(const std::vector<LabelledFrame>& frames, const SheetLayout& layout) {
  qvhost::Image sheet;
  sheet.depth = 8;
  int width = layout.gap, tallest = 0;
  for (const LabelledFrame& f : frames) {
    width += f.frame.width + layout.gap;
    tallest = std::max(tallest, f.frame.height);
  }
  sheet.width = width;
  sheet.height = layout.gap + BandHeight(layout) + tallest + layout.gap;
  sheet.rgba.resize(static_cast<size_t>(sheet.width) * sheet.height * 4);
  for (size_t i = 0; i < sheet.rgba.size(); i += 4)
    std::copy(kGround, kGround + 4, sheet.rgba.begin() + static_cast<std::ptrdiff_t>(i));

  int x = layout.gap;
  const int band_top = layout.gap;
  const int frame_top = band_top + BandHeight(layout);
  for (const LabelledFrame& f : frames) {
    const int text = LabelWidth(f.label, layout.scale);
    const int left = x + std::max(0, (f.frame.width - text) / 2);
    qvhost::Image band;  // the label drawn into its own band, clipped to the frame's width
    band.width = f.frame.width;
    band.height = LabelHeight(layout.scale);
    band.rgba.assign(static_cast<size_t>(band.width) * band.height * 4, 0);
    DrawLabel(band, left - x, 0, f.label, layout.scale, kInk);
    for (int by = 0; by < band.height; ++by)
      for (int bx = 0; bx < band.width; ++bx)
        if (band.pixel(bx, by)[3])
          std::copy(kInk, kInk + 4, sheet.pixel(x + bx, band_top + layout.gap + by));
    Paste(sheet, f.frame, x, frame_top);
    x += f.frame.width + layout.gap;
  }
  return sheet;
}

}  // namespace qvsheet

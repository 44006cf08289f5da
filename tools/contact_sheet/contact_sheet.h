// A contact sheet: frames side by side on a dark ground, each under a band with its label.
#pragma once

#include <string>
#include <vector>

#include "host/image.h"

namespace qvsheet {

struct LabelledFrame {
  std::string label;
  qvhost::Image frame;  // 8 or 16 bits a channel
};

struct SheetLayout {
  int gap = 8;  // pixels around and between the frames
  int scale = 3;  // label pixels per font pixel
};

// The band above the frames: the label's height and a gap above and below it.
int BandHeight(const SheetLayout& layout);

// The sheet at 8 bits a channel, opaque: frames left to right in the order given, tops
// aligned below the band, each label centred over its frame (clipped to it when wider).
qvhost::Image MakeSheet(const std::vector<LabelledFrame>& frames, const SheetLayout& layout);

}  // namespace qvsheet

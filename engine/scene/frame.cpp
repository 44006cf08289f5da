// A render's frame made from the engine's globals.
#include "engine/scene/frame.h"

#include <limits.h>

#include "engine/engine_state.h"
#include "engine/raster/pixel_write.h"

Frame MakeFrame(unsigned char* out, unsigned char* src, int width, int height) {
  Frame f{};
  f.width = width;
  f.height = height;
  f.out = OutputImage(out);
  f.src = OutputImage(src, ImageKind::kBackground);
  f.whole = f.out.window;
  f.layer = FrameImage{nullptr, f.whole, ImageKind::kLayer, false, nullptr};
  f.edge_color = OutputImage(nullptr, ImageKind::kEdgeColor);
  f.edge_under = OutputImage(nullptr, ImageKind::kEdgeUnder);
  f.back_copy = OutputImage(nullptr, ImageKind::kBackCopy);
  f.depth = CurrentDepthGrid();
  f.max_channel = _MaxChannel;
  f.deep = _Deep != 0;
  f.spans = LayerSpanTable{nullptr, 0, INT_MAX, -1};
  return f;
}

// The z-buffer: the accessors of ZBuff, Zwidth and Zheight, and the real extent of the
// buffer, which every cell access is checked against.
#include "engine/zbuffer.h"

#include <limits.h>
#include <string.h>

#include "engine/engine_state.h"
#include "engine/engine_store.h"
#include "engine/kept_buffers.h"

namespace {

// The buffer whose extent is known, and that extent.
void RecordExtent(float* buffer, int width, int height) {
  g_engine_store.zbuff = buffer;
  g_engine_store.zbuff_width = buffer ? width : 0;
  g_engine_store.zbuff_height = buffer ? height : 0;
}

// The extent of the present ZBuff: the recorded one, or the recorded globals for a buffer
// the caller stored into the variable directly.
void CurrentExtent(int32_t& width, int32_t& height) {
  if (!ZBuff) {
    width = height = 0;
  } else if (ZBuff == g_engine_store.zbuff) {
    width = g_engine_store.zbuff_width;
    height = g_engine_store.zbuff_height;
  } else {
    width = Zwidth > 0 ? Zwidth : 0;
    height = Zheight > 0 ? Zheight : 0;
  }
}

// Cell counts are int indices; a buffer beyond that is refused rather than wrapped.
bool CellCountFits(int width, int height) {
  return width > 0 && height > 0 && width <= INT_MAX / height;
}

}  // namespace

QV_API void __SetZBuff(float* buffer, int width, int height) {
  if (buffer && CellCountFits(width, height)) {
    ZBuff = buffer;
    Zwidth = width;
    Zheight = height;
  } else {
    ZBuff = nullptr;
    Zwidth = 0;
    Zheight = 0;
  }
  RecordExtent(ZBuff, Zwidth, Zheight);
}

QV_API void __GetZBuff(float*& buffer, int& width, int& height) {
  buffer = ZBuff;
  width = Zwidth;
  height = Zheight;
}

bool ZBuffFits(int width, int height) {
  int32_t real_width, real_height;
  CurrentExtent(real_width, real_height);
  return ZBuff && width > 0 && height > 0 && real_width == width && real_height == height;
}

bool ZBuffPrepare(int width, int height) {
  bool fits = ZBuffFits(width, height);
  Zwidth = width;
  Zheight = height;
  if (fits) {
    RecordExtent(ZBuff, width, height);
    return false;
  }
  ZBuffRelease();
  if (!CellCountFits(width, height)) return false;
  size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(float);
  float* buffer = static_cast<float*>(TakeBuffer(KeptSlot::kZBuffer, bytes, EngineAllocWhole));
  if (!buffer) return false;
  ZBuff = buffer;
  RecordExtent(buffer, width, height);
  ZBuffClear();
  return true;
}

void ZBuffClear() {
  int32_t real_width, real_height;
  CurrentExtent(real_width, real_height);
  if (!ZBuff || real_width <= 0 || real_height <= 0) return;
  // Every byte 0xFE: the float -1.694e38, below any depth a vertex can have.
  memset(ZBuff, 0xFE, static_cast<size_t>(real_width) * real_height * sizeof(float));
}

void ZBuffRelease() {
  GiveBackBuffer(KeptSlot::kZBuffer, ZBuff);
  ZBuff = nullptr;
  RecordExtent(nullptr, 0, 0);
}

void ZBuffExtent(int32_t& width, int32_t& height) { CurrentExtent(width, height); }

int ZBuffCellIndex(int x, int y) {
  int32_t real_width, real_height;
  CurrentExtent(real_width, real_height);
  if (!ZBuff || x < 0 || y < 0 || x >= Zwidth || y >= Zheight) return -1;
  if (x >= real_width || y >= real_height) return -1;
  // Row-major over Zwidth as the scene lays it out; when Zwidth is stale the index may
  // still run past the real cells, which is refused as well.
  long long cell = static_cast<long long>(y) * Zwidth + x;
  if (cell >= static_cast<long long>(real_width) * real_height) return -1;
  return static_cast<int>(cell);
}

bool ZBuffCellValid(int cell) {
  int32_t real_width, real_height;
  CurrentExtent(real_width, real_height);
  return ZBuff && cell >= 0 &&
         static_cast<long long>(cell) < static_cast<long long>(real_width) * real_height;
}

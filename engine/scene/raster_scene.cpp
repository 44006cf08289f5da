// The scene entry __RasterScene: per-render set-up (channel range, z-buffer, default light,
// scratch images, background copy), the back-face and front-face passes through the mode's
// driver, and the teardown of everything the render allocated.
#include <stdint.h>
#include <string.h>

#include "engine/engine_state.h"
#include "engine/engine_store.h"
#include "engine/kept_buffers.h"
#include "engine/scene/draw.h"
#include "engine/scene/layer_composite.h"
#include "engine/shading/plain_shading.h"
#include "engine/zbuffer.h"

namespace {

// The scratch buffers of one render, taken together and given back together.
struct ScratchSet {
  size_t image_bytes;  // f x W x H
  size_t depth_bytes;  // W x H floats
  int width, height;  // pixels a row, rows
  bool glass;  // the background copy and glass depths are needed
};

void ReleaseScratch(Frame& f) {
  GiveBackEdgeBits(f);
  EndLayerSpans(f);
  GiveBackBuffer(KeptSlot::kTriLayer, f.layer.pixels);
  GiveBackBuffer(KeptSlot::kEdgeColor, f.edge_color.pixels);
  GiveBackBuffer(KeptSlot::kEdgeUnder, f.edge_under.pixels);
  GiveBackBuffer(KeptSlot::kBackCopy, f.back_copy.pixels);
  GiveBackBuffer(KeptSlot::kGlassDepth, f.glass_depth);
  f.layer.pixels = f.edge_color.pixels = f.edge_under.pixels = f.back_copy.pixels = nullptr;
  f.glass_depth = nullptr;
  _TriLayer = _EdgeColor = _EdgeUnder = _BackCopy = nullptr;
  _GlassDepth = nullptr;
}

// The render's edge bits. They are a help, not a need: without them the edge records are
// read whole, and the edge colours a kept render left behind are zeroed first (a zero edge
// coverage everywhere; the colours under an edge are then never read before they are
// written).
void TakeEdgeBitsOrClearRecords(Frame& f, const ScratchSet& s) {
  if (!TakeEdgeBits(f, s.width, s.height) && KeepingBuffers())
    memset(f.edge_color.pixels, 0, s.image_bytes);
}

unsigned char* TakeImage(KeptSlot slot, size_t bytes) {
  return static_cast<unsigned char*>(TakeBuffer(slot, bytes, g_engine_store.scratch_alloc));
}

// Step 5: the scratch images (zero-filled), the background copy and the glass depths. False,
// with nothing left allocated, when any allocation fails. Kept buffers arrive with the
// scratch images as the last render left them, which is all the drawing needs: _TriLayer
// was left zero (each triangle then clears what it wrote), and _EdgeColor and _EdgeUnder are
// read only where the render's own edge bits (zeroed here) say it wrote them; the
// background copy and glass depths, which only glass reads, are then taken only for a scene
// with glass.
bool AllocateScratch(Frame& f, const ScratchSet& s, const unsigned char* src) {
  const bool glass = s.glass || !KeepingBuffers();
  _TriLayer = TakeImage(KeptSlot::kTriLayer, s.image_bytes);
  StartLayerSpans(f, _TriLayer, s.height);
  _EdgeColor = f.edge_color.pixels = TakeImage(KeptSlot::kEdgeColor, s.image_bytes);
  _EdgeUnder = f.edge_under.pixels = TakeImage(KeptSlot::kEdgeUnder, s.image_bytes);
  if (glass) {
    _BackCopy = f.back_copy.pixels = TakeImage(KeptSlot::kBackCopy, s.image_bytes);
    _GlassDepth = f.glass_depth = static_cast<float*>(
        TakeBuffer(KeptSlot::kGlassDepth, s.depth_bytes, g_engine_store.scratch_alloc));
  }
  if (!f.layer.pixels || !f.edge_color.pixels || !f.edge_under.pixels ||
      (glass && (!f.back_copy.pixels || !f.glass_depth))) {
    ReleaseScratch(f);
    return false;
  }
  TakeEdgeBitsOrClearRecords(f, s);
  if (!glass) return true;
  memcpy(f.back_copy.pixels, src, s.image_bytes);
  // Bytes 0xFE make every glass depth about -1.69e38: no lookup has touched the pixel yet.
  memset(f.glass_depth, 0xFE, s.depth_bytes);
  return true;
}

// True when the glass stage is on for any triangle (GlassStageOn). Another shader is handed
// the background itself, never the copy.
bool SceneUsesGlass(const Draw& c) {
  if (RenderOnePixel != DefRenderOnePixel) return false;
  for (int i = 0; i < c.tri_count; ++i)
    if (GlassStageOn(c.tris[i], c.mats, c.mat_count, c.glass)) return true;
  return false;
}

// Step 4: the default light when the render has none and the caller installed none. False
// only when it is needed and cannot be allocated.
bool InstallDefaultLight(int light_count) {
  _LightDefOwned = 0;
  if (LightDef || light_count != 0) return true;
  light3ds* light = static_cast<light3ds*>(g_engine_store.scratch_alloc(sizeof(light3ds)));
  if (!light) return false;
  light->position[0] = 200.0f;
  light->position[1] = 200.0f;
  light->position[2] = 1000.0f;
  light->colour[0] = light->colour[1] = light->colour[2] = 1.0f;
  light->multiplier = 1.0f;
  LightDef = light;
  _LightDefOwned = 1;
  return true;
}

// Teardown: every buffer this render allocated; a caller's z-buffer and light stay.
void ReleaseRender(Frame& f) {
  ReleaseScratch(f);
  if (_ZBuffOwned) ZBuffRelease();
  if (_LightDefOwned) {
    EngineFree(LightDef);
    LightDef = nullptr;
  }
  _LightDefOwned = 0;
  _ZBuffOwned = 0;
  _OutImage = nullptr;
}

// Scratch images are sized width x height x 4 channels and indexed with the caller's
// stride, so only packed rows are safe; a missing image or an empty size draws nothing.
bool ImagesUsable(const unsigned char* dst, const unsigned char* src, int width, int height,
                  int stride) {
  return dst && src && width > 0 && height > 0 &&
         static_cast<int64_t>(stride) == static_cast<int64_t>(width) * 4;
}

}  // namespace

bool EngineOutOfMemory() { return g_engine_store.out_of_memory; }

QV_API void __RasterScene(unsigned char* dst, unsigned char* src, int width, int height,
                          int stride, int /*point_count*/, int tri_count, __Triangle3ds* tris,
                          __Point3ds* points, int origin_x, int origin_y, int mat_count,
                          material3ds* mats, __Texture* textures, int light_count,
                          light3ds* lights, GlassProp* glass) {
  g_engine_store.out_of_memory = false;
  if (!ImagesUsable(dst, src, width, height, stride)) return;
  // A missing triangle or vertex array draws nothing, like a count of 0.
  if (!tris || !points) tri_count = 0;
  if (tri_count < 0) tri_count = 0;

  // 1. Row stride and channel range.
  _RowStride = stride;
  _MaxChannel = _Deep ? 32768 : 255;
  const size_t pixel_bytes = _Deep ? 8 : 4;
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  const Draw call{tri_count, tris,     points,      origin_x, origin_y, mat_count,
                  mats,      textures, light_count, lights,   glass};

  // 2. Mode 0 draws straight into the output with no buffers and no back-face pass.
  if (_DrawMode == 0) {
    _DrawBackFaces = 0;
    _DrawBackFaces1 = 0;
    Frame rough = MakeFrame(dst, src, width, height);
    RunModeDriver(rough, call);
    _ZBuffOwned = 0;
    return;
  }

  // 3. Z-buffer: reused when it really is width x height (its depths persist), else a
  // fresh one. Without one the render would draw in plain painter's order; treat that as
  // the allocation failure it is.
  _ZBuffOwned = ZBuffPrepare(width, height) ? 1 : 0;
  if (!ZBuff) {
    _ZBuffOwned = 0;
    g_engine_store.out_of_memory = true;
    return;
  }

  // 4. Default light; 5. scratch images. A failed allocation releases what the render has
  // and draws nothing.
  _OutImage = dst;
  Frame frame = MakeFrame(dst, src, width, height);
  const ScratchSet scratch{pixel_bytes * pixels, sizeof(float) * pixels, width, height,
                           SceneUsesGlass(call)};
  if (!InstallDefaultLight(light_count) || !AllocateScratch(frame, scratch, src)) {
    ReleaseRender(frame);
    g_engine_store.out_of_memory = true;
    return;
  }

  // 6, 7. The back-face pass when asked for, then the front-face pass. The back faces'
  // image becomes the background the front faces' glass sees.
  _DrawBackFaces1 = _DrawBackFaces;
  for (;;) {
    RunModeDriver(frame, call);
    if (!_DrawBackFaces1) break;
    if (frame.back_copy.pixels) memcpy(frame.back_copy.pixels, dst, pixel_bytes * pixels);
    _DrawBackFaces1 = 0;
    if (_ZBuffOwned) ZBuffClear();
  }

  // 7, 8. Teardown.
  ReleaseRender(frame);
}

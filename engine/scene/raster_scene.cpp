// The scene entry __RasterScene: per-render set-up (channel range, z-buffer, default light,
// scratch images, background copy), the back-face and front-face passes through the mode's
// driver, and the teardown of everything the render allocated.
#include <stdint.h>
#include <string.h>

#include "engine/engine_state.h"
#include "engine/scene/scene_alloc.h"
#include "engine/scene/scene_call.h"
#include "engine/zbuffer.h"

void* (*SceneScratchAlloc)(size_t bytes) = EngineAlloc;

namespace {

// Set by a render whose working buffers could not be allocated; cleared by each render.
bool g_out_of_memory = false;

// The scratch buffers of one render, allocated together and released together.
struct ScratchSet {
  size_t image_bytes;  // f x W x H
  size_t depth_bytes;  // W x H floats
};

void ReleaseScratch() {
  EngineFree(_TriLayer);
  EngineFree(_EdgeColor);
  EngineFree(_EdgeUnder);
  EngineFree(_BackCopy);
  EngineFree(_GlassDepth);
  _TriLayer = _EdgeColor = _EdgeUnder = _BackCopy = nullptr;
  _GlassDepth = nullptr;
}

// Step 5: the scratch images (zero-filled by the allocator), the background copy and the
// glass depths. False, with nothing left allocated, when any allocation fails.
bool AllocateScratch(const ScratchSet& s, const unsigned char* src) {
  _TriLayer = static_cast<unsigned char*>(SceneScratchAlloc(s.image_bytes));
  _EdgeColor = static_cast<unsigned char*>(SceneScratchAlloc(s.image_bytes));
  _EdgeUnder = static_cast<unsigned char*>(SceneScratchAlloc(s.image_bytes));
  _BackCopy = static_cast<unsigned char*>(SceneScratchAlloc(s.image_bytes));
  _GlassDepth = static_cast<float*>(SceneScratchAlloc(s.depth_bytes));
  if (!_TriLayer || !_EdgeColor || !_EdgeUnder || !_BackCopy || !_GlassDepth) {
    ReleaseScratch();
    return false;
  }
  memcpy(_BackCopy, src, s.image_bytes);
  // Bytes 0xFE make every glass depth about -1.69e38: no lookup has touched the pixel yet.
  memset(_GlassDepth, 0xFE, s.depth_bytes);
  return true;
}

// Step 4: the default light when the render has none and the caller installed none. False
// only when it is needed and cannot be allocated.
bool InstallDefaultLight(int light_count) {
  _LightDefOwned = 0;
  if (LightDef || light_count != 0) return true;
  light3ds* light = static_cast<light3ds*>(SceneScratchAlloc(sizeof(light3ds)));
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
void ReleaseRender() {
  ReleaseScratch();
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

bool EngineOutOfMemory() { return g_out_of_memory; }

QV_API void __RasterScene(unsigned char* dst, unsigned char* src, int width, int height,
                          int stride, int point_count, int tri_count, __Triangle3ds* tris,
                          __Point3ds* points, int origin_x, int origin_y, int mat_count,
                          material3ds* mats, __Texture* textures, int light_count,
                          light3ds* lights, GlassProp* glass) {
  g_out_of_memory = false;
  if (!ImagesUsable(dst, src, width, height, stride)) return;
  // A missing triangle or vertex array draws nothing, like a count of 0.
  if (!tris || !points) tri_count = 0;
  if (tri_count < 0) tri_count = 0;

  // 1. Row stride and channel range.
  _RowStride = stride;
  _MaxChannel = _Deep ? 32768 : 255;
  const size_t pixel_bytes = _Deep ? 8 : 4;
  const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
  const SceneCall call{dst,      src,       width, height,   tri_count,   tris,   points, origin_x,
                       origin_y, mat_count, mats,  textures, light_count, lights, glass};

  // 2. Mode 0 draws straight into the output with no buffers and no back-face pass.
  if (_DrawMode == 0) {
    _DrawBackFaces = 0;
    _DrawBackFaces1 = 0;
    RunModeDriver(call);
    _ZBuffOwned = 0;
    return;
  }

  // 3. Z-buffer: reused when it really is width x height (its depths persist), else a
  // fresh one. Without one the render would draw in plain painter's order; treat that as
  // the allocation failure it is.
  _ZBuffOwned = ZBuffPrepare(width, height) ? 1 : 0;
  if (!ZBuff) {
    _ZBuffOwned = 0;
    g_out_of_memory = true;
    return;
  }

  // 4. Default light; 5. scratch images. A failed allocation releases what the render has
  // and draws nothing.
  _OutImage = dst;
  if (!InstallDefaultLight(light_count) ||
      !AllocateScratch(ScratchSet{pixel_bytes * pixels, sizeof(float) * pixels}, src)) {
    ReleaseRender();
    g_out_of_memory = true;
    return;
  }

  // 6, 7. The back-face pass when asked for, then the front-face pass. The back faces'
  // image becomes the background the front faces' glass sees.
  _DrawBackFaces1 = _DrawBackFaces;
  for (;;) {
    RunModeDriver(call);
    if (!_DrawBackFaces1) break;
    memcpy(_BackCopy, dst, pixel_bytes * pixels);
    _DrawBackFaces1 = 0;
    if (_ZBuffOwned) ZBuffClear();
  }

  // 7, 8. Teardown.
  ReleaseRender();
}

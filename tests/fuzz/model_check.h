// Shared by the fuzz target and the deterministic corpus test: feeds bytes to the model
// loader and the chain walk, and says whether what came back is sound: every triangle index
// inside the vertex array, arrays present exactly when their counts are positive.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/model_chain.h"
#include "model/model_loader.h"

inline bool ModelIsSound(const LoadedModel& m) {
  auto matches = [](const void* array, int32_t count) { return (array != nullptr) == (count > 0); };
  if (m.vertex_count < 0 || m.triangle_count < 0) return false;
  if (!matches(m.vertices, m.vertex_count) || !matches(m.triangles, m.triangle_count) ||
      !matches(m.materials, m.material_count) || !matches(m.textures, m.texture_count) ||
      !matches(m.lights, m.light_count) || !matches(m.glass, m.glass_count))
    return false;
  for (int32_t k = 0; k < m.triangle_count; ++k) {
    const __Triangle3ds& t = m.triangles[k];
    if (t.a < 0 || t.b < 0 || t.c < 0 || t.a >= m.vertex_count || t.b >= m.vertex_count ||
        t.c >= m.vertex_count)
      return false;
  }
  for (int32_t k = 0; k < m.texture_count; ++k)
    if (m.textures[k].pixels) return false;
  return m.name[15] == '\0';
}

// Loads the bytes with several sets of wishes and walks the chain. Returns false when a
// load succeeded with an unsound model or a failed load left something behind.
inline bool FeedModelLoader(const uint8_t* data, size_t size, int* loaded = nullptr) {
  MemoryBytes mem = {data, size};
  const ModelSource source = MemorySource(&mem);
  const ModelWishes wishes[3] = {
      {true, false, false, false, false}, {true, true, true, true, true}, {false, false, false, false, false}};
  bool sound = true;
  for (const ModelWishes& w : wishes) {
    LoadedModel m;
    if (LoadModelFromSource(&source, w, &m)) {
      sound = sound && ModelIsSound(m);
      if (loaded) ++*loaded;
    } else {
      sound = sound && !m.vertices && !m.triangles && m.vertex_count == 0 && m.triangle_count == 0;
    }
    ReleaseLoadedModel(&m);
  }
  ModelObjectHeader headers[8];
  const int n = ReadModelObjectChain(&source, headers, 8);
  return sound && n >= -1 && n <= 8;
}

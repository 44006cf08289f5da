// The model file loader: turns the first object of a "3DDv10" file into engine vertex and
// triangle arrays, plus the optional material, texture, light and glass records asked for.
#pragma once

#include <stdint.h>

#include "engine/engine.h"
#include "model/model_source.h"

// What the caller wants. Each is honoured only when the file has it: normals when the
// header's normals flag is set; texture coordinates (and the texture records) when its uv
// flag is set and it has texture records; material indices (and the material records) when
// its material-index flag is set and it has material records; lights and glass when it has
// such records. The effect asks for normals only.
struct ModelWishes {
  bool normals;
  bool uvs;
  bool materials;
  bool lights;
  bool glass;
};

// One loaded object. Every array comes from PageAlloc and belongs to the caller, who
// releases them all with ReleaseLoadedModel (or each with PageFree). An array that was not
// asked for, or that the file does not have, is null with count 0.
struct LoadedModel {
  char name[16];  // NUL-terminated, at most 15 characters
  __Point3ds* vertices;
  __Triangle3ds* triangles;  // every index below vertex_count
  material3ds* materials;
  __Texture* textures;  // image pointers cleared and `present` 0: a file holds no images
  light3ds* lights;
  GlassProp* glass;
  int32_t vertex_count, triangle_count;
  int32_t material_count, texture_count, light_count, glass_count;
};

// Loads the first object of the file at `path` (opened with read access shared). On
// failure nothing is left allocated, *model is all empty and false is returned: a missing
// or unreadable file, a bad file header, data that lies outside the file, or a triangle
// index at or beyond the vertex count. When an array cannot be allocated, false is returned
// and *out_of_memory (when given) is set, so that a caller can tell a model it could not
// hold from one that is missing or broken; it is cleared on every other outcome.
bool LoadModelFile(const char* path, const ModelWishes& wishes, LoadedModel* model,
                   bool* out_of_memory = nullptr);

// The same from any source.
bool LoadModelFromSource(const ModelSource* source, const ModelWishes& wishes,
                         LoadedModel* model, bool* out_of_memory = nullptr);

// Releases every array of the model and empties it; an empty model is left as it is.
void ReleaseLoadedModel(LoadedModel* model);

// The per-sequence record kept in the host's sequence-data handle: the pendant model,
// loaded from its file at sequence setup and released at flatten or setdown. It holds only
// pointers and counts, so nothing of it is saved in a project; flattening discards it and
// resetup reads the file again.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "engine/engine.h"
#include "platform/sdk/ae_sdk.h"

// The arrays come from the model loader (PageAlloc) and belong to the record; sequence
// setdown releases them with PageFree. Triangles carry material 1, the pendant's, and the
// vertices are already turned and moved for the scene (see PreparePendant).
struct SequenceModel {
  __Point3ds* vertices;  // or null
  __Triangle3ds* triangles;  // or null
  int32_t vertex_count;
  int32_t triangle_count;
};
static_assert(sizeof(SequenceModel) == 24, "the host allocates the record at 24 bytes");
static_assert(offsetof(SequenceModel, triangles) == 8 && offsetof(SequenceModel, vertex_count) == 16,
              "record layout");

// The size asked of the host for the handle, and told it as the flat size.
constexpr int kSequenceModelSize = 24;

// Sequence setup with the model read from `model_path` (null or empty: none). The host
// command calls it with the path beside the module.
PF_Err SetupSequenceRecord(PF_InData* in_data, PF_OutData* out_data, const char* model_path);

// Turns the loaded pendant for the scene: material 1 on every triangle, a quarter turn
// about the x axis ((x, y, z) -> (x, z, -y)) and 70 units along y.
void PreparePendant(SequenceModel* model);

// Sequence data: the pendant model's record through setup, resetup, flatten and setdown
// (which also releases the working buffers the renders kept).
#include <string.h>

#include "engine/engine.h"
#include "model/model_loader.h"
#include "model/transforms.h"
#include "platform/os/beside_module.h"
#include "platform/os/page_alloc.h"
#include "shell/model_path.h"
#include "shell/sequence_model.h"
#include "shell/shell.h"

namespace {

// The host's "out of memory" answer when it gives no handle (memFullErr).
constexpr PF_Err kErrNoHandle = -108;

// The pendant's material index in the render's material array.
constexpr uint16_t kPendantMaterial = 1;

// -pi/2 as a single-precision float: the file's z axis becomes the scene's y axis.
constexpr float kPendantTurn = -1.5707963705062866f;
constexpr float kPendantLift = 70.0f;

// The host callbacks this file uses, all present.
bool HandleCallbacks(const PF_InData* in_data) {
  const PF_UtilCallbacks* u = in_data ? in_data->utils : nullptr;
  return u && u->host_new_handle && u->host_lock_handle && u->host_unlock_handle &&
         u->host_dispose_handle;
}

// Reads the pendant model into the record, prepared for the scene; a model that cannot be
// found or read leaves the record empty. False only when the model is there but memory for
// it ran out: the effect would otherwise draw every frame without its pendant.
bool LoadPendant(const char* path, SequenceModel* record) {
  if (!path || !path[0]) return true;
  ModelWishes wishes = {};
  wishes.normals = true;
  LoadedModel model;
  bool out_of_memory = false;
  if (!LoadModelFile(path, wishes, &model, &out_of_memory)) return !out_of_memory;
  // Only the vertices and triangles are kept; nothing else was asked for.
  record->vertices = model.vertices;
  record->triangles = model.triangles;
  record->vertex_count = model.vertex_count;
  record->triangle_count = model.triangle_count;
  PreparePendant(record);
  return true;
}

}  // namespace

void PreparePendant(SequenceModel* model) {
  if (!model) return;
  for (int32_t k = 0; k < model->triangle_count; ++k) model->triangles[k].material = kPendantMaterial;
  RotatePointsX(0.0f, 0.0f, kPendantTurn, model->vertex_count, model->vertices);
  TranslatePoints(0.0f, kPendantLift, 0.0f, model->vertex_count, model->vertices);
}

PF_Err SequenceSetup(PF_InData* in_data, PF_OutData* out_data) {
  char path[kModulePathCapacity];
  FileBesideModule(kPendantModelPath, path, sizeof path);  // empty when unknown: nothing loaded
  return SetupSequenceRecord(in_data, out_data, path);
}

PF_Err SetupSequenceRecord(PF_InData* in_data, PF_OutData* out_data, const char* model_path) {
  if (!out_data || !HandleCallbacks(in_data)) return PF_Err_INVALID_CALLBACK;
  const PF_UtilCallbacks* u = in_data->utils;
  PF_Handle handle = u->host_new_handle(kSequenceModelSize);
  out_data->sequence_data = handle;
  if (!handle) return kErrNoHandle;

  SequenceModel* record = static_cast<SequenceModel*>(u->host_lock_handle(handle));
  if (!record) {  // a handle that cannot be locked is as good as none
    u->host_dispose_handle(handle);
    out_data->sequence_data = nullptr;
    return kErrNoHandle;
  }
  memset(record, 0, sizeof *record);
  const bool loaded = LoadPendant(model_path, record);
  u->host_unlock_handle(handle);
  if (!loaded) {  // nothing of the model is held: the loader released what it had
    u->host_dispose_handle(handle);
    out_data->sequence_data = nullptr;
    return PF_Err_OUT_OF_MEMORY;
  }
  out_data->flat_sdata_size = kSequenceModelSize;
  return PF_Err_NONE;
}

PF_Err SequenceResetup(PF_InData* in_data, PF_OutData* out_data) {
  if (in_data && in_data->sequence_data) return PF_Err_NONE;  // the record lives on
  return SequenceSetup(in_data, out_data);
}

PF_Err SequenceRelease(PF_InData* in_data, PF_OutData* out_data) {
  // The renders' kept working buffers go with the sequence; the next render takes new ones.
  EngineReleaseBuffers();
  if (!in_data || !in_data->sequence_data) return PF_Err_NONE;
  if (!HandleCallbacks(in_data)) return PF_Err_INVALID_CALLBACK;
  const PF_UtilCallbacks* u = in_data->utils;
  PF_Handle handle = in_data->sequence_data;
  SequenceModel* record = static_cast<SequenceModel*>(u->host_lock_handle(handle));
  if (record) {
    PageFree(record->vertices);
    PageFree(record->triangles);
    memset(record, 0, sizeof *record);
    u->host_unlock_handle(handle);
  }
  u->host_dispose_handle(handle);
  if (out_data) out_data->sequence_data = nullptr;
  return PF_Err_NONE;
}

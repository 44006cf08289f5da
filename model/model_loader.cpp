// The model file loader. The file is untrusted: every range is checked against the file's
// size before anything is allocated for it, so a file can never make the loader allocate
// or read more than it holds, and a triangle index outside the vertex array rejects it.
#include "model/model_loader.h"

#include <string.h>

#include "model/model_format.h"
#include "platform/os/page_alloc.h"

static_assert(sizeof(material3ds) == kMaterialRecordSize, "material record");
static_assert(sizeof(__Texture) == kTextureRecordSize, "texture record");
static_assert(sizeof(light3ds) == kLightRecordSize, "light record");
static_assert(sizeof(GlassProp) == kGlassRecordSize, "glass record");

namespace {

// What the loader reads, worked out from the header and the wishes.
struct LoadPlan {
  bool file_normals, file_uvs, file_materials;  // decide the record sizes
  bool normals, uvs, materials;  // decide what the engine is told is valid
  int32_t material_count, texture_count, light_count, glass_count;  // sections to read
};

LoadPlan PlanLoad(const ModelObjectHeader& h, const ModelWishes& w) {
  LoadPlan p;
  p.file_normals = h.has_normals;
  p.file_uvs = h.has_uvs;
  p.file_materials = h.has_materials;
  p.normals = w.normals && h.has_normals;
  p.materials = w.materials && h.has_materials && h.material_count > 0;
  p.uvs = w.uvs && h.has_uvs && h.texture_count > 0;
  // A section is read when its flag is set and it is present: a positive count and an
  // offset other than -1.
  p.material_count = p.materials && h.material_offset != -1 ? h.material_count : 0;
  p.texture_count = p.uvs && h.texture_offset != -1 ? h.texture_count : 0;
  p.light_count = w.lights && h.light_offset != -1 ? h.light_count : 0;
  p.glass_count = w.glass && h.glass_offset != -1 ? h.glass_count : 0;
  return p;
}

// count records of record_size bytes at offset lie inside the source.
bool Fits(const ModelSource* s, int32_t offset, int32_t count, int record_size) {
  if (count == 0) return true;
  if (offset < 0) return false;
  return static_cast<int64_t>(count) * record_size <= s->size - offset;
}

bool PlanFits(const ModelSource* s, const ModelObjectHeader& h, const LoadPlan& p) {
  return Fits(s, h.vertex_offset, h.vertex_count, VertexRecordSize(p.file_normals, p.file_uvs)) &&
         Fits(s, h.triangle_offset, h.triangle_count, TriangleRecordSize(p.file_materials)) &&
         Fits(s, h.material_offset, p.material_count, kMaterialRecordSize) &&
         Fits(s, h.texture_offset, p.texture_count, kTextureRecordSize) &&
         Fits(s, h.light_offset, p.light_count, kLightRecordSize) &&
         Fits(s, h.glass_offset, p.glass_count, kGlassRecordSize);
}

// A zero-filled array of count records, or null for none; *ok turns false when the
// allocation fails.
template <typename Record>
Record* NewArray(int32_t count, bool* ok) {
  if (count <= 0) return nullptr;
  Record* a = static_cast<Record*>(PageAlloc(sizeof(Record) * static_cast<size_t>(count)));
  if (!a) *ok = false;
  return a;
}

// Reads count records of record_size bytes at offset into a temporary block and hands it
// to decode(block); false when the block cannot be allocated (*out_of_memory is then set),
// or the read or the decode fails.
template <typename Decode>
bool ReadRecords(const ModelSource* s, int32_t offset, int32_t count, int record_size,
                 bool* out_of_memory, Decode decode) {
  if (count == 0) return true;
  const size_t bytes = static_cast<size_t>(count) * record_size;
  unsigned char* block = static_cast<unsigned char*>(PageAlloc(bytes));
  if (!block) {
    *out_of_memory = true;
    return false;
  }
  const bool ok = ReadSource(s, offset, block, bytes) && decode(block);
  PageFree(block);
  return ok;
}

bool ReadVertices(const ModelSource* s, const ModelObjectHeader& h, const LoadPlan& p,
                  __Point3ds* out, bool* out_of_memory) {
  const int size = VertexRecordSize(p.file_normals, p.file_uvs);
  return ReadRecords(s, h.vertex_offset, h.vertex_count, size, out_of_memory,
                     [&](const unsigned char* r) {
    for (int32_t k = 0; k < h.vertex_count; ++k, r += size) {
      __Point3ds& v = out[k];
      const unsigned char* f = r;
      v.x = LoadF32(f);
      v.y = LoadF32(f + 4);
      v.z = LoadF32(f + 8);
      f += 12;
      if (p.file_normals) {  // read past even when not wished: the record size needs it
        v.nx = LoadF32(f);
        v.ny = LoadF32(f + 4);
        v.nz = LoadF32(f + 8);
        v.has_normal = p.normals;
        f += 12;
      }
      if (p.file_uvs) {
        v.u = LoadF32(f);
        v.v = LoadF32(f + 4);
        v.has_uv = p.uvs;
      }
    }
    return true;
  });
}

bool ReadTriangles(const ModelSource* s, const ModelObjectHeader& h, const LoadPlan& p,
                   __Triangle3ds* out, bool* out_of_memory) {
  const int size = TriangleRecordSize(p.file_materials);
  return ReadRecords(s, h.triangle_offset, h.triangle_count, size, out_of_memory,
                     [&](const unsigned char* r) {
    for (int32_t k = 0; k < h.triangle_count; ++k, r += size) {
      __Triangle3ds& t = out[k];
      t.a = LoadU16(r);
      t.b = LoadU16(r + 2);
      t.c = LoadU16(r + 4);
      // The engine indexes the vertex array with these as they are: one outside it
      // rejects the file.
      if (t.a >= h.vertex_count || t.b >= h.vertex_count || t.c >= h.vertex_count) return false;
      t.material = p.file_materials && p.materials ? LoadU16(r + 6) : 0;
    }
    return true;
  });
}

// Engine records stored raw, read straight into their array.
template <typename Record>
bool ReadSection(const ModelSource* s, int32_t offset, int32_t count, Record* out) {
  return count == 0 || ReadSource(s, offset, out, sizeof(Record) * static_cast<size_t>(count));
}

bool ReadObject(const ModelSource* s, const ModelObjectHeader& h, const LoadPlan& p,
                LoadedModel* m, bool* out_of_memory) {
  bool ok = true;
  m->vertices = NewArray<__Point3ds>(h.vertex_count, &ok);
  m->triangles = NewArray<__Triangle3ds>(h.triangle_count, &ok);
  m->materials = NewArray<material3ds>(p.material_count, &ok);
  m->textures = NewArray<__Texture>(p.texture_count, &ok);
  m->lights = NewArray<light3ds>(p.light_count, &ok);
  m->glass = NewArray<GlassProp>(p.glass_count, &ok);
  if (!ok) {
    *out_of_memory = true;
    return false;
  }
  m->vertex_count = h.vertex_count;
  m->triangle_count = h.triangle_count;
  m->material_count = p.material_count;
  m->texture_count = p.texture_count;
  m->light_count = p.light_count;
  m->glass_count = p.glass_count;
  if (!ReadVertices(s, h, p, m->vertices, out_of_memory) ||
      !ReadTriangles(s, h, p, m->triangles, out_of_memory) ||
      !ReadSection(s, h.material_offset, p.material_count, m->materials) ||
      !ReadSection(s, h.texture_offset, p.texture_count, m->textures) ||
      !ReadSection(s, h.light_offset, p.light_count, m->lights) ||
      !ReadSection(s, h.glass_offset, p.glass_count, m->glass))
    return false;
  for (int32_t k = 0; k < m->texture_count; ++k) {  // a pointer from a file means nothing
    m->textures[k].pixels = nullptr;
    m->textures[k].present = 0;
  }
  return true;
}

}  // namespace

bool LoadModelFromSource(const ModelSource* source, const ModelWishes& wishes,
                         LoadedModel* model, bool* out_of_memory) {
  bool no_memory = false;
  if (!out_of_memory) out_of_memory = &no_memory;
  *out_of_memory = false;
  if (!model) return false;
  memset(model, 0, sizeof *model);
  ModelFileHeader file;
  ModelObjectHeader header;
  if (!source || !ReadModelFileHeader(source, &file) ||
      !ReadModelObjectHeader(source, file.first_offset, &header))
    return false;
  const LoadPlan plan = PlanLoad(header, wishes);
  if (!PlanFits(source, header, plan)) return false;

  LoadedModel m;
  memset(&m, 0, sizeof m);
  if (!ReadObject(source, header, plan, &m, out_of_memory)) {
    ReleaseLoadedModel(&m);
    return false;
  }
  memcpy(m.name, header.name, sizeof m.name);
  *model = m;
  return true;
}

bool LoadModelFile(const char* path, const ModelWishes& wishes, LoadedModel* model,
                   bool* out_of_memory) {
  if (out_of_memory) *out_of_memory = false;
  if (model) memset(model, 0, sizeof *model);
  ModelSource source;
  if (!OpenFileSource(path, &source)) return false;
  const bool ok = LoadModelFromSource(&source, wishes, model, out_of_memory);
  CloseFileSource(&source);
  return ok;
}

void ReleaseLoadedModel(LoadedModel* model) {
  if (!model) return;
  PageFree(model->vertices);
  PageFree(model->triangles);
  PageFree(model->materials);
  PageFree(model->textures);
  PageFree(model->lights);
  PageFree(model->glass);
  memset(model, 0, sizeof *model);
}

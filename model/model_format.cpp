// Reading the two headers of the model file format.
#include "model/model_format.h"

#include <string.h>

float LoadF32(const unsigned char* p) {
  const uint32_t bits = LoadU32(p);
  float f;
  memcpy(&f, &bits, sizeof f);
  return f;
}

bool ReadModelFileHeader(const ModelSource* source, ModelFileHeader* header) {
  unsigned char raw[kModelFileHeaderSize];
  if (!header || !ReadSource(source, 0, raw, sizeof raw)) return false;
  if (memcmp(raw, kModelMagic, sizeof kModelMagic) != 0) return false;  // 6 characters + NUL
  header->object_count = LoadI32(raw + 8);
  header->first_offset = LoadI32(raw + 12);
  return header->object_count >= 1 && header->first_offset > 0;
}

namespace {
int32_t Count(const unsigned char* p) {
  const int32_t n = LoadI32(p);
  return n < 0 ? 0 : n;  // a negative count means no records
}
}  // namespace

bool ReadModelObjectHeader(const ModelSource* source, int64_t offset, ModelObjectHeader* header) {
  unsigned char raw[kModelObjectHeaderSize];
  if (!header || !ReadSource(source, offset, raw, sizeof raw)) return false;
  memcpy(header->name, raw, 16);
  header->name[15] = '\0';
  header->vertex_count = Count(raw + 16);
  header->triangle_count = Count(raw + 20);
  header->light_count = Count(raw + 24);
  header->material_count = Count(raw + 28);
  header->texture_count = Count(raw + 32);
  header->glass_count = Count(raw + 36);
  header->next_offset = LoadI32(raw + 40);
  header->vertex_offset = LoadI32(raw + 44);
  header->triangle_offset = LoadI32(raw + 48);
  header->light_offset = LoadI32(raw + 52);
  header->material_offset = LoadI32(raw + 56);
  header->texture_offset = LoadI32(raw + 60);
  header->glass_offset = LoadI32(raw + 64);
  header->has_normals = raw[68] != 0;
  header->has_uvs = raw[69] != 0;
  header->has_materials = raw[70] != 0;
  return true;
}

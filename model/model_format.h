// The "3DDv10" model file format: its sizes, its two headers and how they are read.
//
// All integers little-endian, floats IEEE single precision, offsets absolute from the start
// of the file. A file is a 16-byte file header followed by objects chained by offsets:
//
//   file header (16)   0 magic "3DDv10\0" (byte 7 not examined)  8 object count
//                      12 offset of the first object header
//   object header (72) 0 name[16]  16 vertices  20 triangles  24 lights  28 materials
//                      32 textures  36 glass  40 next object  44 vertex data
//                      48 triangle data  52 lights  56 materials  60 textures  64 glass
//                      (section offsets -1 when absent)  68 normals flag  69 uv flag
//                      70 material-index flag  71 unused
//   vertex record      x y z [nx ny nz when normals] [u v when uvs]: 12, 20, 24 or 32 bytes
//   triangle record    a b c (uint16) [material (uint16) when material indices]: 6 or 8
//   sections           material3ds 2292, __Texture 24, light3ds 72, GlassProp 16 bytes
//
// Files are laid out in order: object header, vertex data, triangle data, then materials,
// textures, lights and glass; the next-object offset is the first byte after them.
#pragma once

#include <stdint.h>

#include "model/model_source.h"

constexpr int kModelFileHeaderSize = 16;
constexpr int kModelObjectHeaderSize = 72;
constexpr char kModelMagic[] = "3DDv10";  // with its NUL: the first 7 bytes of a file
constexpr int kMaterialRecordSize = 2292;
constexpr int kTextureRecordSize = 24;
constexpr int kLightRecordSize = 72;
constexpr int kGlassRecordSize = 16;

// Size of one vertex or triangle record for the given header flags.
inline int VertexRecordSize(bool normals, bool uvs) { return 12 + (normals ? 12 : 0) + (uvs ? 8 : 0); }
inline int TriangleRecordSize(bool materials) { return materials ? 8 : 6; }

struct ModelFileHeader {
  int32_t object_count;
  int32_t first_offset;
};

// One object header as read. Counts below 0 in the file are stored as 0; offsets are kept
// as they are (-1 marks an absent section).
struct ModelObjectHeader {
  char name[16];  // always NUL-terminated: a full 16-byte field is cut to 15 characters
  int32_t vertex_count, triangle_count;
  int32_t light_count, material_count, texture_count, glass_count;
  int32_t next_offset;
  int32_t vertex_offset, triangle_offset;
  int32_t light_offset, material_offset, texture_offset, glass_offset;
  uint8_t has_normals, has_uvs, has_materials;  // the file's flags (0 or 1)
};

// Reads and checks the file header: 16 bytes, the magic, at least one object and a
// positive first-object offset.
bool ReadModelFileHeader(const ModelSource* source, ModelFileHeader* header);

// Reads the 72-byte object header at `offset`; false when it does not lie in the source.
bool ReadModelObjectHeader(const ModelSource* source, int64_t offset, ModelObjectHeader* header);

// Little-endian decoding of the file's fields.
inline uint16_t LoadU16(const unsigned char* p) {
  return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int32_t LoadI32(const unsigned char* p) { return static_cast<int32_t>(LoadU32(p)); }
float LoadF32(const unsigned char* p);

// Test helper: lays out 3DD model files byte by byte, independently of the tools' writer,
// so that tests can build valid files and then break single fields.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct TestObject {
  std::string name = "Obj";  // copied raw into the 16-byte field (may fill all 16)
  int vertices = 3, triangles = 1;
  bool normals = false, uvs = false, material_indices = false;
  int materials = 0, textures = 0, lights = 0, glass = 0;  // zero-filled records (id in byte 0)
};

inline void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
}
inline void PutU16(std::vector<uint8_t>& b, size_t at, uint16_t v) {
  b[at] = static_cast<uint8_t>(v);
  b[at + 1] = static_cast<uint8_t>(v >> 8);
}
inline void PutF32(std::vector<uint8_t>& b, size_t at, float f) {
  int32_t v;
  std::memcpy(&v, &f, 4);
  PutI32(b, at, v);
}
inline int32_t GetI32(const std::vector<uint8_t>& b, size_t at) {
  uint32_t v = 0;
  for (int k = 0; k < 4; ++k) v |= static_cast<uint32_t>(b[at + k]) << (8 * k);
  return static_cast<int32_t>(v);
}

// Vertex k: (k, k + 0.5, -k), normal (0, 0, 1 + k), uv (k / 8, 1 - k / 8); triangle k:
// (k, k + 1, k + 2) modulo the vertex count with material 5 + k.
inline void AppendObject(std::vector<uint8_t>& b, const TestObject& o) {
  const size_t h = b.size();
  const int vsize = 12 + (o.normals ? 12 : 0) + (o.uvs ? 8 : 0);
  const int tsize = o.material_indices ? 8 : 6;
  b.resize(h + 72, 0);
  std::memcpy(&b[h], o.name.data(), o.name.size() < 16 ? o.name.size() : 16);
  const size_t voff = h + 72;
  b.resize(voff + o.vertices * vsize, 0);
  for (int k = 0; k < o.vertices; ++k) {
    size_t at = voff + k * vsize;
    PutF32(b, at, static_cast<float>(k)), PutF32(b, at + 4, k + 0.5f), PutF32(b, at + 8, -static_cast<float>(k));
    at += 12;
    if (o.normals) PutF32(b, at + 8, 1.0f + k), at += 12;
    if (o.uvs) PutF32(b, at, k / 8.0f), PutF32(b, at + 4, 1 - k / 8.0f);
  }
  const size_t toff = b.size();
  b.resize(toff + o.triangles * tsize, 0);
  for (int k = 0; k < o.triangles; ++k) {
    const size_t at = toff + k * tsize;
    const int n = o.vertices > 0 ? o.vertices : 1;
    PutU16(b, at, static_cast<uint16_t>(k % n));
    PutU16(b, at + 2, static_cast<uint16_t>((k + 1) % n));
    PutU16(b, at + 4, static_cast<uint16_t>((k + 2) % n));
    if (o.material_indices) PutU16(b, at + 6, static_cast<uint16_t>(5 + k));
  }
  auto section = [&](int count, int size) -> int32_t {
    if (count == 0) return -1;
    const size_t at = b.size();
    b.resize(at + count * size, 0);
    for (int k = 0; k < count; ++k) b[at + k * size] = static_cast<uint8_t>(0x40 + k);
    return static_cast<int32_t>(at);
  };
  const int32_t moff = section(o.materials, 2292);
  const int32_t xoff = section(o.textures, 24);
  const int32_t loff = section(o.lights, 72);
  const int32_t goff = section(o.glass, 16);
  PutI32(b, h + 16, o.vertices), PutI32(b, h + 20, o.triangles);
  PutI32(b, h + 24, o.lights), PutI32(b, h + 28, o.materials);
  PutI32(b, h + 32, o.textures), PutI32(b, h + 36, o.glass);
  PutI32(b, h + 40, static_cast<int32_t>(b.size()));
  PutI32(b, h + 44, static_cast<int32_t>(voff)), PutI32(b, h + 48, static_cast<int32_t>(toff));
  PutI32(b, h + 52, loff), PutI32(b, h + 56, moff), PutI32(b, h + 60, xoff), PutI32(b, h + 64, goff);
  b[h + 68] = o.normals, b[h + 69] = o.uvs, b[h + 70] = o.material_indices;
}

inline std::vector<uint8_t> BuildModelFile(const std::vector<TestObject>& objects) {
  std::vector<uint8_t> b(16, 0);
  std::memcpy(b.data(), "3DDv10", 7);
  PutI32(b, 8, static_cast<int32_t>(objects.size()));
  PutI32(b, 12, 16);
  for (const TestObject& o : objects) AppendObject(b, o);
  return b;
}

// Field offsets inside the first object's header (which starts at 16).
enum ObjectField : size_t {
  kVertexCount = 16 + 16, kTriangleCount = 16 + 20, kLightCount = 16 + 24,
  kMaterialCount = 16 + 28, kTextureCount = 16 + 32, kGlassCount = 16 + 36,
  kNextOffset = 16 + 40, kVertexOffset = 16 + 44, kTriangleOffset = 16 + 48,
  kLightOffset = 16 + 52, kMaterialOffset = 16 + 56, kTextureOffset = 16 + 60,
  kGlassOffset = 16 + 64
};

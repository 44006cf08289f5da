// The 3DD encoder.
#include "model/model_writer.h"

#include <cstring>
#include <fstream>
#include <initializer_list>

namespace modelkit {
namespace {

constexpr size_t kFileHeader = 16;
constexpr size_t kObjectHeader = 72;
constexpr size_t kMaterialSize = 2292, kTextureSize = 24, kLightSize = 72, kGlassSize = 16;
constexpr int32_t kAbsent = -1;

void PutU16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}
void PutI32(std::vector<uint8_t>& out, size_t at, int64_t v) {
  const uint32_t u = static_cast<uint32_t>(v);
  for (int k = 0; k < 4; ++k) out[at + k] = static_cast<uint8_t>(u >> (8 * k));
}
void PutF32(std::vector<uint8_t>& out, size_t at, float f) {
  uint32_t bits;
  std::memcpy(&bits, &f, 4);
  PutI32(out, at, bits);
}

size_t PutFloats(std::vector<uint8_t>& out, size_t at, std::initializer_list<float> values) {
  for (float f : values) {
    PutF32(out, at, f);
    at += 4;
  }
  return at;
}
size_t PutIndices(std::vector<uint8_t>& out, size_t at, std::initializer_list<uint16_t> values) {
  for (uint16_t v : values) {
    PutU16(out, at, v);
    at += 2;
  }
  return at;
}

size_t VertexSize(const Object& o) { return 12 + (o.normals ? 12 : 0) + (o.uvs ? 8 : 0); }
size_t TriangleSize(const Object& o) { return o.material_indices ? 8 : 6; }

bool CheckSection(const std::vector<Record>& records, size_t size, const char* what,
                  std::string* error) {
  for (const Record& r : records)
    if (r.size() != size) {
      *error = std::string(what) + " record of " + std::to_string(r.size()) + " bytes, not " +
               std::to_string(size);
      return false;
    }
  return true;
}

bool CheckObject(const Object& o, std::string* error) {
  if (o.name.size() > 15) {
    *error = "object name \"" + o.name + "\" is longer than 15 characters";
    return false;
  }
  if (o.vertices.size() > 65536) {
    *error = "object \"" + o.name + "\" has more than 65536 vertices";
    return false;
  }
  for (const Triangle& t : o.triangles)
    if (t.a >= o.vertices.size() || t.b >= o.vertices.size() || t.c >= o.vertices.size()) {
      *error = "object \"" + o.name + "\" has a triangle index beyond its vertices";
      return false;
    }
  return CheckSection(o.materials, kMaterialSize, "material", error) &&
         CheckSection(o.textures, kTextureSize, "texture", error) &&
         CheckSection(o.lights, kLightSize, "light", error) &&
         CheckSection(o.glass, kGlassSize, "glass", error);
}

size_t ObjectSize(const Object& o) {
  return kObjectHeader + o.vertices.size() * VertexSize(o) + o.triangles.size() * TriangleSize(o) +
         o.materials.size() * kMaterialSize + o.textures.size() * kTextureSize +
         o.lights.size() * kLightSize + o.glass.size() * kGlassSize;
}

// Appends one section's records at `at`; returns its offset, or -1 when it is empty.
int64_t PutSection(std::vector<uint8_t>& out, size_t& at, const std::vector<Record>& records) {
  if (records.empty()) return kAbsent;
  const size_t start = at;
  for (const Record& r : records) {
    std::memcpy(out.data() + at, r.data(), r.size());
    at += r.size();
  }
  return static_cast<int64_t>(start);
}

void PutObject(std::vector<uint8_t>& out, size_t start, const Object& o) {
  std::memcpy(out.data() + start, o.name.data(), o.name.size());  // NUL-padded by the zeros
  size_t at = start + kObjectHeader;
  const size_t vertex_offset = at;
  for (const Vertex& v : o.vertices) {
    at = PutFloats(out, at, {v.x, v.y, v.z});
    if (o.normals) at = PutFloats(out, at, {v.nx, v.ny, v.nz});
    if (o.uvs) at = PutFloats(out, at, {v.u, v.v});
  }
  const size_t triangle_offset = at;
  for (const Triangle& t : o.triangles) {
    at = PutIndices(out, at, {t.a, t.b, t.c});
    if (o.material_indices) at = PutIndices(out, at, {t.material});
  }
  const int64_t materials = PutSection(out, at, o.materials);
  const int64_t textures = PutSection(out, at, o.textures);
  const int64_t lights = PutSection(out, at, o.lights);
  const int64_t glass = PutSection(out, at, o.glass);

  const size_t h = start;
  PutI32(out, h + 16, static_cast<int64_t>(o.vertices.size()));
  PutI32(out, h + 20, static_cast<int64_t>(o.triangles.size()));
  PutI32(out, h + 24, static_cast<int64_t>(o.lights.size()));
  PutI32(out, h + 28, static_cast<int64_t>(o.materials.size()));
  PutI32(out, h + 32, static_cast<int64_t>(o.textures.size()));
  PutI32(out, h + 36, static_cast<int64_t>(o.glass.size()));
  PutI32(out, h + 40, static_cast<int64_t>(at));
  PutI32(out, h + 44, static_cast<int64_t>(vertex_offset));
  PutI32(out, h + 48, static_cast<int64_t>(triangle_offset));
  PutI32(out, h + 52, lights);
  PutI32(out, h + 56, materials);
  PutI32(out, h + 60, textures);
  PutI32(out, h + 64, glass);
  out[h + 68] = o.normals ? 1 : 0;
  out[h + 69] = o.uvs ? 1 : 0;
  out[h + 70] = o.material_indices ? 1 : 0;
}

}  // namespace

std::vector<uint8_t> EncodeModel(const std::vector<Object>& objects, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  if (objects.empty()) {
    *error = "a model file needs at least one object";
    return {};
  }
  size_t total = kFileHeader;
  for (const Object& o : objects) {
    if (!CheckObject(o, error)) return {};
    total += ObjectSize(o);
  }
  if (total > 0x7fffffff) {
    *error = "the model is too large for 32-bit offsets";
    return {};
  }
  std::vector<uint8_t> out(total, 0);
  std::memcpy(out.data(), "3DDv10", 7);
  PutI32(out, 8, static_cast<int64_t>(objects.size()));
  PutI32(out, 12, static_cast<int64_t>(kFileHeader));
  size_t at = kFileHeader;
  for (const Object& o : objects) {
    PutObject(out, at, o);
    at += ObjectSize(o);
  }
  return out;
}

bool WriteModelFile(const std::string& path, const std::vector<Object>& objects,
                    std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  const std::vector<uint8_t> bytes = EncodeModel(objects, error);
  if (bytes.empty()) return false;
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (!file) {
    *error = "cannot create " + path;
    return false;
  }
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file.flush()) {
    *error = "cannot write " + path;
    return false;
  }
  return true;
}

}  // namespace modelkit

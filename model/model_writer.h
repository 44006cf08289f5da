// Writing "3DDv10" model files: a plain description of objects and the encoder that lays
// them out as the format's layout rule says (object header, vertex data, triangle data,
// then materials, textures, lights and glass; each next-object offset the end of its
// object's data).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace modelkit {

struct Vertex {
  float x = 0, y = 0, z = 0;
  float nx = 0, ny = 0, nz = 0;  // written when the object has normals
  float u = 0, v = 0;  // written when the object has texture coordinates
};

struct Triangle {
  uint16_t a = 0, b = 0, c = 0;
  uint16_t material = 0;  // written when the object has material indices
};

// Optional sections hold raw engine records of their fixed size (2292, 24, 72, 16 bytes).
using Record = std::vector<uint8_t>;

struct Object {
  std::string name;  // at most 15 characters
  bool normals = false;
  bool uvs = false;
  bool material_indices = false;
  std::vector<Vertex> vertices;  // at most 65536: indices are 16-bit
  std::vector<Triangle> triangles;
  std::vector<Record> materials, textures, lights, glass;
};

// The file's bytes for the objects, or an empty vector with *error set when they cannot be
// written (no object, a long name, too many vertices, an index out of range, a section
// record of the wrong size, a file beyond 2 GB).
std::vector<uint8_t> EncodeModel(const std::vector<Object>& objects, std::string* error);

// Encodes and writes the file; false with *error set on failure.
bool WriteModelFile(const std::string& path, const std::vector<Object>& objects,
                    std::string* error);

}  // namespace modelkit

// Reading Wavefront OBJ meshes into a model object: positions (v), normals (vn), texture
// coordinates (vt) and faces (f), polygons cut into triangle fans. Every distinct
// position/uv/normal combination of a face corner becomes one vertex.
#pragma once

#include <istream>
#include <string>

#include "model/model_writer.h"

namespace modelkit {

// Reads OBJ text. The object is named after the first "o" (or "g") line, else
// `default_name`, cut to 15 characters. It has normals (texture coordinates) when every
// face corner names one. False with *error (naming the line) on a malformed line, an index
// out of range, no faces, or more than 65536 vertices.
bool ReadObj(std::istream& in, const std::string& default_name, Object* object,
             std::string* error);

// Reads an OBJ file; the default name is the file's name without folder and extension.
bool ReadObjFile(const std::string& path, Object* object, std::string* error);

}  // namespace modelkit

// The OBJ reader.
#include "model/obj_reader.h"

#include <array>
#include <fstream>
#include <map>
#include <sstream>
#include <vector>

namespace modelkit {
namespace {

struct Vec3 {
  float x, y, z;
};

// One face corner: indices into the position, uv and normal lists (-1 when absent).
using Corner = std::array<long, 3>;

bool Fail(std::string* error, int line, const std::string& what) {
  *error = "line " + std::to_string(line) + ": " + what;
  return false;
}

// Parses "count" floats (up to `most`) from the rest of a line.
bool ReadFloats(std::istringstream& s, int least, int most, float* out) {
  int n = 0;
  std::string token;
  while (n < most && s >> token) {
    try {
      size_t used = 0;
      out[n] = std::stof(token, &used);
      if (used != token.size()) return false;
    } catch (...) {
      return false;
    }
    ++n;
  }
  return n >= least;
}

// An OBJ index (1-based, or negative from the end) into a list of `size` entries.
bool ResolveIndex(const std::string& text, size_t size, long* index) {
  try {
    size_t used = 0;
    const long k = std::stol(text, &used);
    if (used != text.size() || k == 0) return false;
    const long resolved = k > 0 ? k - 1 : static_cast<long>(size) + k;
    if (resolved < 0 || resolved >= static_cast<long>(size)) return false;
    *index = resolved;
    return true;
  } catch (...) {
    return false;
  }
}

// "v", "v/t", "v//n" or "v/t/n".
bool ParseCorner(const std::string& token, size_t positions, size_t uvs, size_t normals,
                 Corner* corner) {
  std::string parts[3];
  int part = 0;
  for (char ch : token) {
    if (ch == '/') {
      if (++part > 2) return false;
    } else {
      parts[part] += ch;
    }
  }
  *corner = {-1, -1, -1};
  if (!ResolveIndex(parts[0], positions, &(*corner)[0])) return false;
  if (!parts[1].empty() && !ResolveIndex(parts[1], uvs, &(*corner)[1])) return false;
  if (!parts[2].empty() && !ResolveIndex(parts[2], normals, &(*corner)[2])) return false;
  return true;
}

std::string CutName(const std::string& name) { return name.substr(0, 15); }

}  // namespace

bool ReadObj(std::istream& in, const std::string& default_name, Object* object,
             std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  std::vector<Vec3> positions, normals;
  std::vector<std::array<float, 2>> uvs;
  std::vector<std::array<Corner, 3>> faces;
  std::string name;
  std::string text;
  int line = 0;
  while (std::getline(in, text)) {
    ++line;
    if (!text.empty() && text.back() == '\r') text.pop_back();
    std::istringstream s(text);
    std::string key;
    if (!(s >> key) || key[0] == '#') continue;
    if (key == "v" || key == "vn") {
      float f[4];
      if (!ReadFloats(s, 3, key == "v" ? 4 : 3, f)) return Fail(error, line, "bad " + key);
      (key == "v" ? positions : normals).push_back({f[0], f[1], f[2]});
    } else if (key == "vt") {
      float f[3] = {0, 0, 0};
      if (!ReadFloats(s, 1, 3, f)) return Fail(error, line, "bad vt");
      uvs.push_back({f[0], f[1]});
    } else if (key == "f") {
      std::vector<Corner> corners;
      std::string token;
      while (s >> token) {
        Corner c;
        if (!ParseCorner(token, positions.size(), uvs.size(), normals.size(), &c))
          return Fail(error, line, "bad face corner \"" + token + "\"");
        corners.push_back(c);
      }
      if (corners.size() < 3) return Fail(error, line, "a face needs at least 3 corners");
      for (size_t k = 1; k + 1 < corners.size(); ++k)  // fan from the first corner
        faces.push_back({corners[0], corners[k], corners[k + 1]});
    } else if ((key == "o" || key == "g") && name.empty()) {
      s >> name;
    }
    // Other statements (materials, smoothing groups, lines) carry nothing the format holds.
  }
  if (faces.empty()) return Fail(error, line, "no faces");

  Object o;
  o.name = CutName(name.empty() ? default_name : name);
  o.normals = o.uvs = true;
  for (const auto& f : faces)
    for (const Corner& c : f) {
      o.uvs = o.uvs && c[1] >= 0;
      o.normals = o.normals && c[2] >= 0;
    }
  std::map<Corner, uint16_t> index_of;
  for (const auto& f : faces) {
    uint16_t idx[3];
    for (int k = 0; k < 3; ++k) {
      Corner key = f[k];
      if (!o.uvs) key[1] = -1;
      if (!o.normals) key[2] = -1;
      auto found = index_of.find(key);
      if (found == index_of.end()) {
        if (o.vertices.size() >= 65536) return Fail(error, line, "more than 65536 vertices");
        Vertex v;
        const Vec3& p = positions[key[0]];
        v.x = p.x, v.y = p.y, v.z = p.z;
        if (key[1] >= 0) v.u = uvs[key[1]][0], v.v = uvs[key[1]][1];
        if (key[2] >= 0) v.nx = normals[key[2]].x, v.ny = normals[key[2]].y, v.nz = normals[key[2]].z;
        found = index_of.emplace(key, static_cast<uint16_t>(o.vertices.size())).first;
        o.vertices.push_back(v);
      }
      idx[k] = found->second;
    }
    Triangle t;
    t.a = idx[0], t.b = idx[1], t.c = idx[2];
    o.triangles.push_back(t);
  }
  *object = std::move(o);
  return true;
}

bool ReadObjFile(const std::string& path, Object* object, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  std::ifstream in(path);
  if (!in) {
    *error = "cannot open " + path;
    return false;
  }
  std::string stem = path.substr(path.find_last_of("/\\") == std::string::npos ? 0 : path.find_last_of("/\\") + 1);
  stem = stem.substr(0, stem.find_last_of('.'));
  if (!ReadObj(in, stem, object, error)) {
    *error = path + ": " + *error;
    return false;
  }
  return true;
}

}  // namespace modelkit

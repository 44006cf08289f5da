// make_model_corpus FOLDER: writes the fuzz target's seed corpus, valid files of every shape
// and broken ones, with the tools' writer.
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "model/model_writer.h"
#include "tools/modelkit/pendant_cap.h"

using namespace modelkit;

namespace {

std::string folder;

void Save(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::ofstream f(folder + "/" + name, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutI32(std::vector<uint8_t>& b, size_t at, int32_t v) {
  for (int k = 0; k < 4; ++k) b[at + k] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * k));
}

Object OneTriangle(bool normals) {
  Object o;
  o.name = "Tri";
  o.normals = normals;
  o.vertices.resize(3);
  o.vertices[1].x = 10, o.vertices[2].y = 10;
  for (auto& v : o.vertices) v.nz = 1;
  o.triangles = {{0, 1, 2, 0}};
  return o;
}

Object Everything() {
  Object o = OneTriangle(true);
  o.name = "Everything";
  o.uvs = o.material_indices = true;
  o.vertices.push_back(Vertex{});
  o.triangles.push_back({1, 2, 3, 1});
  o.materials.assign(2, Record(2292, 1));
  o.textures.assign(1, Record(24, 2));
  o.lights.assign(1, Record(72, 3));
  o.glass.assign(1, Record(16, 4));
  return o;
}

std::vector<uint8_t> Encode(const std::vector<Object>& objects) {
  std::string error;
  return EncodeModel(objects, &error);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_model_corpus FOLDER\n");
    return 2;
  }
  folder = argv[1];
  Save("valid-minimal.3dd", Encode({OneTriangle(true)}));
  Save("valid-no-normals.3dd", Encode({OneTriangle(false)}));
  Save("valid-everything.3dd", Encode({Everything()}));
  Save("valid-two-objects.3dd", Encode({OneTriangle(true), Everything()}));
  Object empty;
  empty.name = "FifteenCharName";
  Save("valid-empty-object.3dd", Encode({empty}));
  Save("valid-pendant.3dd", Encode({MakePendantCap()}));

  const std::vector<uint8_t> good = Encode({Everything()});
  Save("broken-truncated.3dd", std::vector<uint8_t>(good.begin(), good.begin() + good.size() / 2));
  Save("broken-header-only.3dd", std::vector<uint8_t>(good.begin(), good.begin() + 16));
  std::vector<uint8_t> b = good;
  b[5] = '1';
  Save("broken-magic.3dd", b);
  b = good;
  PutI32(b, 16 + 16, 0x7FFFFFFF);
  Save("broken-huge-vertex-count.3dd", b);
  b = good;
  PutI32(b, 16 + 28, 0x10000000);
  Save("broken-huge-material-count.3dd", b);
  b = good;
  b[16 + 72 + 4 * 32 + 8 + 4] = 9;  // second triangle's c beyond 4 vertices
  Save("broken-index.3dd", b);
  b = good;
  PutI32(b, 16 + 48, -8);
  Save("broken-negative-offset.3dd", b);
  b = Encode({OneTriangle(true), OneTriangle(true)});
  PutI32(b, 8, 1000);
  PutI32(b, 16 + 40, 16);  // a chain that loops on itself
  Save("broken-looping-chain.3dd", b);
  return 0;
}

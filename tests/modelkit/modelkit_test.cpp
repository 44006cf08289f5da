// The 3DD writer against the module's loader: layout rule, every section, several objects,
// and the writer's refusals.
#include <gtest/gtest.h>

#include "model/model_chain.h"
#include "model/model_loader.h"
#include "model/model_writer.h"

namespace {

using modelkit::Object;

Object Sample() {
  Object o;
  o.name = "Sample";
  o.normals = o.uvs = o.material_indices = true;
  for (int k = 0; k < 4; ++k) {
    modelkit::Vertex v;
    v.x = k, v.y = 2.0f * k, v.z = -k;
    v.nz = 1, v.u = 0.25f * k, v.v = 1 - 0.25f * k;
    o.vertices.push_back(v);
  }
  o.triangles = {{0, 1, 2, 0}, {0, 2, 3, 1}};
  o.materials.assign(2, modelkit::Record(2292, 0));
  o.textures.assign(1, modelkit::Record(24, 0));
  o.lights.assign(1, modelkit::Record(72, 0));
  o.glass.assign(1, modelkit::Record(16, 7));
  return o;
}

int32_t I32(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<int32_t>(b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24);
}

TEST(ModelWriter, LayoutRule) {
  std::string error;
  const std::vector<uint8_t> b = modelkit::EncodeModel({Sample()}, &error);
  ASSERT_FALSE(b.empty()) << error;
  const size_t vertices = 16 + 72, triangles = vertices + 4 * 32, materials = triangles + 2 * 8;
  const size_t textures = materials + 2 * 2292, lights = textures + 24, glass = lights + 72;
  EXPECT_EQ(I32(b, 16 + 44), static_cast<int32_t>(vertices));
  EXPECT_EQ(I32(b, 16 + 48), static_cast<int32_t>(triangles));
  EXPECT_EQ(I32(b, 16 + 56), static_cast<int32_t>(materials));
  EXPECT_EQ(I32(b, 16 + 60), static_cast<int32_t>(textures));
  EXPECT_EQ(I32(b, 16 + 52), static_cast<int32_t>(lights));
  EXPECT_EQ(I32(b, 16 + 64), static_cast<int32_t>(glass));
  EXPECT_EQ(I32(b, 16 + 40), static_cast<int32_t>(b.size()));
  EXPECT_EQ(b.size(), glass + 16);
}

TEST(ModelWriter, LoaderReadsEverythingBack) {
  std::string error;
  const std::vector<uint8_t> b = modelkit::EncodeModel({Sample()}, &error);
  MemoryBytes mem = {b.data(), b.size()};
  const ModelSource src = MemorySource(&mem);
  LoadedModel m;
  ASSERT_TRUE(LoadModelFromSource(&src, {true, true, true, true, true}, &m));
  EXPECT_STREQ(m.name, "Sample");
  ASSERT_EQ(m.vertex_count, 4);
  EXPECT_EQ(m.vertices[3].y, 6.0f);
  EXPECT_EQ(m.vertices[3].u, 0.75f);
  EXPECT_EQ(m.vertices[3].has_uv, 1);
  EXPECT_EQ(m.triangles[1].c, 3);
  EXPECT_EQ(m.triangles[1].material, 1);
  EXPECT_EQ(m.material_count, 2);
  EXPECT_EQ(m.texture_count, 1);
  EXPECT_EQ(m.light_count, 1);
  ASSERT_EQ(m.glass_count, 1);
  EXPECT_EQ(m.glass[0].glass, 7);
  ReleaseLoadedModel(&m);
}

TEST(ModelWriter, ObjectsChain) {
  Object a = Sample(), b;
  b.name = "Tail";
  b.vertices.resize(3);
  b.triangles = {{0, 1, 2, 0}};
  std::string error;
  const std::vector<uint8_t> bytes = modelkit::EncodeModel({a, b, b}, &error);
  MemoryBytes mem = {bytes.data(), bytes.size()};
  const ModelSource src = MemorySource(&mem);
  ModelObjectHeader h[3];
  ASSERT_EQ(ReadModelObjectChain(&src, h, 3), 3);
  EXPECT_STREQ(h[0].name, "Sample");
  EXPECT_STREQ(h[2].name, "Tail");
  EXPECT_EQ(h[2].next_offset, static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(h[1].vertex_offset, h[0].next_offset + 72);
}

TEST(ModelWriter, Refusals) {
  std::string error;
  EXPECT_TRUE(modelkit::EncodeModel({}, &error).empty());
  Object o = Sample();
  o.name = "SixteenCharsLong";
  EXPECT_TRUE(modelkit::EncodeModel({o}, &error).empty());
  EXPECT_NE(error.find("15 characters"), std::string::npos);
  o = Sample();
  o.triangles[0].c = 4;
  EXPECT_TRUE(modelkit::EncodeModel({o}, &error).empty());
  o = Sample();
  o.glass[0].resize(15);
  EXPECT_TRUE(modelkit::EncodeModel({o}, &error).empty());
  o = Sample();
  o.vertices.resize(65537);
  EXPECT_TRUE(modelkit::EncodeModel({o}, &error).empty());
  EXPECT_FALSE(modelkit::WriteModelFile(std::string(QUORVEL_TEST_WORK_DIR) + "/no/such/dir/x.3dd", {Sample()}, &error));
}

}  // namespace

// The 3DD loader: the minimal file, wishes against the file's flags, names, the object
// chain, and every kind of broken file, which must fail without leaving arrays behind.
#include <gtest/gtest.h>

#if !defined(_WIN32)
#include <dirent.h>
#endif

#include <cstdio>
#include <fstream>
#include <string>

#include "model/model_chain.h"
#include "model/model_loader.h"
#include "tests/unit/model_file_bytes.h"

namespace {

const ModelWishes kNormalsOnly = {true, false, false, false, false};
const ModelWishes kEverything = {true, true, true, true, true};
const ModelWishes kNothing = {false, false, false, false, false};

bool Load(const std::vector<uint8_t>& bytes, const ModelWishes& w, LoadedModel* m) {
  MemoryBytes mem = {bytes.data(), bytes.size()};
  const ModelSource src = MemorySource(&mem);
  return LoadModelFromSource(&src, w, m);
}

bool Empty(const LoadedModel& m) {
  return !m.vertices && !m.triangles && !m.materials && !m.textures && !m.lights && !m.glass &&
         m.vertex_count == 0 && m.triangle_count == 0 && m.material_count == 0 &&
         m.texture_count == 0 && m.light_count == 0 && m.glass_count == 0;
}

// Fails, and leaves nothing (the sanitizer build also sees any leaked array).
void ExpectRejected(const std::vector<uint8_t>& bytes, const ModelWishes& w = kEverything) {
  LoadedModel m;
  EXPECT_FALSE(Load(bytes, w, &m));
  EXPECT_TRUE(Empty(m));
}

std::string WorkPath(const std::string& name) { return std::string(QUORVEL_TEST_WORK_DIR) + "/" + name; }

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// One object of 3 vertices with normals and 1 triangle without material index: header at
// 0, object at 16, vertices 88..159, triangle 160..165, next object 166.
std::vector<uint8_t> MinimalFile() {
  std::vector<uint8_t> b(166, 0);
  std::memcpy(b.data(), "3DDv10", 7);
  PutI32(b, 8, 1), PutI32(b, 12, 16);
  std::memcpy(&b[16], "Tri", 3);
  PutI32(b, 32, 3), PutI32(b, 36, 1);
  PutI32(b, 56, 166), PutI32(b, 60, 88), PutI32(b, 64, 160);
  for (size_t at : {68, 72, 76, 80}) PutI32(b, at, -1);
  b[84] = 1;
  const float pos[3][3] = {{0, 0, 0}, {10, 0, 0}, {0, 10, 0}};
  for (int k = 0; k < 3; ++k) {
    for (int c = 0; c < 3; ++c) PutF32(b, 88 + k * 24 + c * 4, pos[k][c]);
    PutF32(b, 88 + k * 24 + 20, 1.0f);  // normal (0, 0, 1)
  }
  PutU16(b, 160, 0), PutU16(b, 162, 1), PutU16(b, 164, 2);
  return b;
}

TEST(ModelLoader, MinimalFileFromDisk) {
  const std::vector<uint8_t> bytes = MinimalFile();
  TestObject o;
  o.name = "Tri";
  o.normals = true;
  // The test builder lays files out the same way, field for field (apart from the values).
  std::vector<uint8_t> built = BuildModelFile({o});
  ASSERT_EQ(built.size(), bytes.size());
  for (size_t at = 0; at < 88; ++at) EXPECT_EQ(built[at], bytes[at]) << "byte " << at;

  const std::string path = WorkPath("minimal.3dd");
  WriteFile(path, bytes);
  LoadedModel m;
  ASSERT_TRUE(LoadModelFile(path.c_str(), kNormalsOnly, &m));
  EXPECT_STREQ(m.name, "Tri");
  ASSERT_EQ(m.vertex_count, 3);
  ASSERT_EQ(m.triangle_count, 1);
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(m.vertices[k].has_normal, 1);
    EXPECT_EQ(m.vertices[k].nz, 1.0f);
    EXPECT_EQ(m.vertices[k].has_uv, 0);
  }
  EXPECT_EQ(m.vertices[1].x, 10.0f);
  EXPECT_EQ(m.vertices[2].y, 10.0f);
  EXPECT_EQ(m.triangles[0].a, 0);
  EXPECT_EQ(m.triangles[0].b, 1);
  EXPECT_EQ(m.triangles[0].c, 2);
  EXPECT_EQ(m.triangles[0].material, 0);
  EXPECT_EQ(m.materials, nullptr);
  ReleaseLoadedModel(&m);
  EXPECT_TRUE(Empty(m));
}

// The loader closes the file on every path: loaded, rejected or truncated, the process
// holds no more open files than before (natively counted in /proc/self/fd).
#if !defined(_WIN32)
int OpenFiles() {
  int n = 0;
  if (DIR* d = opendir("/proc/self/fd")) {
    while (readdir(d)) ++n;
    closedir(d);
  }
  return n;
}

TEST(ModelLoader, FilesAreClosedOnEveryPath) {
  std::vector<uint8_t> bytes = MinimalFile();
  const std::string good = WorkPath("closed-good.3dd"), bad = WorkPath("closed-bad.3dd");
  WriteFile(good, bytes);
  bytes.resize(100);  // cut inside the vertices
  WriteFile(bad, bytes);
  const int before = OpenFiles();
  for (int i = 0; i < 10; ++i) {
    LoadedModel m;
    EXPECT_TRUE(LoadModelFile(good.c_str(), kNormalsOnly, &m));
    ReleaseLoadedModel(&m);
    EXPECT_FALSE(LoadModelFile(bad.c_str(), kNormalsOnly, &m));
  }
  EXPECT_EQ(OpenFiles(), before);
}
#endif

TEST(ModelLoader, MissingFileFails) {
  LoadedModel m;
  EXPECT_FALSE(LoadModelFile(WorkPath("no-such-model.3dd").c_str(), kEverything, &m));
  EXPECT_TRUE(Empty(m));
  EXPECT_FALSE(LoadModelFile(QUORVEL_TEST_WORK_DIR, kEverything, &m));  // a folder
  EXPECT_FALSE(LoadModelFile(nullptr, kEverything, &m));
}

// The file's flags decide what is read; the wishes decide what the engine is told is valid.
TEST(ModelLoader, NormalsReadPastWithoutTheWish) {
  TestObject o;
  o.normals = o.uvs = true;
  o.vertices = 4;
  o.triangles = 2;
  LoadedModel m;
  ASSERT_TRUE(Load(BuildModelFile({o}), kNothing, &m));
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(m.vertices[k].has_normal, 0);
    EXPECT_EQ(m.vertices[k].nz, 1.0f + k);  // still read
    EXPECT_EQ(m.vertices[k].x, static_cast<float>(k));
    EXPECT_EQ(m.vertices[k].y, k + 0.5f);
    EXPECT_EQ(m.vertices[k].z, -static_cast<float>(k));
    EXPECT_EQ(m.vertices[k].u, k / 8.0f);  // after the normal
    EXPECT_EQ(m.vertices[k].v, 1 - k / 8.0f);
  }
  EXPECT_EQ(m.triangles[1].a, 1);  // triangle data found at the right place
  EXPECT_EQ(m.triangles[1].c, 3);
  ReleaseLoadedModel(&m);
}

TEST(ModelLoader, UvFlagWithoutTexturesGivesNoUv) {
  TestObject o;
  o.uvs = true;
  LoadedModel m;
  ASSERT_TRUE(Load(BuildModelFile({o}), kEverything, &m));
  EXPECT_EQ(m.vertices[2].has_uv, 0);
  EXPECT_EQ(m.vertices[2].u, 2 / 8.0f);  // read all the same
  EXPECT_EQ(m.vertices[2].v, 1 - 2 / 8.0f);
  EXPECT_EQ(m.texture_count, 0);
  ReleaseLoadedModel(&m);

  o.textures = 2;
  ASSERT_TRUE(Load(BuildModelFile({o}), kEverything, &m));
  EXPECT_EQ(m.vertices[2].has_uv, 1);
  ASSERT_EQ(m.texture_count, 2);
  EXPECT_EQ(m.textures[1].present, 0);  // no image comes from a file
  const unsigned char* pixels = m.textures[1].pixels;  // a packed field: read by value
  EXPECT_EQ(pixels, nullptr);
  ReleaseLoadedModel(&m);
}

TEST(ModelLoader, MaterialIndicesOnlyWhenWished) {
  TestObject o;
  o.material_indices = true;
  o.materials = 2;
  o.triangles = 3;
  LoadedModel m;
  ASSERT_TRUE(Load(BuildModelFile({o}), kNormalsOnly, &m));  // the effect's case
  for (int k = 0; k < 3; ++k) EXPECT_EQ(m.triangles[k].material, 0);
  EXPECT_EQ(m.material_count, 0);
  EXPECT_EQ(m.materials, nullptr);
  ReleaseLoadedModel(&m);

  ASSERT_TRUE(Load(BuildModelFile({o}), kEverything, &m));
  EXPECT_EQ(m.triangles[2].material, 7);
  ASSERT_EQ(m.material_count, 2);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(&m.materials[1])[0], 0x41);
  ReleaseLoadedModel(&m);

  o.materials = 0;  // indices without material records are not valid
  ASSERT_TRUE(Load(BuildModelFile({o}), kEverything, &m));
  EXPECT_EQ(m.triangles[2].material, 0);
  ReleaseLoadedModel(&m);
}

TEST(ModelLoader, LightAndGlassSections) {
  TestObject o;
  o.lights = 2;
  o.glass = 3;
  LoadedModel m;
  ASSERT_TRUE(Load(BuildModelFile({o}), kEverything, &m));
  ASSERT_EQ(m.light_count, 2);
  ASSERT_EQ(m.glass_count, 3);
  EXPECT_EQ(reinterpret_cast<unsigned char*>(&m.lights[1])[0], 0x41);
  EXPECT_EQ(m.glass[2].glass, 0x42);
  ReleaseLoadedModel(&m);
  ASSERT_TRUE(Load(BuildModelFile({o}), kNormalsOnly, &m));
  EXPECT_EQ(m.lights, nullptr);
  EXPECT_EQ(m.light_count, 0);
  EXPECT_EQ(m.glass_count, 0);
  ReleaseLoadedModel(&m);
}

TEST(ModelLoader, Names) {
  TestObject o;
  o.name = "FifteenCharName";
  LoadedModel m;
  ASSERT_TRUE(Load(BuildModelFile({o}), kNothing, &m));
  EXPECT_STREQ(m.name, "FifteenCharName");
  ReleaseLoadedModel(&m);
  o.name = "SixteenCharsLong";  // no NUL in the field: cut to 15
  ASSERT_TRUE(Load(BuildModelFile({o}), kNothing, &m));
  EXPECT_STREQ(m.name, "SixteenCharsLon");
  ReleaseLoadedModel(&m);
}

TEST(ModelLoader, TwoObjectsLoadTheFirstAndChainToTheSecond) {
  TestObject a, b;
  a.name = "First";
  a.vertices = 3;
  b.name = "Second";
  b.vertices = 5;
  b.triangles = 4;
  b.normals = true;
  const std::vector<uint8_t> bytes = BuildModelFile({a, b});
  LoadedModel m;
  ASSERT_TRUE(Load(bytes, kEverything, &m));
  EXPECT_STREQ(m.name, "First");
  EXPECT_EQ(m.vertex_count, 3);
  ReleaseLoadedModel(&m);

  MemoryBytes mem = {bytes.data(), bytes.size()};
  const ModelSource src = MemorySource(&mem);
  ModelObjectHeader h[3];
  ASSERT_EQ(ReadModelObjectChain(&src, h, 3), 2);
  EXPECT_STREQ(h[1].name, "Second");
  EXPECT_EQ(h[1].vertex_count, 5);
  EXPECT_EQ(h[1].has_normals, 1);
  EXPECT_EQ(h[0].next_offset, 16 + 72 + 3 * 12 + 6);  // the second object's header
  EXPECT_EQ(h[1].next_offset, static_cast<int32_t>(bytes.size()));
  EXPECT_EQ(ReadModelObjectChain(&src, h, 1), 1);

  std::vector<uint8_t> broken = bytes;
  PutI32(broken, kNextOffset, static_cast<int32_t>(bytes.size()) - 10);  // into the tail
  MemoryBytes bm = {broken.data(), broken.size()};
  const ModelSource bsrc = MemorySource(&bm);
  bool intact = true;
  EXPECT_EQ(ReadModelObjectChain(&bsrc, h, 3, &intact), 1);  // the first one only
  EXPECT_FALSE(intact);

  std::vector<uint8_t> looped = bytes;  // a chain that points back at itself stops
  PutI32(looped, 8, 1000000);
  PutI32(looped, kNextOffset, 16);
  MemoryBytes lm = {looped.data(), looped.size()};
  const ModelSource lsrc = MemorySource(&lm);
  std::vector<ModelObjectHeader> many(1000);
  EXPECT_EQ(ReadModelObjectChain(&lsrc, many.data(), 1000, &intact), 1);
  EXPECT_FALSE(intact);
  EXPECT_EQ(ReadModelObjectChain(&src, h, 3, &intact), 2);
  EXPECT_TRUE(intact);
  PutI32(looped, 12, 0);  // a bad file header
  EXPECT_EQ(ReadModelObjectChain(&lsrc, many.data(), 1000), -1);
}

// Bad file headers: short, wrong magic, no objects, no first object.
// A memory source reads only within its bytes, through ReadSource and through its own
// read function alike (a caller may hold either): ranges at the end, past it, straddling it,
// empty ones at the very end and negative offsets.
TEST(ModelSource, MemoryReadsStayWithinItsBytes) {
  std::vector<uint8_t> bytes(16);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i + 1);
  MemoryBytes mem = {bytes.data(), bytes.size()};
  const ModelSource src = MemorySource(&mem);
  EXPECT_EQ(src.size, 16);
  struct Range {
    int64_t offset;
    size_t bytes;
    bool inside;
  };
  const Range ranges[] = {{0, 16, true},  {8, 8, true},  {15, 1, true},  {16, 0, true},
                          {10, 8, false}, {16, 1, false}, {17, 0, false}, {-1, 1, false},
                          {1, 16, false}, {8, SIZE_MAX, false}};
  for (const Range& r : ranges) {
    for (bool own : {false, true}) {
      uint8_t out[16] = {};
      const bool read = own ? src.read_at(src.context, r.offset, out, r.bytes)
                            : ReadSource(&src, r.offset, out, r.bytes);
      EXPECT_EQ(read, r.inside) << r.offset << " + " << r.bytes << (own ? " (own)" : "");
      if (read && r.bytes > 0) {
        EXPECT_EQ(out[0], bytes[r.offset]);
        EXPECT_EQ(out[r.bytes - 1], bytes[r.offset + r.bytes - 1]);
      }
    }
  }
}

TEST(ModelLoader, BadFileHeaders) {
  const std::vector<uint8_t> good = MinimalFile();
  ExpectRejected(std::vector<uint8_t>(good.begin(), good.begin() + 16));  // header only
  std::vector<uint8_t> b = good;
  b[3] = 'V';
  ExpectRejected(b);
  b = good;
  b[6] = '!';  // the magic's NUL
  ExpectRejected(b);
  b = good;
  b[7] = 'x';  // not examined
  LoadedModel m;
  EXPECT_TRUE(Load(b, kEverything, &m));
  ReleaseLoadedModel(&m);
  for (int32_t count : {0, -1}) {
    b = good;
    PutI32(b, 8, count);
    ExpectRejected(b);
  }
  for (int32_t first : {0, -16, 100, 1 << 30}) {
    b = good;
    PutI32(b, 12, first);
    ExpectRejected(b);
  }
}

// Every prefix of a file with every section fails cleanly; the whole file loads.
TEST(ModelLoader, EveryTruncationFails) {
  TestObject o;
  o.normals = o.uvs = o.material_indices = true;
  o.vertices = 4;
  o.triangles = 3;
  o.materials = o.textures = o.lights = o.glass = 1;
  const std::vector<uint8_t> bytes = BuildModelFile({o});
  for (size_t n = 0; n < bytes.size(); ++n)
    ExpectRejected(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
  LoadedModel m;
  ASSERT_TRUE(Load(bytes, kEverything, &m));
  ReleaseLoadedModel(&m);

  // Through the file system as well, at the edge of each section.
  const std::string path = WorkPath("truncated.3dd");
  for (size_t n : {size_t(15), size_t(87), size_t(88 + 4 * 32 - 1), bytes.size() - 1}) {
    WriteFile(path, std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
    EXPECT_FALSE(LoadModelFile(path.c_str(), kEverything, &m)) << n;
    EXPECT_TRUE(Empty(m));
  }
}

TEST(ModelLoader, IndexAtOrBeyondTheVertexCountRejects) {
  TestObject o;
  o.triangles = 2;
  std::vector<uint8_t> b = BuildModelFile({o});
  const size_t tri = static_cast<size_t>(GetI32(b, kTriangleOffset));
  PutU16(b, tri + 6 + 4, 3);  // second triangle's c = vertex count
  ExpectRejected(b, kNothing);
  PutU16(b, tri + 6 + 4, 0xFFFF);
  ExpectRejected(b, kNothing);
  PutU16(b, tri + 6 + 4, 2);
  LoadedModel m;
  EXPECT_TRUE(Load(b, kNothing, &m));
  ReleaseLoadedModel(&m);
}

// Counts the file cannot hold are rejected before anything is allocated for them.
TEST(ModelLoader, HugeCountsRejected) {
  TestObject o;
  o.materials = 1;
  o.material_indices = true;
  o.lights = o.glass = 1;
  const std::vector<uint8_t> good = BuildModelFile({o});
  for (size_t field : {kVertexCount, kTriangleCount, kMaterialCount, kLightCount, kGlassCount})
    for (int32_t count : {0x7FFFFFFF, 0x10000000, 1000}) {
      std::vector<uint8_t> b = good;
      PutI32(b, field, count);
      ExpectRejected(b);
    }
}

// Negative counts mean no records.
TEST(ModelLoader, NegativeCountsAreZero) {
  TestObject o;
  std::vector<uint8_t> b = BuildModelFile({o});
  PutI32(b, kTriangleCount, -7);
  LoadedModel m;
  ASSERT_TRUE(Load(b, kEverything, &m));
  EXPECT_EQ(m.triangle_count, 0);
  EXPECT_EQ(m.triangles, nullptr);
  EXPECT_EQ(m.vertex_count, 3);
  ReleaseLoadedModel(&m);
  PutI32(b, kVertexCount, -1);
  ASSERT_TRUE(Load(b, kEverything, &m));
  EXPECT_EQ(m.vertex_count, 0);
  EXPECT_EQ(m.vertices, nullptr);
  ReleaseLoadedModel(&m);
  PutI32(b, kTriangleCount, 1);  // an index into no vertices
  ExpectRejected(b);
}

// Offsets are checked against the file; a section at -1 is absent.
TEST(ModelLoader, OffsetsChecked) {
  TestObject o;
  o.glass = 1;
  const std::vector<uint8_t> good = BuildModelFile({o});
  for (size_t field : {kVertexOffset, kTriangleOffset, kGlassOffset})
    for (int32_t offset : {-2, -100000, static_cast<int32_t>(good.size()) - 2, 0x7FFFFFF0}) {
      std::vector<uint8_t> b = good;
      PutI32(b, field, offset);
      ExpectRejected(b);
    }
  std::vector<uint8_t> b = good;
  PutI32(b, kGlassOffset, -1);
  LoadedModel m;
  ASSERT_TRUE(Load(b, kEverything, &m));
  EXPECT_EQ(m.glass_count, 0);
  EXPECT_EQ(m.glass, nullptr);
  ReleaseLoadedModel(&m);
}

}  // namespace

// Sequence data: setup, resetup, flatten and setdown through fake host handles, the
// pendant's preparation, and the model path beside the module.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "model/model_loader.h"
#include "platform/os/beside_module.h"
#include "shell/model_path.h"
#include "shell/sequence_model.h"
#include "shell/shell.h"
#include "tests/unit/model_beside_program.h"
#include "tests/unit/fake_sequence_host.h"

namespace {


const std::string kShippedModel =
    std::string(QUORVEL_TEST_PLUGIN_DIR) + "/Geometry/Toys/Toy01.3dd";

SequenceModel* Record(FakeSequenceHost& host) {
  return static_cast<SequenceModel*>(*host.out.sequence_data);
}

bool SameRecord(const SequenceModel& a, const SequenceModel& b) {
  if (a.vertex_count != b.vertex_count || a.triangle_count != b.triangle_count) return false;
  return std::memcmp(a.vertices, b.vertices, sizeof(__Point3ds) * a.vertex_count) == 0 &&
         std::memcmp(a.triangles, b.triangles, sizeof(__Triangle3ds) * a.triangle_count) == 0;
}

TEST(Sequence, SetupLoadsAndPreparesTheModel) {
  FakeSequenceHost host;
  ASSERT_EQ(SetupSequenceRecord(&host.in, &host.out, kShippedModel.c_str()), PF_Err_NONE);
  ASSERT_NE(host.out.sequence_data, nullptr);
  EXPECT_EQ(host.out.flat_sdata_size, 24);
  const SequenceModel* r = Record(host);
  ASSERT_GT(r->vertex_count, 0);
  ASSERT_GT(r->triangle_count, 0);

  LoadedModel raw;
  ASSERT_TRUE(LoadModelFile(kShippedModel.c_str(), {true, false, false, false, false}, &raw));
  ASSERT_EQ(raw.vertex_count, r->vertex_count);
  for (int k = 0; k < r->vertex_count; ++k) {
    // (x, y, z) -> (x, z + 70, -y), normals turned alike.
    EXPECT_EQ(r->vertices[k].x, raw.vertices[k].x);
    EXPECT_NEAR(r->vertices[k].y, raw.vertices[k].z + 70, 1e-4);
    EXPECT_NEAR(r->vertices[k].z, -raw.vertices[k].y, 1e-4);
    EXPECT_NEAR(r->vertices[k].ny, raw.vertices[k].nz, 1e-6);
    EXPECT_EQ(r->vertices[k].has_normal, 1);
  }
  for (int k = 0; k < r->triangle_count; ++k) {
    EXPECT_EQ(r->triangles[k].material, 1);
    EXPECT_EQ(r->triangles[k].a, raw.triangles[k].a);
  }
  ReleaseLoadedModel(&raw);

  host.Keep();
  EXPECT_EQ(SequenceRelease(&host.in, &host.out), PF_Err_NONE);
  EXPECT_EQ(host.out.sequence_data, nullptr);
  EXPECT_EQ(FakeSequenceHost::live_handles, 0);
}

TEST(Sequence, PreparedVertexLandsAtSeventyOne) {
  __Point3ds v = {};
  v.z = 1;
  __Triangle3ds t = {};
  t.material = 9;
  SequenceModel m = {&v, &t, 1, 1};
  PreparePendant(&m);
  EXPECT_NEAR(v.x, 0, 1e-6);
  EXPECT_NEAR(v.y, 71, 1e-5);
  EXPECT_NEAR(v.z, 0, 1e-6);
  EXPECT_EQ(t.material, 1);
}

TEST(Sequence, MissingModelLeavesAnEmptyRecord) {
  FakeSequenceHost host;
  const std::string missing = std::string(QUORVEL_TEST_WORK_DIR) + "/none/Toy01.3dd";
  ASSERT_EQ(SetupSequenceRecord(&host.in, &host.out, missing.c_str()), PF_Err_NONE);
  const SequenceModel* r = Record(host);
  EXPECT_EQ(r->vertices, nullptr);
  EXPECT_EQ(r->triangles, nullptr);
  EXPECT_EQ(r->vertex_count, 0);
  EXPECT_EQ(r->triangle_count, 0);
  EXPECT_EQ(host.out.flat_sdata_size, 24);
  host.Keep();
  EXPECT_EQ(SequenceRelease(&host.in, &host.out), PF_Err_NONE);
  EXPECT_EQ(FakeSequenceHost::live_handles, 0);

  ASSERT_EQ(SetupSequenceRecord(&host.in, &host.out, nullptr), PF_Err_NONE);
  EXPECT_EQ(Record(host)->vertices, nullptr);
  host.Keep();
  SequenceRelease(&host.in, &host.out);
}

TEST(Sequence, NoHandleFromTheHost) {
  FakeSequenceHost host;
  FakeSequenceHost::refuse_handles = true;
  EXPECT_EQ(SequenceSetup(&host.in, &host.out), -108);
  EXPECT_EQ(host.out.sequence_data, nullptr);
  EXPECT_EQ(FakeSequenceHost::locks, 0);
  EXPECT_EQ(SequenceResetup(&host.in, &host.out), -108);
}

TEST(Sequence, MissingCallbacksAreAnError) {
  FakeSequenceHost host;
  host.utils.host_new_handle = nullptr;
  EXPECT_NE(SequenceSetup(&host.in, &host.out), PF_Err_NONE);
  host.in.utils = nullptr;
  EXPECT_NE(SequenceSetup(&host.in, &host.out), PF_Err_NONE);
  EXPECT_EQ(SequenceRelease(&host.in, &host.out), PF_Err_NONE);  // no handle: nothing to do
}

// Through the host commands, with the model beside the program.
TEST(Sequence, FlattenThenResetupEqualsTheFirstSetup) {
  PlaceModelBesideProgram();
  FakeSequenceHost host;
  ASSERT_EQ(SequenceSetup(&host.in, &host.out), PF_Err_NONE);
  ASSERT_GT(Record(host)->vertex_count, 0);
  const SequenceModel first = *Record(host);
  // Keep a copy of the first record's arrays to compare with after the reload.
  std::vector<__Point3ds> v(first.vertices, first.vertices + first.vertex_count);
  std::vector<__Triangle3ds> t(first.triangles, first.triangles + first.triangle_count);
  const SequenceModel copy = {v.data(), t.data(), first.vertex_count, first.triangle_count};

  host.Keep();
  ASSERT_EQ(SequenceRelease(&host.in, &host.out), PF_Err_NONE);  // flatten
  EXPECT_EQ(host.out.sequence_data, nullptr);
  EXPECT_EQ(FakeSequenceHost::live_handles, 0);
  host.Keep();
  ASSERT_EQ(SequenceResetup(&host.in, &host.out), PF_Err_NONE);
  ASSERT_NE(host.out.sequence_data, nullptr);
  EXPECT_TRUE(SameRecord(*Record(host), copy));  // turned and moved once, not twice

  // Resetup with a live handle changes nothing and reads nothing.
  host.Keep();
  const int locks = FakeSequenceHost::locks;
  SequenceModel* before = Record(host);
  const SequenceModel snapshot = *before;
  EXPECT_EQ(SequenceResetup(&host.in, &host.out), PF_Err_NONE);
  EXPECT_EQ(FakeSequenceHost::locks, locks);
  EXPECT_EQ(FakeSequenceHost::live_handles, 1);
  EXPECT_EQ(std::memcmp(before, &snapshot, sizeof snapshot), 0);

  EXPECT_EQ(SequenceRelease(&host.in, &host.out), PF_Err_NONE);  // setdown
  EXPECT_EQ(FakeSequenceHost::live_handles, 0);
  host.Keep();
  EXPECT_EQ(SequenceRelease(&host.in, &host.out), PF_Err_NONE);  // nothing left: no-op
}

// A file beside the module: the module's folder, up to and with its last separator, then
// the file's relative path, whatever the module file is called.
TEST(BesideModule, CutsTheModulePathAtItsLastSeparator) {
  const std::pair<const char*, const char*> kCases[] = {  // module, model
      {"C:\\Plugins\\Quorvel64.AEX", "C:\\Plugins\\Geometry/Toys/Toy01.3dd"},
      {"/opt/fx/Quorvel64.AEX", "/opt/fx/Geometry/Toys/Toy01.3dd"},
      {"Quorvel64.AEX", "Geometry/Toys/Toy01.3dd"},  // the current folder
      // Renamed modules and the frei0r filter: the name does not count, only the folder.
      {"/usr/lib/frei0r-1/quorvel.so", "/usr/lib/frei0r-1/Geometry/Toys/Toy01.3dd"},
      {"C:\\a.AEX", "C:\\Geometry/Toys/Toy01.3dd"},
      {"C:\\Plugins\\Glissel 2 (old).AEX", "C:\\Plugins\\Geometry/Toys/Toy01.3dd"},
      // Either separator: the last one wins.
      {"Z:/work\\fx/Q.AEX", "Z:/work\\fx/Geometry/Toys/Toy01.3dd"},
      {"Z:\\work/fx\\Q.AEX", "Z:\\work/fx\\Geometry/Toys/Toy01.3dd"},
  };
  char out[kModulePathCapacity];
  for (const auto& [module, expected] : kCases) {
    ASSERT_TRUE(PathBesideModule(module, kPendantModelPath, out, sizeof out)) << module;
    EXPECT_STREQ(out, expected);
  }
}

TEST(BesideModule, PathsThatDoNotFitGiveNothing) {
  char out[kModulePathCapacity];
  EXPECT_FALSE(PathBesideModule(nullptr, kPendantModelPath, out, sizeof out));
  EXPECT_STREQ(out, "");
  EXPECT_FALSE(PathBesideModule("", kPendantModelPath, out, sizeof out));  // no module named
  const std::string folder(1000, 'f');
  const std::string module = folder + "\\Quorvel64.AEX";
  // 1001 + 23 characters do not fit 1023.
  EXPECT_FALSE(PathBesideModule(module.c_str(), kPendantModelPath, out, sizeof out));
  EXPECT_STREQ(out, "");
  const std::string fits = std::string(1023 - 23 - 1, 'g') + "\\Quorvel64.AEX";
  EXPECT_TRUE(PathBesideModule(fits.c_str(), kPendantModelPath, out, sizeof out));
  EXPECT_EQ(std::strlen(out), 1023u);
  char tiny[8];
  EXPECT_FALSE(PathBesideModule("C:\\Plugins\\Q.AEX", kPendantModelPath, tiny, sizeof tiny));
}

}  // namespace

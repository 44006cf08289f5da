// Sequence data through the real module: the pendant model read from the file beside the
// module at setup, kept in a host handle, released at flatten and setdown, read again at
// resetup. In the Windows build this is the real DLL reading its file under Wine.
#include <cstring>
#include <filesystem>
#include <vector>

#include "host_fixture.h"
#include "shell/sequence_model.h"

namespace {

// A copy of what a record holds, for comparing two setups.
struct RecordCopy {
  std::vector<__Point3ds> vertices;
  std::vector<__Triangle3ds> triangles;
};

class SequenceTest : public ModuleTest {
 protected:
  SequenceModel* LockRecord() {
    PF_Handle h = session_->in_data().sequence_data;
    return h ? static_cast<SequenceModel*>(session_->handles().Lock(h)) : nullptr;
  }
  void UnlockRecord() { session_->handles().Unlock(session_->in_data().sequence_data); }

  RecordCopy CopyRecord() {
    RecordCopy copy;
    SequenceModel* r = LockRecord();
    EXPECT_NE(r, nullptr);
    if (!r) return copy;
    if (r->vertices) copy.vertices.assign(r->vertices, r->vertices + r->vertex_count);
    if (r->triangles) copy.triangles.assign(r->triangles, r->triangles + r->triangle_count);
    UnlockRecord();
    return copy;
  }
};

bool SameBytes(const RecordCopy& a, const RecordCopy& b) {
  return a.vertices.size() == b.vertices.size() && a.triangles.size() == b.triangles.size() &&
         std::memcmp(a.vertices.data(), b.vertices.data(),
                     a.vertices.size() * sizeof(__Point3ds)) == 0 &&
         std::memcmp(a.triangles.data(), b.triangles.data(),
                     a.triangles.size() * sizeof(__Triangle3ds)) == 0;
}

}  // namespace

TEST_F(SequenceTest, SetupLoadsThePendantBesideTheModuleIntoA24ByteRecord) {
  SetUpEffect();
  ASSERT_EQ(session_->SequenceSetup(), PF_Err_NONE);
  EXPECT_EQ(session_->out_data().flat_sdata_size, 24);
  PF_Handle h = session_->in_data().sequence_data;
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(session_->handles().SizeOf(h), 24u);
  SequenceModel* r = LockRecord();
  ASSERT_NE(r, nullptr);
  ASSERT_NE(r->vertices, nullptr);
  ASSERT_NE(r->triangles, nullptr);
  EXPECT_GT(r->vertex_count, 100);
  EXPECT_GT(r->triangle_count, 100);
  for (int i = 0; i < r->triangle_count; ++i) {
    ASSERT_EQ(r->triangles[i].material, 1) << "triangle " << i;
    ASSERT_LT(r->triangles[i].a, r->vertex_count);
    ASSERT_LT(r->triangles[i].b, r->vertex_count);
    ASSERT_LT(r->triangles[i].c, r->vertex_count);
  }
  // Turned so the file's z axis runs along y, and moved 70 along y: the cap, whose file
  // z runs from -82 upwards, starts 12 units below the origin.
  float min_y = 1e9f;
  for (int i = 0; i < r->vertex_count; ++i) min_y = std::min(min_y, r->vertices[i].y);
  EXPECT_NEAR(min_y, -12.0f, 0.01f);
  UnlockRecord();
  EXPECT_EQ(session_->SequenceSetdown(), PF_Err_NONE);
  EXPECT_EQ(session_->in_data().sequence_data, nullptr);
  EXPECT_EQ(session_->handles().live(), 0u);
  EXPECT_EQ(session_->handles().bad_calls(), 0);
}

TEST_F(SequenceTest, FlattenThenResetupRebuildsTheSameRecordOnce) {
  SetUpEffect();
  ASSERT_EQ(session_->SequenceSetup(), PF_Err_NONE);
  const RecordCopy first = CopyRecord();
  ASSERT_FALSE(first.vertices.empty());

  ASSERT_EQ(session_->SequenceFlatten(), PF_Err_NONE);
  EXPECT_EQ(session_->handles().live(), 0u) << "flatten hands the host no data";

  ASSERT_EQ(session_->SequenceResetup(), PF_Err_NONE);
  ASSERT_NE(session_->in_data().sequence_data, nullptr);
  EXPECT_TRUE(SameBytes(first, CopyRecord())) << "turned and moved once, not twice";

  // Resetup with a live record changes nothing.
  PF_Handle live = session_->in_data().sequence_data;
  ASSERT_EQ(session_->SequenceResetup(), PF_Err_NONE);
  EXPECT_EQ(session_->in_data().sequence_data, live);
  EXPECT_EQ(session_->handles().created(), 2);
  EXPECT_TRUE(SameBytes(first, CopyRecord()));

  ASSERT_EQ(session_->SequenceSetdown(), PF_Err_NONE);
  EXPECT_EQ(session_->handles().live(), 0u);
  EXPECT_EQ(session_->handles().bad_calls(), 0);
}

TEST_F(SequenceTest, AHostThatGivesNoHandleGetsMinus108) {
  SetUpEffect();
  session_->handles().set_refuse_new(true);
  EXPECT_EQ(session_->SequenceSetup(), -108);
  EXPECT_EQ(session_->in_data().sequence_data, nullptr);
  EXPECT_EQ(session_->handles().live(), 0u);
  // Setdown with no record is harmless.
  EXPECT_EQ(session_->SequenceSetdown(), PF_Err_NONE);
}

TEST(SequenceWithoutModel, AModuleWithoutItsGeometryFolderKeepsAnEmptyRecord) {
  namespace fs = std::filesystem;
  const fs::path folder = fs::path(WorkPath("lonely-module"));
  fs::remove_all(folder);
  fs::create_directories(folder);
  const fs::path copy = folder / "Quorvel64.AEX";
  fs::copy_file(fs::path(ModulePath()), copy);
  {
    auto module = qvhost::Module::Load(copy.string());
    qvhost::Session session(module);
    ASSERT_EQ(session.GlobalSetup(), PF_Err_NONE);
    ASSERT_EQ(session.ParamsSetup(), PF_Err_NONE);
    ASSERT_EQ(session.SequenceSetup(), PF_Err_NONE) << "a missing model is not an error";
    PF_Handle h = session.in_data().sequence_data;
    ASSERT_NE(h, nullptr);
    auto* r = static_cast<SequenceModel*>(session.handles().Lock(h));
    ASSERT_NE(r, nullptr);
    EXPECT_EQ(r->vertices, nullptr);
    EXPECT_EQ(r->triangles, nullptr);
    EXPECT_EQ(r->vertex_count, 0);
    EXPECT_EQ(r->triangle_count, 0);
    session.handles().Unlock(h);
    EXPECT_EQ(session.SequenceSetdown(), PF_Err_NONE);
    EXPECT_EQ(session.handles().live(), 0u);
    EXPECT_EQ(session.GlobalSetdown(), PF_Err_NONE);
  }
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

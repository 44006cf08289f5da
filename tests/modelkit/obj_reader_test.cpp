// The OBJ reader: corner forms, negative indices, polygon fans, shared corners, and errors
// that name their line.
#include <gtest/gtest.h>

#include <sstream>

#include "model/obj_reader.h"

namespace {

bool Read(const std::string& text, modelkit::Object* o, std::string* error) {
  std::istringstream in(text);
  return modelkit::ReadObj(in, "fallback", o, error);
}

TEST(ObjReader, QuadWithNormalsAndUvs) {
  const char* text =
      "# a square\n"
      "o Square\n"
      "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n"
      "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\n"
      "vn 0 0 1\n"
      "f 1/1/1 2/2/1 3/3/1 4/4/1\n";
  modelkit::Object o;
  std::string error;
  ASSERT_TRUE(Read(text, &o, &error)) << error;
  EXPECT_EQ(o.name, "Square");
  EXPECT_TRUE(o.normals);
  EXPECT_TRUE(o.uvs);
  ASSERT_EQ(o.vertices.size(), 4u);  // corners shared by the two fan triangles
  ASSERT_EQ(o.triangles.size(), 2u);
  EXPECT_EQ(o.triangles[1].a, 0);
  EXPECT_EQ(o.triangles[1].b, 2);
  EXPECT_EQ(o.triangles[1].c, 3);
  EXPECT_EQ(o.vertices[2].u, 1.0f);
  EXPECT_EQ(o.vertices[2].nz, 1.0f);
}

TEST(ObjReader, NegativeIndicesAndMissingUvs) {
  const char* text = "v 0 0 0\nv 2 0 0\nv 0 2 0\nvn 0 0 -1\nf -3//-1 -2//-1 -1//-1\nf 1 2 3\r\n";
  modelkit::Object o;
  std::string error;
  ASSERT_TRUE(Read(text, &o, &error)) << error;
  EXPECT_EQ(o.name, "fallback");
  EXPECT_FALSE(o.uvs);
  EXPECT_FALSE(o.normals);  // the second face names none
  EXPECT_EQ(o.vertices.size(), 3u);
  EXPECT_EQ(o.vertices[1].x, 2.0f);
}

TEST(ObjReader, LongNamesAreCut) {
  modelkit::Object o;
  std::string error;
  ASSERT_TRUE(Read("o AVeryLongObjectNameIndeed\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n", &o, &error));
  EXPECT_EQ(o.name, "AVeryLongObject");
}

TEST(ObjReader, ErrorsNameTheLine) {
  modelkit::Object o;
  std::string error;
  EXPECT_FALSE(Read("v 0 0 0\nv 1 0 0\nf 1 2 3\n", &o, &error));
  EXPECT_NE(error.find("line 3"), std::string::npos) << error;
  EXPECT_FALSE(Read("v 0 0\n", &o, &error));
  EXPECT_NE(error.find("line 1"), std::string::npos);
  EXPECT_FALSE(Read("v 0 0 0\nv 1 0 x\n", &o, &error));
  EXPECT_FALSE(Read("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n", &o, &error));
  EXPECT_FALSE(Read("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1/1 2/1 3/1\n", &o, &error));  // no vt
  EXPECT_FALSE(Read("v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", &o, &error));
  EXPECT_FALSE(Read("v 0 0 0\n", &o, &error));
  EXPECT_NE(error.find("no faces"), std::string::npos);
  EXPECT_FALSE(modelkit::ReadObjFile(std::string(QUORVEL_TEST_WORK_DIR) + "/missing.obj", &o, &error));
  EXPECT_NE(error.find("cannot open"), std::string::npos);
}

}  // namespace

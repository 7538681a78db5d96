#include "maskwright/core/reader_3ds.h"

#include <gtest/gtest.h>

#include <cmath>

#include "maskwright/core/model_3ds_writer.h"
#include "platform/errors.h"
#include "test_support.h"

using namespace chunk3ds;

namespace {

class Reader3dsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_.core = &core_;
    DXDrawInitialize(core_.View, core_.ObjColor, core_.LightColor);
  }
  bool Parse(const std::string& bytes) {
    return Parse3DS(core_, host_, dir_.Write("model.3ds", bytes));
  }
  std::size_t FaceCount() const { return core_.View.MeshBuilder->Triangles().size(); }

  TTempDir dir_;
  TMaskCore core_;
  TRecordingHost host_;
};

TEST_F(Reader3dsTest, ImportsEveryFaceListInsideTheEditor) {
  const std::string file =
      File(Object("first", Mesh(Triangle() + FaceListOf(2))) +
           Chunk(0x4600, "light") +  // other objects' chunks are skipped
           Object("second", Mesh(Triangle() + FaceListOf(3))));
  ASSERT_TRUE(Parse(file));
  EXPECT_EQ(FaceCount(), 5u);
  EXPECT_EQ(host_.Last(0), "5 faces imported");
  EXPECT_TRUE(host_.Shown(0, "first"));
  EXPECT_TRUE(host_.Shown(0, "second"));
  EXPECT_EQ(host_.progress.back(), 0);
  EXPECT_TRUE(host_.errors.empty());
}

TEST_F(Reader3dsTest, ConvertsAxesAndReversesWinding) {
  ASSERT_TRUE(Parse(File(Object("o", Mesh(Vertices({{{1, 2, 3}}, {{4, 5, 6}}, {{7, 8, 9}}}) +
                                              Faces({{{0, 1, 2}}}))))));
  const auto& mesh = *core_.View.MeshBuilder;
  ASSERT_EQ(mesh.Vertices().size(), 3u);
  EXPECT_EQ(mesh.Vertices()[0], (TVector3{1, 3, 2}));
  ASSERT_EQ(FaceCount(), 1u);
  EXPECT_EQ(mesh.Triangles()[0], (TTriangle{2, 1, 0}));
}

TEST_F(Reader3dsTest, FirstChunkLengthMustBeTheFileSize) {
  std::string file = File(Object("o", Mesh(Triangle() + FaceListOf(1))));
  file += '\0';  // one byte more than the main chunk says
  EXPECT_FALSE(Parse(file));
  EXPECT_EQ(host_.errors, std::vector<std::string>{"Error parsing 3DS file"});
  EXPECT_EQ(FaceCount(), 0u);
}

TEST_F(Reader3dsTest, PressEscHintOnlyFromTwelveFaces) {
  for (int n : {11, 12}) {
    host_ = TRecordingHost{};
    DXDrawInitialize(core_.View, core_.ObjColor, core_.LightColor);
    ASSERT_TRUE(Parse(File(Object("o", Mesh(Triangle() + FaceListOf(n))))));
    EXPECT_EQ(host_.Shown(2, " Press ESC to skip"), n == 12) << n << " faces";
    EXPECT_GE(host_.pumps, 2 * n) << "messages run twice per face";
  }
}

TEST_F(Reader3dsTest, EscStopsTheListAndLaterListsButKeepsEarlierOnes) {
  const std::string list = Triangle() + FaceListOf(20);
  const std::string file = File(Object("a", Mesh(list)) + Object("b", Mesh(list)) +
                                Object("c", Mesh(list)));
  host_.cancelAtPump = 2 * 20 + 7;  // inside the second list
  ASSERT_TRUE(Parse(file));
  EXPECT_EQ(FaceCount(), 20u);
  EXPECT_EQ(host_.Last(0), "40 faces imported") << "the interrupted list is counted";
  EXPECT_FALSE(core_.CancelRequested) << "cleared when the walk ends";
}

// Damaged files: each either throws TFileError or loads the faces that are sound; none crashes.
struct DamagedCase {
  const char* name;
  std::string bytes;
  int faces;  // -1: TFileError expected
};

std::string WithMainLength(std::string file) {
  const auto size = static_cast<std::uint32_t>(file.size());
  std::memcpy(file.data() + 2, &size, 4);
  return file;
}

std::vector<DamagedCase> DamagedCases() {
  const std::string good = Object("ok", Mesh(Triangle() + FaceListOf(1)));
  std::string shortVertices = Chunk(0x4110, Bytes(std::uint16_t{100}) + Bytes(1.0f));
  return {
      {"vertex records past the end", WithMainLength(File(good + Object("v", Mesh(shortVertices)))), -1},
      {"face records past the end",
       WithMainLength(File(good + Object("f", Mesh(Triangle() + Header(0x4120, 6) +
                                                   Bytes(std::uint16_t{50}))))), -1},
      {"name without end", WithMainLength(File(good) + Header(0x4000, 6) + "abc"), -1},
      {"index not below vertex count",
       File(Object("o", Mesh(Triangle() + Faces({{{0, 1, 2}}, {{0, 1, 3}}, {{2, 1, 0}}})))), 2},
      {"child shorter than a header", File(good + Object("o", Mesh(Header(0x4110, 2) + Triangle() +
                                                                    FaceListOf(1)))), 1},
      {"child past its parent", File(good + Object("o", Header(0x4100, 5000) + Triangle())), 1},
      {"top-level chunk of length 0", WithMainLength(File(good) + Header(0x4000, 0)), 1},
      {"top-level chunk past the file", WithMainLength(File(good) + Header(0x4000, 900)), 1},
      {"face list without vertex list", File(Object("o", Mesh(FaceListOf(4))) + good), 1},
      {"empty file", "", -1},
      {"shorter than a header", "MM\x05", -1},
  };
}

TEST_F(Reader3dsTest, DamagedFiles) {
  for (const DamagedCase& c : DamagedCases()) {
    SCOPED_TRACE(c.name);
    DXDrawInitialize(core_.View, core_.ObjColor, core_.LightColor);
    if (c.faces < 0) {
      EXPECT_THROW(Parse(c.bytes), TFileError);
    } else {
      EXPECT_TRUE(Parse(c.bytes));
      EXPECT_EQ(FaceCount(), static_cast<std::size_t>(c.faces));
    }
  }
}

TEST_F(Reader3dsTest, VertexPastTheEndNamesFileAndReason) {
  const std::string file =
      WithMainLength(File(Object("v", Mesh(Chunk(0x4110, Bytes(std::uint16_t{9}))))));
  try {
    Parse(file);
    FAIL() << "no error";
  } catch (const TFileError& e) {
    EXPECT_EQ(e.FileName(), dir_.File("model.3ds"));
    EXPECT_EQ(e.Reason(), "Error parsing 3DS file");
  }
}

// Every cut of a real-looking file, with the main length made to match, must end cleanly.
TEST_F(Reader3dsTest, EveryTruncationEndsCleanly) {
  const std::string full = Encode3DS({MakeSteppedPyramid(2)});
  for (std::size_t size = 6; size < full.size(); ++size) {
    DXDrawInitialize(core_.View, core_.ObjColor, core_.LightColor);
    try {
      Parse(WithMainLength(full.substr(0, size)));
    } catch (const TFileError&) {
    }
  }
  DXDrawInitialize(core_.View, core_.ObjColor, core_.LightColor);
  ASSERT_TRUE(Parse(full));
  EXPECT_EQ(FaceCount(), 24u);
}

class LoadModelTest : public Reader3dsTest {};

TEST_F(LoadModelTest, CentresAndScalesToNineUnits) {
  // 2 wide, 4 deep (file y), 8 high (file z).
  const std::string file =
      File(Object("box", Mesh(Vertices({{{1, 1, 1}}, {{3, 5, 9}}, {{1, 5, 1}}}) + FaceListOf(1))));
  ASSERT_TRUE(LoadModel(core_, host_, dir_.Write("box.3ds", file)));
  const TBox box = core_.View.MeshBuilder->GetBox();
  const float f = 9.0f / 8.0f;
  EXPECT_FLOAT_EQ(box.min.x, -1 * f);
  EXPECT_FLOAT_EQ(box.max.x, 1 * f);
  EXPECT_FLOAT_EQ(box.min.y, -4 * f);
  EXPECT_FLOAT_EQ(box.max.y, 4 * f);
  EXPECT_FLOAT_EQ(box.min.z, -2 * f);
  EXPECT_FLOAT_EQ(box.max.z, 2 * f);
  EXPECT_EQ(host_.Last(1), "");
}

TEST_F(LoadModelTest, ModelWithoutExtentStaysFinite) {
  const std::string file =
      File(Object("dot", Mesh(Vertices({{{2, 2, 2}}, {{2, 2, 2}}, {{2, 2, 2}}}) + FaceListOf(1))));
  ASSERT_TRUE(LoadModel(core_, host_, dir_.Write("dot.3ds", file)));
  for (const TVector3& v : core_.View.MeshBuilder->Vertices()) EXPECT_EQ(v, (TVector3{0, 0, 0}));
}

TEST_F(LoadModelTest, LoadStartsFromAnEmptyScene) {
  const std::string path = dir_.Write("a.3ds", File(Object("o", Mesh(Triangle() + FaceListOf(3)))));
  ASSERT_TRUE(LoadModel(core_, host_, path));
  core_.View.ModelFrame->SetPosition(1, 2, 3);
  ASSERT_TRUE(LoadModel(core_, host_, path));
  EXPECT_EQ(FaceCount(), 3u);
  EXPECT_EQ(core_.View.ModelFrame->GetPosition(), (TVector3{0, 0, 15}));
}

TEST(Open3DSExtension, AcceptsOnlyDot3dsInAnyCase) {
  const struct {
    const char* name;
    bool ok;
  } cases[] = {{"a.3ds", true}, {"a.3DS", true}, {"dir.v2/a.3Ds", true}, {"a.3d", false},
               {"a", false},    {"a.3ds.bak", false}, {".3dsx", false}, {"\"a b.3ds\"", false}};
  for (const auto& c : cases) EXPECT_EQ(Has3dsExtension(c.name), c.ok) << c.name;
}

TEST_F(Reader3dsTest, Open3DSReportsAndCaptures) {
  const std::string path = dir_.Write("cube.3ds", Encode3DS({MakeSteppedPyramid(1)}));
  EXPECT_TRUE(Open3DS(core_, host_, path));
  EXPECT_EQ(host_.caption, "Depthsmith 1.55 : cube.3ds");
  EXPECT_TRUE(core_.ModelLoaded);
  EXPECT_FLOAT_EQ(core_.Z0, 15.0f);
  EXPECT_FLOAT_EQ(core_.ModelMatrix[3][2], 15.0f);

  const auto faces = FaceCount();
  EXPECT_FALSE(Open3DS(core_, host_, dir_.Write("cube.obj", "x")));
  EXPECT_EQ(host_.errors.back(), "Unsupported input file type");
  EXPECT_EQ(FaceCount(), faces) << "the scene is not touched";
  EXPECT_TRUE(core_.ModelLoaded);

  EXPECT_FALSE(Open3DS(core_, host_, dir_.File("missing.3ds")));
  EXPECT_NE(host_.errors.back().find("missing.3ds"), std::string::npos) << host_.errors.back();
  EXPECT_FALSE(core_.ModelLoaded);
  EXPECT_EQ(host_.caption, "Depthsmith 1.55");
}

}  // namespace

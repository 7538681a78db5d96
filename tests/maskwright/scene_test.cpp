#include "maskwright/core/scene.h"

#include "platform/color.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

namespace {

constexpr float kPi2 = static_cast<float>(std::numbers::pi / 2);

void ExpectRow(const TMatrix4& m, int row, float x, float y, float z) {
  EXPECT_NEAR(m[row][0], x, 1e-6) << "row " << row;
  EXPECT_NEAR(m[row][1], y, 1e-6) << "row " << row;
  EXPECT_NEAR(m[row][2], z, 1e-6) << "row " << row;
}

// Rows 0..2 of the transform are where the frame's x, y and z axes point in the scene.
TEST(FrameTest, PositiveTurnFollowsTheRightHandRuleOnCoordinates) {
  const struct {
    float ax, ay, az;
    int row;          // the axis whose image is checked
    float x, y, z;    // where it ends up after +90 degrees
  } cases[] = {
      {0, 1, 0, 2, 1, 0, 0},    // about y: +z to +x
      {0, 1, 0, 0, 0, 0, -1},   // about y: +x to -z
      {1, 0, 0, 1, 0, 0, 1},    // about x: +y to +z
      {0, 0, 1, 0, 0, 1, 0},    // about z: +x to +y
      {0, 5, 0, 2, 1, 0, 0},    // axis length does not matter
      {0, -1, 0, 2, -1, 0, 0},  // the opposite axis turns the other way
  };
  for (const auto& c : cases) {
    TFrame frame;
    frame.SetRotation(c.ax, c.ay, c.az, kPi2);
    frame.Move(1.0);
    ExpectRow(frame.GetTransform(), c.row, c.x, c.y, c.z);
  }
}

TEST(FrameTest, TurnsAboutItsOriginAndKeepsTheSetting) {
  TFrame frame;
  frame.SetPosition(1, 2, 15);
  frame.SetRotation(0, 1, 0, kPi2 / 2);
  frame.Move(1.0);
  frame.Move(1.0);  // the setting stays: two quarter-halves make a quarter turn
  const TMatrix4 m = frame.GetTransform();
  ExpectRow(m, 2, 1, 0, 0);
  ExpectRow(m, 3, 1, 2, 15);
  EXPECT_EQ(m[3][3], 1.0f);
  EXPECT_EQ(frame.GetPosition(), (TVector3{1, 2, 15}));
}

TEST(FrameTest, ZeroAxisTurnsNothing) {
  TFrame frame;
  frame.SetRotation(0, 0, 0, 1.0f);
  frame.Move(1.0);
  EXPECT_EQ(frame.GetTransform(), IdentityMatrix());
}

TEST(MeshBuilderTest, AddFacesIndexesEachCallsOwnVertices) {
  TMeshBuilder mesh;
  const TVector3 v1[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  const std::uint32_t f1[] = {3, 0, 1, 2, 3, 2, 1, 7, 0};  // second face points outside
  mesh.AddFaces(v1, f1);
  const TVector3 v2[] = {{5, 5, 5}, {6, 5, 5}, {5, 6, 5}};
  const std::uint32_t f2[] = {3, 2, 1, 0, 0};
  mesh.AddFaces(v2, f2);
  ASSERT_EQ(mesh.GetFaces().GetSize(), 2u);
  TVector3 v;
  ASSERT_TRUE(mesh.GetFaces().GetElement(1).GetVertex(0, v));
  EXPECT_EQ(v, (TVector3{5, 6, 5}));
  EXPECT_FALSE(mesh.GetFaces().GetElement(1).GetVertex(3, v));
  EXPECT_FALSE(mesh.GetFaces().GetElement(2).GetVertex(0, v));
}

TEST(MeshBuilderTest, FaceDataWithoutTerminatorOrWithLongCountStaysInside) {
  TMeshBuilder mesh;
  const TVector3 v[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
  const std::uint32_t data[] = {3, 0, 1, 2, 9, 0, 1};  // the last count runs past the data
  mesh.AddFaces(v, data);
  EXPECT_EQ(mesh.GetFaces().GetSize(), 1u);
}

TEST(MeshBuilderTest, BoxTranslateScale) {
  TMeshBuilder mesh;
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const TVector3 v[] = {{-1, 2, 3}, {4, -5, 6}, {nan, 100, 100}};
  mesh.AddFaces(v, std::span<const std::uint32_t>{});
  EXPECT_EQ(mesh.GetBox(), (TBox{{-1, -5, 3}, {4, 2, 6}})) << "non-finite vertices are ignored";
  mesh.Translate(1, 1, 1);
  mesh.Scale(2, 2, 2);
  EXPECT_EQ(mesh.GetBox(), (TBox{{0, -8, 8}, {10, 6, 14}}));
  EXPECT_EQ(TMeshBuilder().GetBox(), TBox{});
}

TEST(SceneTest, InitializeBuildsLightsAndModelFrame) {
  TModelScene view;
  DXDrawInitialize(view, 16777113, 4210752);
  EXPECT_EQ(view.ModelFrame->GetTransform()[3][2], 15.0f);
  EXPECT_EQ(view.LightFrame->GetPosition(), (TVector3{2, 0, -2}));
  ASSERT_EQ(view.Scene.GetLights().size(), 1u);
  EXPECT_EQ(view.Scene.GetLights()[0]->GetType(), TLightType::Ambient);
  EXPECT_FLOAT_EQ(view.Scene.GetLights()[0]->Red(), 64 / 255.0f);
  EXPECT_EQ(view.LightFrame->GetLights()[0]->GetType(), TLightType::Directional);
  EXPECT_FLOAT_EQ(view.MeshBuilder->Color().x, 153 / 255.0f);
  ASSERT_EQ(view.ModelFrame->Visuals().size(), 1u);

  // The 0.05 rad turn about y is set but not applied until the scene moves.
  EXPECT_EQ(view.ModelFrame->GetTransform()[0][0], 1.0f);
  view.Scene.Move(1.0);
  EXPECT_NEAR(view.ModelFrame->GetTransform()[0][0], std::cos(0.05), 1e-6);

  EXPECT_TRUE(SetColorBright(view, MakeColor(255, 0, 0), MakeColor(0, 0, 255)));
  EXPECT_FLOAT_EQ(view.Scene.GetLights()[0]->Blue(), 1.0f);
  EXPECT_FLOAT_EQ(view.MeshBuilder->Color().x, 1.0f);

  DXDrawInitialize(view, 0, 0);  // a rebuild discards the turn
  EXPECT_EQ(view.ModelFrame->GetTransform()[0][0], 1.0f);
}

}  // namespace

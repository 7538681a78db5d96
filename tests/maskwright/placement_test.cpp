#include "maskwright/core/placement.h"

#include <gtest/gtest.h>

#include <cmath>

#include "maskwright/core/animation.h"
#include "test_support.h"

namespace {

class PlacementTest : public ::testing::Test {
 protected:
  void SetUp() override { DXDrawInitialize(core_.View, core_.ObjColor, core_.LightColor); }
  TMatrix4 M() const { return core_.View.ModelFrame->GetTransform(); }
  // The angle the model frame is turned by, from the trace of its rotation.
  double TurnAngle() const {
    const TMatrix4 m = M();
    return std::acos(std::clamp((m[0][0] + m[1][1] + m[2][2] - 1.0) / 2.0, -1.0, 1.0));
  }

  TMaskCore core_;
  TRecordingHost host_;
};

TEST_F(PlacementTest, ArrowAndBackRestoresOrientation) {
  RotateModel(core_, host_, 1, 0, 0);
  EXPECT_NEAR(TurnAngle(), 0.05, 1e-5);
  RotateModel(core_, host_, -1, 0, 0);
  const TMatrix4 m = M();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(m[i][j], i == j ? 1.0 : 0.0, 1e-6);
  EXPECT_EQ(host_.renders, 2);
}

TEST_F(PlacementTest, TenStepsAwayAddOneUnit) {
  for (int i = 0; i < 10; ++i) MoveModel(core_, host_, 0, 0, kMoveStep);
  EXPECT_NEAR(core_.View.ModelFrame->GetPosition().z, 16.0, 1e-5);
}

TEST_F(PlacementTest, NothingHappensWhileTheViewIsNotReady) {
  host_.ready = false;
  RotateModel(core_, host_, 1, 0, 0);
  MoveModel(core_, host_, 1, 0, 0);
  EXPECT_EQ(M(), core_.View.ModelFrame->GetTransform());
  EXPECT_EQ(core_.View.ModelFrame->GetPosition(), (TVector3{0, 0, 15}));
  EXPECT_EQ(host_.renders, 0);
}

TEST(MouseRulesTest, StepsForDragsAndWheel) {
  const struct {
    const char* what;
    TMousePoint last, now;
    int buttons;
    bool shift;
    TPlacementStep::TKind kind;
    float x, y, z;
  } cases[] = {
      {"left drag right 5", {10, 10}, {15, 10}, kLeftButton, false, TPlacementStep::kRotate, 0, -0.5f, 0},
      {"left drag right 1", {10, 10}, {11, 10}, kLeftButton, false, TPlacementStep::kRotate, 0, -0.1f, 0},
      {"left drag down 2", {10, 10}, {10, 12}, kLeftButton, true, TPlacementStep::kRotate, -0.2f, 0, 0},
      {"right drag right 30", {0, 0}, {30, 0}, kRightButton, false, TPlacementStep::kMove, 1, 0, 0},
      {"right drag up 30", {0, 30}, {0, 0}, kRightButton, false, TPlacementStep::kMove, 0, 1, 0},
      {"shift right drag up 30", {0, 30}, {0, 0}, kRightButton, true, TPlacementStep::kMove, 0, 0, 1},
      {"both buttons: left wins", {0, 0}, {5, 0}, kLeftButton | kRightButton, false,
       TPlacementStep::kRotate, 0, -0.5f, 0},
      {"no button", {0, 0}, {5, 5}, 0, false, TPlacementStep::kNone, 0, 0, 0},
      {"same point", {4, 4}, {4, 4}, kLeftButton, false, TPlacementStep::kNone, 0, 0, 0},
  };
  for (const auto& c : cases) {
    const TPlacementStep s = MouseMoveStep(c.last, c.now, c.buttons, c.shift);
    EXPECT_EQ(s.kind, c.kind) << c.what;
    EXPECT_FLOAT_EQ(s.x, c.x) << c.what;
    EXPECT_FLOAT_EQ(s.y, c.y) << c.what;
    EXPECT_FLOAT_EQ(s.z, c.z) << c.what;
  }
  EXPECT_FLOAT_EQ(WheelStep(120, true).z, 0.1f);
  EXPECT_FLOAT_EQ(WheelStep(-120, true).z, -0.1f);
  EXPECT_FLOAT_EQ(WheelStep(0, true).z, -0.1f);
  EXPECT_EQ(WheelStep(120, false).kind, TPlacementStep::kNone);
}

TEST(MouseRulesTest, WheelCountsOnlyOverTheViewEdgesIncluded) {
  // View from (0, 0) to (300, 200) inside a panel that starts 30 pixels down.
  EXPECT_TRUE(PointOverView({0, 30}, 0, 0, 300, 200, 30));
  EXPECT_TRUE(PointOverView({300, 230}, 0, 0, 300, 200, 30));
  EXPECT_FALSE(PointOverView({150, 29}, 0, 0, 300, 200, 30));
  EXPECT_FALSE(PointOverView({301, 100}, 0, 0, 300, 200, 30));  // over the preview
  EXPECT_FALSE(PointOverView({150, 231}, 0, 0, 300, 200, 30));   // over the controls
}

TEST_F(PlacementTest, DragTurnsAboutMinusYByOneStepWhateverItsLength) {
  for (int dx : {5, 1}) {
    DXDrawInitialize(core_.View, 0, 0);
    TMousePoint last{100, 100};
    DXDrawMouseMove(core_, host_, last, {100 + dx, 100}, kLeftButton, false);
    EXPECT_EQ(last, (TMousePoint{100 + dx, 100}));
    EXPECT_NEAR(TurnAngle(), 0.05, 1e-5);
    // About -y, +z swings toward -x.
    EXPECT_LT(M()[2][0], 0) << dx;
  }
}

TEST_F(PlacementTest, GetMaxBoxDepthFromChosenExtents) {
  // A box 4 wide, 6 high and 12 deep around z = 15.
  const TVector3 v[] = {{-2, -3, -6}, {2, 3, 6}};
  core_.View.MeshBuilder->AddFaces(v, std::span<const std::uint32_t>{});
  core_.ModelMatrix = core_.View.ModelFrame->GetTransform();
  const double dx = 4, dy = 6, dz = 12;
  const struct {
    bool x, y, z;
    double r;
  } cases[] = {
      {true, true, true, 0.5 * std::sqrt(dx * dx + dy * dy + dz * dz)},
      {true, false, true, 0.5 * std::sqrt(dx * dx + dz * dz)},
      {true, true, false, 0.5 * std::sqrt(dx * dx + dy * dy)},
      {false, true, true, 0.5 * std::sqrt(dy * dy + dz * dz)},
      {true, false, false, 2},
      {false, true, false, 3},
      {false, false, true, 6},
      {false, false, false, 6},
  };
  for (const auto& c : cases) {
    GetMaxBox(core_, c.x, c.y, c.z);
    EXPECT_NEAR(core_.ModelBox.min.z, 15 - c.r, 1e-5) << c.x << c.y << c.z;
    EXPECT_NEAR(core_.ModelBox.max.z, 15 + c.r, 1e-5) << c.x << c.y << c.z;
    EXPECT_EQ(core_.ModelBox.min.x, -2);
    EXPECT_EQ(core_.ModelBox.max.y, 3);
  }
}

TEST(TransformBoxTest, BoundsOfTheTurnedCorners) {
  TFrame frame;
  frame.SetPosition(10, 0, 0);
  frame.SetRotation(0, 0, 1, static_cast<float>(std::numbers::pi / 4));
  frame.Move(1.0);
  const TBox box = TransformBox({{-1, -1, -2}, {1, 1, 2}}, frame.GetTransform());
  EXPECT_NEAR(box.min.x, 10 - std::sqrt(2.0), 1e-5);
  EXPECT_NEAR(box.max.y, std::sqrt(2.0), 1e-5);
  EXPECT_NEAR(box.min.z, -2, 1e-6);
}

TEST(RotationParmsTest, DominantCountGivesAxisAndTurns) {
  const struct {
    int X, Y, Z;
    int n;
    float x, y, z;
  } cases[] = {
      {0, 1, 0, 1, 0, 1, 0},
      {0, 2, -1, 2, 0, 1, -0.5f},
      {3, -3, 0, -3, -1, 1, 0},
      {0, 0, 0, 0, 1, 1, 1},
      {4, 1, -2, 4, 1, 0.25f, -0.5f},   // X dominant
      {1, 0, -2, -2, -0.5f, 0, 1},      // Z dominant
  };
  for (const auto& c : cases) {
    float x = 9, y = 9, z = 9;
    EXPECT_EQ(GetRotationParms(c.X, c.Y, c.Z, x, y, z), c.n) << c.X << "," << c.Y << "," << c.Z;
    EXPECT_FLOAT_EQ(x, c.x) << c.X << "," << c.Y << "," << c.Z;
    EXPECT_FLOAT_EQ(y, c.y) << c.X << "," << c.Y << "," << c.Z;
    EXPECT_FLOAT_EQ(z, c.z) << c.X << "," << c.Y << "," << c.Z;
  }
}

TEST_F(PlacementTest, ExportTurnReturnsToTheStartAfterAllFrames) {
  EXPECT_EQ(PrepareRotation(core_, 0, 2, -1, 60), 2);
  for (int i = 0; i < 60; ++i) core_.View.Scene.Move(1.0);
  const TMatrix4 m = M();
  for (int i = 0; i < 3; ++i)
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(m[i][j], i == j ? 1.0 : 0.0, 1e-5);
  EXPECT_EQ(SequenceFileName("turn.bmp", 0), "turn.bmp0000.bmp");
  EXPECT_EQ(SequenceFileName("x", 10000), "x10000.bmp");
}

}  // namespace

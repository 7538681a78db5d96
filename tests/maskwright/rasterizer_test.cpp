#include "maskwright/core/rasterizer.h"

#include <gtest/gtest.h>

#include <cmath>

#include "maskwright/core/model_3ds_writer.h"
#include "maskwright/core/reader_3ds.h"
#include "test_support.h"

namespace {

using TTri = std::array<TVector3, 3>;

class RasterizerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DXDrawInitialize(core_.View, core_.ObjColor, core_.LightColor);
    core_.PicWidth = core_.PicHeight = 100;
  }
  void Add(const std::vector<TTri>& tris) {
    for (const TTri& t : tris) {
      const std::uint32_t face[] = {3, 0, 1, 2, 0};
      core_.View.MeshBuilder->AddFaces(t, face);
    }
  }
  // The mask pixel under the scene point (x, y) of the model frame at its load place.
  int At(double x, double y) const {
    const double s = scale_;
    const int c = static_cast<int>(std::nearbyint(x * s + core_.PicWidth * 0.5));
    const int r = static_cast<int>(std::nearbyint(y * s + core_.PicHeight * 0.5));
    return core_.Mask.ScanLine(core_.PicHeight - r)[c];
  }
  int Count(int value) const {
    int n = 0;
    for (int y = 0; y < core_.Mask.Height(); ++y)
      for (int x = 0; x < core_.Mask.Width(); ++x) n += core_.Mask.ScanLine(y)[x] == value;
    return n;
  }
  void Render() {
    RenderObject(core_, host_);
    TRasterParams p;
    if (PrepareRaster(core_, p)) scale_ = p.s;
  }

  TMaskCore core_;
  TRecordingHost host_;
  double scale_ = 0;
};

const TTri kNear = {{{-2, -2, -1}, {2, -2, -1}, {-2, 2, -1}}};  // where x + y <= 0
const TTri kFar = {{{-2, -2, 0}, {2, -2, 0}, {2, 2, 0}}};       // where y <= x
const TTri kDepthMark = {{{-3, 3, 1}, {-2.9f, 3, 1}, {-3, 2.9f, 1}}};  // makes the range -1..1

TEST_F(RasterizerTest, NearerSurfaceWinsInEitherOrder) {
  for (bool nearFirst : {true, false}) {
    SetUp();
    Add(nearFirst ? std::vector<TTri>{kNear, kFar, kDepthMark}
                  : std::vector<TTri>{kFar, kNear, kDepthMark});
    Render();
    EXPECT_EQ(At(0, -1.5), 255) << "overlap, near first: " << nearFirst;
    EXPECT_EQ(At(1.5, 0.5), 127) << "far only";  // 255 - round(127.5)
    EXPECT_EQ(At(-1.5, 0.5), 255) << "near only";
    EXPECT_EQ(At(-1.5, 1.9), 0) << "background";
  }
}

// A closed cuboid, w along x, h along y, d along z, centred on the origin.
std::vector<TTri> Cuboid(float w, float h, float d) {
  static constexpr int kFaces[12][3] = {{0, 2, 1}, {1, 2, 3}, {4, 5, 6}, {5, 7, 6},
                                        {0, 1, 4}, {1, 5, 4}, {2, 6, 3}, {3, 6, 7},
                                        {0, 4, 2}, {2, 4, 6}, {1, 3, 5}, {3, 7, 5}};
  std::vector<TTri> tris;
  auto corner = [&](int k) {
    return TVector3{(k & 1) ? w / 2 : -w / 2, (k & 2) ? h / 2 : -h / 2, (k & 4) ? d / 2 : -d / 2};
  };
  for (const auto& f : kFaces) tris.push_back({corner(f[0]), corner(f[1]), corner(f[2])});
  return tris;
}

std::pair<int, int> ColumnSpan(const TDIB& mask) {
  int first = -1, last = -1;
  for (int x = 0; x < mask.Width(); ++x)
    for (int y = 0; y < mask.Height(); ++y)
      if (mask.ScanLine(y)[x] != 0) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

TEST_F(RasterizerTest, FitsTheLargestExtentAndShrinksWithDistance) {
  Add(Cuboid(9, 2, 4));
  core_.PicWidth = 640;
  core_.PicHeight = 480;
  for (const auto& [z, span] : {std::pair{15.0f, 384}, std::pair{30.0f, 192}}) {
    core_.View.ModelFrame->SetPosition(0, 0, z);
    Render();
    const auto [first, last] = ColumnSpan(core_.Mask);
    EXPECT_EQ(last - first, span) << "at z = " << z;
    EXPECT_EQ(first + last, 640) << "centred";
  }
}

TEST_F(RasterizerTest, FitUsesTheSmallerSide) {
  Add(Cuboid(9, 2, 4));
  const struct {
    int W, H;
    double s;
  } cases[] = {{640, 480, 0.8 * 480 / 9}, {300, 500, 0.8 * 300 / 9}, {400, 400, 0.8 * 400 / 9}};
  for (const auto& c : cases) {
    core_.PicWidth = c.W;
    core_.PicHeight = c.H;
    core_.ModelMatrix = core_.View.ModelFrame->GetTransform();
    core_.ModelBox = TransformBox(core_.View.MeshBuilder->GetBox(), core_.ModelMatrix);
    TRasterParams p;
    ASSERT_TRUE(PrepareRaster(core_, p));
    EXPECT_NEAR(p.s, c.s, 1e-4) << c.W << "x" << c.H;
  }
}

TEST_F(RasterizerTest, TopRowIsNeverDrawn) {
  Add(Cuboid(9, 9, 9));
  core_.View.ModelFrame->SetPosition(0, 0, 3);  // five times nearer: fills the mask
  Render();
  for (int x = 0; x < 100; ++x) {
    ASSERT_EQ(core_.Mask.ScanLine(0)[x], 0) << x;
    ASSERT_EQ(core_.Mask.ScanLine(1)[x], 255) << x;
  }
  EXPECT_EQ(core_.Mask.BitCount(), 8);
  EXPECT_EQ(core_.Mask.ColorTable(), GreyRamp());
}

TEST_F(RasterizerTest, DegenerateModelsGiveAnAllZeroMask) {
  const struct {
    const char* what;
    std::vector<TTri> tris;
    float z;
  } cases[] = {
      {"no faces", {}, 15},
      {"flat, facing the observer", {{{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}}}}, 15},
      {"at the observer", Cuboid(2, 2, 2), 0},
      {"behind the observer", Cuboid(2, 2, 2), -5},
  };
  for (const auto& c : cases) {
    SetUp();
    Add(c.tris);
    core_.View.ModelFrame->SetPosition(0, 0, c.z);
    core_.MaskReady = false;
    Render();
    EXPECT_EQ(Count(0), 100 * 100) << c.what;
    EXPECT_TRUE(core_.MaskReady) << c.what;
  }
}

TEST_F(RasterizerTest, EdgeOnFacesAreSkipped) {
  const TTri sloped = {{{-2, -2, -1}, {2, -2, -1}, {0, 2, 1}}};
  const TTri edgeOn = {{{0, -2, -3}, {0, 2, -3}, {0, 0, 3}}};  // in the yz plane, nearer
  Add({sloped});
  core_.ModelBox = {{-2, -2, 12}, {2, 2, 18}};
  core_.ExportOpen = true;  // the same box for both renders
  Render();
  const TDIB alone = core_.Mask;
  Add({edgeOn});
  Render();
  EXPECT_TRUE(core_.Mask == alone);
}

TEST_F(RasterizerTest, DepthsOutsideAFixedBoxSaturate) {
  // Depth grows with height (z = y); the export box covers only z -1..1 of the model's -2..2.
  Add({{{{-2, -2, -2}, {2, -2, -2}, {0, 2, 2}}}});
  core_.ExportOpen = true;
  core_.ModelBox = {{-2, -2, 14}, {2, 2, 16}};
  Render();
  EXPECT_EQ(At(0, -1.8), 255) << "nearer than the range";
  EXPECT_EQ(At(0, 1.5), 0) << "farther than the range";
  int previous = 256;
  for (double y = -1.9; y < 1.9; y += 0.05) {
    EXPECT_LE(At(0, y), previous) << "depth falls off monotonically at y = " << y;
    previous = At(0, y);
  }
}

TEST_F(RasterizerTest, ReportsProgressAndStatus) {
  Add(Cuboid(2, 2, 2));
  Add(Cuboid(1, 1, 1));  // 24 faces
  Render();
  EXPECT_EQ(host_.status[2].front(), "Processing faces...");
  EXPECT_EQ(host_.Last(2), "Drawing...");
  EXPECT_EQ(host_.progress.back(), 0);
  EXPECT_GE(host_.progress.size(), 10u);
  EXPECT_GE(host_.pumps, 24);
}

TEST(PreviewSizeTest, ShrinksOnlyMasksLargerThanTheScreen) {
  const struct {
    int W, H, pw, ph;
  } cases[] = {{640, 480, 640, 480},  {800, 600, 800, 600},    {2000, 1000, 1024, 512},
               {1000, 2000, 1000, 2000}, {1500, 3000, 384, 768}, {10000, 100, 10000, 100}};
  for (const auto& c : cases) {
    int pw = 0, ph = 0;
    PreviewSize(c.W, c.H, 250, 250, 1024, 768, pw, ph);
    EXPECT_EQ(pw, c.pw) << c.W << "x" << c.H;
    EXPECT_EQ(ph, c.ph) << c.W << "x" << c.H;
  }
}

TEST_F(RasterizerTest, PreviewSamplesTheMaskAndReportsItsSize) {
  Add(Cuboid(4, 4, 4));
  core_.PicWidth = 2000;
  core_.PicHeight = 1000;
  Render();
  UpdatePreview(core_, host_);
  EXPECT_EQ(host_.Last(2), "2000 x 1000 depth mask ready");
  EXPECT_EQ(core_.Mask.Width(), 2000);
  ASSERT_EQ(core_.Preview.Width(), 1024);
  ASSERT_EQ(core_.Preview.Height(), 512);
  for (int y : {0, 100, 256, 511})
    for (int x : {0, 300, 512, 1023})
      EXPECT_EQ(core_.Preview.ScanLine(y)[x], core_.Mask.ScanLine(y * 1000 / 512)[x * 2000 / 1024]);
}

TEST_F(RasterizerTest, NoPreviewWithoutAMask) {
  UpdatePreview(core_, host_);
  EXPECT_TRUE(core_.Preview.Empty());
  EXPECT_TRUE(host_.status[2].empty());
}

}  // namespace

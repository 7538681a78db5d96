#include "engine/random_dots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "engine/renderer.h"

namespace {

TEST(RandomIntTest, SequenceFromSeedZero) {
  TRandom random;
  std::vector<int> got;
  for (int k : {100, 100, 100, 1000, 255, 0, 7}) got.push_back(random.RandomInt(k));
  EXPECT_EQ(got, (std::vector<int>{0, 3, 86, 202, 69, 0, 2}));
  EXPECT_EQ(random.Seed, 1368768587u);  // RandomInt(0) advanced it too
}

TRGBQuad Grey(int v) { return QuadOf(MakeColor(v, v, v)); }

TEST(MakeDotPaletteTest, GradientWhiteToBlack) {
  TRandom random;
  const TColorTable t =
      MakeDotPalette({MakeColor(255, 255, 255), MakeColor(0, 0, 0)}, true, random);
  EXPECT_EQ(t[0], Grey(255));
  EXPECT_EQ(t[1], Grey(127));
  EXPECT_EQ(t[7], Grey(31));
  EXPECT_EQ(t[248], Grey(7));
  EXPECT_EQ(random.Seed, 0u);  // a gradient palette draws nothing
}

TEST(MakeDotPaletteTest, GradientThroughThreeColoursRunsInSixteenSteps) {
  TRandom random;
  const TColor red = MakeColor(255, 0, 0), green = MakeColor(0, 255, 0),
               blue = MakeColor(0, 0, 160);
  const TColorTable t = MakeDotPalette({red, green, blue}, true, random);
  EXPECT_EQ(t[0], QuadOf(red));
  EXPECT_EQ(t[8 * 16], QuadOf(green));
  EXPECT_EQ(t[8 * 8], QuadOf(MakeColor(127, 127, 0)));  // halfway from red to green
  EXPECT_EQ(t[8 * 16 + 1], QuadOf(MakeColor(0, 127, 0)));
  EXPECT_EQ(t[8 * 31], QuadOf(MakeColor(0, 15, 150)));
}

// Entry i is colours[RandomInt(n)], drawn in entry order.
TEST(MakeDotPaletteTest, WithoutGradientDrawsEachEntryInOrder) {
  const std::vector<TColor> colours = {MakeColor(1, 2, 3), MakeColor(40, 50, 60),
                                       MakeColor(200, 0, 9)};
  TRandom random, replay;
  const TColorTable t = MakeDotPalette(colours, false, random);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(t[i], QuadOf(colours[replay.RandomInt(3)])) << i;
  EXPECT_EQ(random.Seed, replay.Seed);
}

// With gradient each channel of a dot is RandomInt(row channel), drawn blue, green, red.
TEST(FillRandomDotsTest, GradientRowColours) {
  struct Case {
    std::vector<TColor> colours;
    int height;
    std::vector<TColor> rowColours;
  };
  const TColor c = MakeColor(200, 100, 50);
  const Case cases[] = {
      {{c}, 3, {c, c, c}},
      {{MakeColor(255, 255, 255), MakeColor(0, 0, 0)},
       4,
       {MakeColor(255, 255, 255), MakeColor(191, 191, 191), MakeColor(127, 127, 127),
        MakeColor(63, 63, 63)}},
      // More colours than rows: one row per stretch, the last colour repeats.
      {{MakeColor(10, 0, 0), MakeColor(0, 20, 0), MakeColor(0, 0, 30), MakeColor(40, 40, 40)},
       2,
       {MakeColor(10, 0, 0), MakeColor(0, 20, 0)}},
  };
  for (const Case& k : cases) {
    TDIB dots;
    dots.SetSize(5, k.height, 24);
    TRandom random, replay;
    FillRandomDots(k.colours, dots, true, random);
    for (int y = 0; y < k.height; ++y)
      for (int x = 0; x < 5; ++x) {
        const TColor row = k.rowColours[y];
        const int b = replay.RandomInt(ColorB(row)), g = replay.RandomInt(ColorG(row));
        const int r = replay.RandomInt(ColorR(row));
        ASSERT_EQ(dots.PixelColor(x, y), MakeColor(r, g, b)) << x << "," << y;
      }
    EXPECT_EQ(random.Seed, replay.Seed);
  }
}

TEST(FillRandomDotsTest, EightBitGradientStoresNearestPaletteEntry) {
  const std::vector<TColor> colours = {MakeColor(255, 128, 0), MakeColor(0, 64, 255)};
  TDIB dots;
  dots.SetSize(6, 4, 8);
  TRandom random, replay;
  FillRandomDots(colours, dots, true, random);
  const TColorTable palette = MakeDotPalette(colours, true, replay);
  EXPECT_EQ(dots.ColorTable(), palette);
  for (int y = 0; y < 4; ++y) {
    const TColor row = MakeColor((255 * (4 - y)) / 4, (128 * (4 - y) + 64 * y) / 4, (255 * y) / 4);
    for (int x = 0; x < 6; ++x) {
      const int b = replay.RandomInt(ColorB(row)), g = replay.RandomInt(ColorG(row));
      const int r = replay.RandomInt(ColorR(row));
      ASSERT_EQ(dots.PixelValue(x, y), dots.NearestIndex(r, g, b)) << x << "," << y;
    }
  }
}

TEST(FillRandomDotsTest, EmptyListCountsAsWhite) {
  TDIB dots;
  dots.SetSize(4, 4, 24);
  TRandom random;
  FillRandomDots({}, dots, false, random);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dots.PixelColor(x, y), MakeColor(255, 255, 255));
}

TStereoParams DotSettings(int dotNum, int bits, bool gradient) {
  TStereoParams p;
  p.PWidth = 640;
  p.PHeight = 480;
  p.Base = 88;
  p.DotNum = dotNum;
  p.BitRate = bits;
  p.UseGradient = gradient;
  p.Randm = true;
  p.Colors = {MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(255, 0, 0)};
  return p;
}

// Dots are dot x dot squares, the last column and row absorbing the remainder; the number of
// draws shows the size of the small picture.
TEST(MakeRandomPatternTest, DotSizeAndDraws) {
  struct Case {
    int dotNum, dot, smallWidth, smallHeight;
  };
  const Case cases[] = {
      {240, 2, 44, 240}, {2000, 1, 88, 480}, {0, 1, 88, 480},
      {-3, 1, 88, 480},  {100, 6, 14, 80},   {5, 128, 1, 3},
  };
  for (const Case& c : cases) {
    TEngine e;
    e.Params = DotSettings(c.dotNum, 24, false);
    MakeRandomPattern(e);
    const TDIB& pat = e.PatternImage;
    ASSERT_EQ(pat.Width(), 88);
    ASSERT_EQ(pat.Height(), 480);
    ASSERT_EQ(pat.BitCount(), 24);
    auto cell = [&](int v, int cells) { return std::min(v / c.dot, cells - 1); };
    for (int y = 0; y < 480; ++y)
      for (int x = 0; x < 88; ++x) {
        const int x0 = cell(x, c.smallWidth) * c.dot, y0 = cell(y, c.smallHeight) * c.dot;
        ASSERT_EQ(pat.PixelColor(x, y), pat.PixelColor(x0, y0)) << c.dotNum << " " << x << "," << y;
      }
    TRandom replay;
    for (int i = 0; i < c.smallWidth * c.smallHeight; ++i) replay.RandomInt(3);
    EXPECT_EQ(e.Random.Seed, replay.Seed) << "DotNum " << c.dotNum;
  }
}

TEST(MakeRandomPatternTest, EightBitWithoutGradientNeverUsesEntry255) {
  TEngine e;
  e.Params = DotSettings(2000, 8, false);
  MakeRandomPattern(e);
  int highest = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 88; ++x) highest = std::max(highest, int(e.PatternImage.PixelValue(x, y)));
  EXPECT_EQ(highest, 254);
  TRandom replay;
  EXPECT_EQ(e.PatternImage.ColorTable(),
            MakeDotPalette(e.Params.Colors, false, replay));  // palette drawn first
}

// Same settings after two fresh starts give the same stereogram; the generator then moves on.
TEST(MakeRandomPatternTest, TwoFreshEnginesRenderAlike) {
  for (int bits : {24, 8})
    for (bool gradient : {true, false}) {
      TEngine a, b;
      for (TEngine* e : {&a, &b}) {
        e->Params = DotSettings(240, bits, gradient);
        e->MaskImage.SetSize(640, 480, 8);
        e->OutputImage.SetSize(640, 480, bits);
        RenderDotweave(*e);
      }
      EXPECT_TRUE(a.OutputImage == b.OutputImage) << bits << " " << gradient;
      const TDIB first = a.OutputImage;
      RenderDotweave(a);
      EXPECT_FALSE(a.OutputImage == first) << bits << " " << gradient;
    }
}

}  // namespace

#include "platform/palette.h"

#include <gtest/gtest.h>

#include <set>

#include "platform/dib.h"
#include "test_support.h"

using namespace testsupport;

namespace {

int SquaredDistance(const TRGBQuad& q, int r, int g, int b) {
  return (q.rgbRed - r) * (q.rgbRed - r) + (q.rgbGreen - g) * (q.rgbGreen - g) +
         (q.rgbBlue - b) * (q.rgbBlue - b);
}

TEST(NearestPaletteTest, SmallestDistanceThenLowestIndex) {
  TColorTable t{};
  for (auto& q : t) q = QuadOf(MakeColor(255, 255, 255));
  t[9] = QuadOf(MakeColor(100, 0, 0));
  t[5] = QuadOf(MakeColor(2, 0, 0));
  t[3] = QuadOf(MakeColor(0, 0, 0));
  t[7] = QuadOf(MakeColor(0, 0, 0));  // duplicate of entry 3
  struct Case {
    int r, g, b, expected;
  } cases[] = {
      {1, 0, 0, 3},        // equidistant from 3 (and 7) and 5: lowest index
      {2, 0, 0, 5},        // exact
      {0, 0, 0, 3},        // duplicate entries: the first
      {60, 0, 0, 9},       // 40^2 to entry 9 beats 58^2 to entry 5
      {200, 200, 200, 0},  // white appears first at 0
  };
  for (const auto& c : cases) {
    EXPECT_EQ(NearestPaletteIndex(t, c.r, c.g, c.b), c.expected) << c.r << "," << c.g << "," << c.b;
    TNearestPalette cached(t);
    EXPECT_EQ(cached.Find(c.r, c.g, c.b), c.expected);
  }
}

TEST(NearestPaletteTest, CacheAgreesWithThePlainLookup) {
  Lcg rng(42);
  TColorTable t{};
  for (auto& q : t) q = QuadOf(rng.Next() & 0xFFFFFF);
  t[17] = t[200];  // ties
  TNearestPalette cached(t);
  // Many distinct colours (hash slots get reused) and then the same colours again.
  std::vector<TColor> colours;
  for (int i = 0; i < 20000; ++i) colours.push_back(rng.Next() & 0xFFFFFF);
  for (int pass = 0; pass < 2; ++pass)
    for (TColor c : colours) {
      const int plain = NearestPaletteIndex(t, ColorR(c), ColorG(c), ColorB(c));
      ASSERT_EQ(cached.Find(ColorR(c), ColorG(c), ColorB(c)), plain);
      for (int i = 0; i < plain; ++i)
        ASSERT_GT(SquaredDistance(t[i], ColorR(c), ColorG(c), ColorB(c)),
                  SquaredDistance(t[plain], ColorR(c), ColorG(c), ColorB(c)));
      for (int i = plain + 1; i < 256; ++i)
        ASSERT_GE(SquaredDistance(t[i], ColorR(c), ColorG(c), ColorB(c)),
                  SquaredDistance(t[plain], ColorR(c), ColorG(c), ColorB(c)));
    }
}

TEST(NearestPaletteTest, GridAgreesOnCellEdgesForClusteredPalettes) {
  TColorTable fewColours{};  // mostly black duplicates and a few colours in one corner
  fewColours[40] = QuadOf(MakeColor(250, 250, 250));
  fewColours[41] = QuadOf(MakeColor(31, 32, 33));
  fewColours[42] = QuadOf(MakeColor(32, 31, 0));
  TColorTable darkened{};  // like the dot palette: colours at 1/1 .. 1/8 brightness
  for (int i = 0; i < 256; ++i)
    darkened[i] = QuadOf(MakeColor(255 / (i % 8 + 1), (i * 37 % 256) / (i % 8 + 1), (i / 8) * 8));
  const TColorTable tables[] = {GreyRamp(), HalftonePalette(), fewColours, darkened};
  const int levels[] = {0,   1,   30,  31,  32,  33,  63,  64,  95, 96,
                        127, 128, 159, 160, 200, 223, 224, 254, 255};
  for (const TColorTable& t : tables) {
    TNearestGrid grid(t);
    for (int r : levels)
      for (int g : levels)
        for (int b : levels)
          ASSERT_EQ(grid.Find(r, g, b), NearestPaletteIndex(t, r, g, b))
              << r << "," << g << "," << b;
  }
}

TEST(NearestPaletteTest, PictureLookupFollowsANewTable) {
  TDIB dib;
  dib.SetColorTable(GreyRamp());
  dib.SetSize(1, 1, 8);
  EXPECT_EQ(dib.NearestIndex(10, 10, 10), 10);
  TColorTable reversed{};
  for (int i = 0; i < 256; ++i) reversed[i] = GreyRamp()[255 - i];
  dib.SetColorTable(reversed);
  EXPECT_EQ(dib.NearestIndex(10, 10, 10), 245);
  const TDIB copy = dib;
  EXPECT_EQ(copy.NearestIndex(10, 10, 10), 245);
}

TEST(StandardPaletteTest, GreyRamp) {
  const TColorTable t = GreyRamp();
  for (int i = 0; i < 256; ++i)
    ASSERT_EQ(t[i], (TRGBQuad{static_cast<std::uint8_t>(i), static_cast<std::uint8_t>(i),
                              static_cast<std::uint8_t>(i), 0}));
}

TEST(StandardPaletteTest, HalftoneIsACubeAndGreys) {
  const TColorTable t = HalftonePalette();
  std::set<TColor> distinct;
  for (const auto& q : t) {
    distinct.insert(ColorOf(q));
    EXPECT_EQ(q.rgbReserved, 0);
  }
  EXPECT_EQ(distinct.size(), 256u);
  EXPECT_EQ(ColorOf(t[0]), MakeColor(0, 0, 0));
  EXPECT_EQ(ColorOf(t[215]), MakeColor(255, 255, 255));
  for (int i = 0; i < 216; ++i)
    for (int c : {t[i].rgbRed, t[i].rgbGreen, t[i].rgbBlue}) ASSERT_EQ(c % 51, 0) << i;
  // Grey pictures keep their shading: every grey lands on a grey entry within 3 levels.
  for (int v = 0; v < 256; ++v) {
    const TRGBQuad& q = t[NearestPaletteIndex(t, v, v, v)];
    ASSERT_TRUE(q.rgbRed == q.rgbGreen && q.rgbGreen == q.rgbBlue) << v;
    ASSERT_LE(std::abs(q.rgbRed - v), 3) << v;
  }
}

}  // namespace

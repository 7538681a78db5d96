#include "platform/dib.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "test_support.h"

using namespace testsupport;

namespace {

TColorTable RandomTable(std::uint32_t seed) {
  Lcg rng(seed);
  TColorTable t{};
  for (auto& q : t) q = QuadOf(rng.Next() & 0xFFFFFF);
  return t;
}

// A picture of the given depth with random bytes (padding left zero).
TDIB RandomPicture(int w, int h, int bits, std::uint32_t seed) {
  Lcg rng(seed);
  TDIB dib;
  dib.SetColorTable(RandomTable(seed + 1));
  dib.SetSize(w, h, bits);
  const std::size_t used = (static_cast<std::size_t>(w) * bits + 7) / 8;
  for (int y = 0; y < h; ++y)
    for (std::size_t i = 0; i < used; ++i)
      dib.ScanLine(y)[i] = static_cast<std::uint8_t>(rng.Next());
  return dib;
}

TEST(DibTest, SetSizeKeepsTheTableAndZeroesPixels) {
  TDIB dib;
  const TColorTable table = RandomTable(1);
  dib.SetColorTable(table);
  dib.SetSize(3, 2, 8);
  dib.ScanLine(1)[2] = 9;
  dib.SetSize(5, 4, 24);
  EXPECT_EQ(dib.ColorTable(), table);
  EXPECT_EQ(dib.WidthBytes(), 16u);
  for (std::size_t i = 0; i < dib.Size(); ++i) ASSERT_EQ(dib.Bits()[i], 0);
  dib.Clear();
  EXPECT_TRUE(dib.Empty());
  EXPECT_EQ(dib.ColorTable(), table);
}

TEST(DibTest, RowsArePaddedToFourBytes) {
  struct Case {
    int width, bits;
    std::size_t stride;
  } cases[] = {{1, 1, 4},  {33, 1, 8}, {9, 4, 8},  {3, 8, 4},   {5, 8, 8},
               {1, 16, 4}, {3, 16, 8}, {1, 24, 4}, {3, 24, 12}, {2, 32, 8}};
  for (const auto& c : cases) {
    TDIB dib;
    dib.SetSize(c.width, 2, c.bits);
    EXPECT_EQ(dib.WidthBytes(), c.stride) << c.width << "x" << c.bits;
    EXPECT_EQ(dib.Size(), 2 * c.stride);
  }
}

TEST(DibTest, SetSizeRejectsBadArguments) {
  TDIB dib;
  EXPECT_THROW(dib.SetSize(-1, 2, 8), std::invalid_argument);
  EXPECT_THROW(dib.SetSize(2, 2, 12), std::invalid_argument);
  EXPECT_THROW(dib.SetSize(70000, 70000, 24), std::length_error);
}

TEST(DibTest, PixelColorAtEveryDepth) {
  TColorTable table{};
  table[0] = QuadOf(MakeColor(1, 2, 3));
  table[1] = QuadOf(MakeColor(4, 5, 6));
  table[3] = QuadOf(MakeColor(7, 8, 9));
  table[10] = QuadOf(MakeColor(10, 11, 12));
  table[200] = QuadOf(MakeColor(13, 14, 15));
  struct Case {
    int bits;
    std::vector<std::uint8_t> row;
    std::vector<TColor> expected;
  } cases[] = {
      {1, {0xA0}, {MakeColor(4, 5, 6), MakeColor(1, 2, 3), MakeColor(4, 5, 6)}},
      {4, {0x3A, 0x00}, {MakeColor(7, 8, 9), MakeColor(10, 11, 12), MakeColor(1, 2, 3)}},
      {8, {200, 3, 0}, {MakeColor(13, 14, 15), MakeColor(7, 8, 9), MakeColor(1, 2, 3)}},
      {16,
       {0x00, 0x7C, 0x21, 0x04, 0xFF, 0x7F},  // 5-5-5, low bits blue
       {MakeColor(255, 0, 0), MakeColor(8, 8, 8), MakeColor(255, 255, 255)}},
      {24,
       {3, 2, 1, 0, 0, 255, 9, 9, 9},
       {MakeColor(1, 2, 3), MakeColor(255, 0, 0), MakeColor(9, 9, 9)}},
      {32,
       {3, 2, 1, 77, 0, 0, 255, 0, 9, 9, 9, 1},
       {MakeColor(1, 2, 3), MakeColor(255, 0, 0), MakeColor(9, 9, 9)}},
  };
  for (const auto& c : cases) {
    TDIB dib;
    dib.SetColorTable(table);
    dib.SetSize(3, 1, c.bits);
    std::copy(c.row.begin(), c.row.end(), dib.ScanLine(0));
    EXPECT_EQ(ColoursOf(dib)[0], c.expected) << c.bits << " bits";
    EXPECT_EQ(ColoursOf(dib.ToTrueColor()), ColoursOf(dib)) << c.bits << " bits";
    EXPECT_EQ(dib.ToTrueColor().BitCount(), 24);
  }
}

TEST(DibTest, MirrorsAtEveryDepth) {
  for (int bits : {1, 4, 8, 16, 24, 32}) {
    const TDIB original = RandomPicture(5, 3, bits, static_cast<std::uint32_t>(bits));
    const auto colours = ColoursOf(original);
    TDIB lr = original;
    lr.MirrorLeftRight();
    TDIB tb = original;
    tb.MirrorTopBottom();
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 5; ++x) {
        ASSERT_EQ(lr.PixelColor(x, y), colours[y][4 - x]) << bits << " bits";
        ASSERT_EQ(tb.PixelColor(x, y), colours[2 - y][x]) << bits << " bits";
      }
    lr.MirrorLeftRight();
    EXPECT_EQ(ColoursOf(lr), colours);
  }
}

TEST(DibTest, FillBlackAndEquality) {
  TDIB a = RandomPicture(4, 3, 24, 5);
  TDIB b = a;
  EXPECT_EQ(a, b);
  b.ScanLine(2)[11] ^= 1;
  EXPECT_FALSE(a == b);
  b = a;
  TColorTable t = b.ColorTable();
  t[7].rgbRed ^= 1;
  b.SetColorTable(t);
  EXPECT_FALSE(a == b) << "the table is part of the picture";
  a.FillBlack();
  EXPECT_EQ(ColoursOf(a), std::vector<std::vector<TColor>>(3, std::vector<TColor>(4, 0)));
}

// Mean of each channel over the clipped square, integer division, computed the slow way.
TColor SlowMean(const TDIB& dib, int x, int y, int radius) {
  int sum[3] = {0, 0, 0}, count = 0;
  for (int v = std::max(0, y - radius); v <= std::min(dib.Height() - 1, y + radius); ++v)
    for (int u = std::max(0, x - radius); u <= std::min(dib.Width() - 1, x + radius); ++u) {
      const TColor c = dib.PixelColor(u, v);
      sum[0] += ColorR(c), sum[1] += ColorG(c), sum[2] += ColorB(c);
      ++count;
    }
  return MakeColor(sum[0] / count, sum[1] / count, sum[2] / count);
}

TEST(DibTest, BlurTrueColourIsTheClippedBoxMean) {
  for (int radius : {1, 2, 7}) {
    const TDIB original = RandomPicture(6, 5, 24, 9);
    TDIB dib = original;
    dib.Blur(radius);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x)
        ASSERT_EQ(dib.PixelColor(x, y), SlowMean(original, x, y, radius))
            << "radius " << radius << " at " << x << "," << y;
  }
}

TEST(DibTest, BlurEightBitGivesGreyMeans) {
  const TDIB original = RandomPicture(5, 4, 8, 13);
  TDIB dib = original;
  dib.Blur(1);
  EXPECT_EQ(dib.ColorTable(), GreyRamp());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const TColor m = SlowMean(original, x, y, 1);
      ASSERT_EQ(dib.PixelValue(x, y),
                static_cast<std::uint32_t>((ColorR(m) + ColorG(m) + ColorB(m)) / 3));
    }
}

TEST(DibTest, BlurLeavesOtherCasesAlone) {
  for (const auto& [bits, radius] :
       std::vector<std::pair<int, int>>{{24, 0}, {8, -1}, {16, 2}, {4, 1}}) {
    const TDIB original = RandomPicture(4, 4, bits, 3);
    TDIB dib = original;
    dib.Blur(radius);
    EXPECT_EQ(dib, original) << bits << " bits, radius " << radius;
  }
  TDIB single = RandomPicture(1, 1, 24, 4);
  const TDIB copy = single;
  single.Blur(3);
  EXPECT_EQ(single, copy);
}

}  // namespace

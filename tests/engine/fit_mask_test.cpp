#include "engine/fit_mask.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/palette.h"

namespace {

TDIB Picture(int w, int h, int bits, const TColorTable& table = GreyRamp()) {
  TDIB d;
  d.SetColorTable(table);
  d.SetSize(w, h, bits);
  return d;
}

void Put24(TDIB& d, int x, int y, TColor c) {
  std::uint8_t* p = d.ScanLine(y) + 3 * x;
  p[0] = static_cast<std::uint8_t>(ColorB(c));
  p[1] = static_cast<std::uint8_t>(ColorG(c));
  p[2] = static_cast<std::uint8_t>(ColorR(c));
}

// Bounding box of the non-zero pixels of an 8-bit picture.
TFitRect Covered(const TDIB& d) {
  int x0 = d.Width(), y0 = d.Height(), x1 = -1, y1 = -1;
  for (int y = 0; y < d.Height(); ++y)
    for (int x = 0; x < d.Width(); ++x)
      if (d.ScanLine(y)[x] != 0) {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  return TFitRect{x0, y0, x1 - x0 + 1, y1 - y0 + 1};
}

TEST(FitMaskTest, PlacesTheMaskRectangle) {
  struct Case {
    int sw, sh, pct, W, H;
    TFitRect expected;
  } cases[] = {
      {200, 100, 95, 640, 480, {16, 88, 608, 304}},     // width limits
      {100, 200, 95, 640, 480, {206, 12, 228, 456}},    // height limits
      {640, 480, 95, 640, 480, {16, 12, 608, 456}},     // equal aspect: width limits
      {640, 480, 100, 640, 480, {0, 0, 640, 480}},      // fills the frame
      {800, 600, 50, 1024, 768, {256, 192, 512, 384}},  //
      {300, 300, 10, 640, 480, {296, 216, 48, 48}},     //
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.sw << "x" << c.sh << " at " << c.pct);
    EXPECT_EQ(FitRect(c.sw, c.sh, c.pct, c.W, c.H), c.expected);
    TDIB mask = Picture(c.sw, c.sh, 8);
    for (int y = 0; y < c.sh; ++y) std::fill_n(mask.ScanLine(y), c.sw, 200);
    FitMask(mask, c.pct, c.W, c.H);
    ASSERT_EQ(mask.Width(), c.W);
    ASSERT_EQ(mask.Height(), c.H);
    ASSERT_EQ(mask.BitCount(), 8);
    EXPECT_EQ(mask.ColorTable(), GreyRamp());
    EXPECT_EQ(Covered(mask), c.expected);
  }
}

TEST(FitMaskTest, LargeFramesDoNotOverflow) {
  // 10000 x 100 x 3000 is past 32 bits.
  EXPECT_EQ(FitRect(8000, 3000, 100, 10000, 10000), (TFitRect{0, 3125, 10000, 3750}));
  EXPECT_EQ(FitRect(3000, 8000, 100, 10000, 10000), (TFitRect{3125, 0, 3750, 10000}));
}

TEST(FitMaskTest, EightBitMaskKeepsIndicesWhateverItsTable) {
  TColorTable red{};
  red.fill(QuadOf(MakeColor(255, 0, 0)));
  TDIB mask = Picture(4, 3, 8, red);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) mask.ScanLine(y)[x] = static_cast<std::uint8_t>(10 * x + 50 * y);
  FitMask(mask, 100, 8, 6);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 8; ++x) EXPECT_EQ(mask.ScanLine(y)[x], 10 * (x / 2) + 50 * (y / 2));
  EXPECT_EQ(mask.ColorTable(), GreyRamp());
}

TEST(FitMaskTest, TrueColourMaskTakesNearestGrey) {
  const TColor colours[] = {MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(128, 128, 128),
                            MakeColor(10, 20, 30)};
  const int depths[] = {255, 0, 128, 20};
  TDIB mask = Picture(4, 1, 24);
  for (int x = 0; x < 4; ++x) Put24(mask, x, 0, colours[x]);
  FitMask(mask, 100, 4, 1);
  for (int x = 0; x < 4; ++x) EXPECT_EQ(mask.ScanLine(0)[x], depths[x]) << x;
}

TEST(FitMaskTest, EmptyMaskIsRefused) {
  for (auto [w, h] : {std::pair{0, 0}, {10, 0}, {0, 10}}) {
    TDIB mask = Picture(w, h, 8);
    EXPECT_THROW(FitMask(mask, 95, 640, 480), TRenderError);
  }
}

// Source 10 x 10 with value 10 * y + x.
TDIB Numbered() {
  TDIB s = Picture(10, 10, 8);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) s.ScanLine(y)[x] = static_cast<std::uint8_t>(10 * y + x);
  return s;
}

TEST(StretchCopyTest, DoublesAndHalves) {
  const TDIB s = Numbered();
  TDIB big = Picture(20, 20, 8);
  StretchCopy(s, big, 0, 0, 20, 20);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(big.ScanLine(y)[x], 10 * (y / 2) + x / 2);
  TDIB small = Picture(5, 5, 8);
  StretchCopy(s, small, 0, 0, 5, 5);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) ASSERT_EQ(small.ScanLine(y)[x], 10 * (2 * y) + 2 * x);
}

TEST(StretchCopyTest, StartIsClampedOntoTheDestination) {
  const TDIB s = Numbered();
  struct Case {
    int x, y, w, h;
    int dx, dy;    // destination pixel
    int expected;  // its value (0 = untouched)
  } cases[] = {
      {-3, -2, 10, 10, 0, 0, 0},   // moved to (0, 0): source (0, 0) lands there
      {-3, -2, 10, 10, 9, 9, 99},  // and the whole source follows
      {-3, -2, 10, 10, 10, 10, 0},
      {25, 5, 10, 10, 19, 5, 0},  // moved onto the right edge: source column 0
      {25, 5, 10, 10, 19, 6, 10},
      {25, 5, 10, 10, 18, 6, 0},
      {5, 40, 10, 10, 7, 19, 2},  // moved onto the bottom edge: source row 0
      {5, 40, 10, 10, 7, 18, 0},
  };
  for (const Case& c : cases) {
    TDIB d = Picture(20, 20, 8);
    StretchCopy(s, d, c.x, c.y, c.w, c.h);
    EXPECT_EQ(d.ScanLine(c.dy)[c.dx], c.expected) << c.x << "," << c.y;
  }
}

TEST(StretchCopyTest, EmptyRectangleWritesNothing) {
  const TDIB s = Numbered();
  for (auto [w, h] : {std::pair{0, 5}, {5, 0}, {-4, 5}, {5, -1}}) {
    TDIB d = Picture(8, 8, 8);
    for (int y = 0; y < 8; ++y) std::fill_n(d.ScanLine(y), 8, 7);
    const TDIB before = d;
    StretchCopy(s, d, 1, 1, w, h);
    EXPECT_EQ(d, before);
  }
  TDIB empty = Picture(0, 0, 8);
  StretchCopy(s, empty, 0, 0, 5, 5);  // nothing to clamp onto
  EXPECT_TRUE(empty.Empty());
}

TEST(StretchCopyTest, ConvertsBetweenDepths) {
  TColorTable table = GreyRamp();
  table[3] = QuadOf(MakeColor(200, 10, 20));
  TDIB s8 = Picture(2, 1, 8, table);
  s8.ScanLine(0)[0] = 3;
  s8.ScanLine(0)[1] = 77;
  TDIB d24 = Picture(4, 1, 24);
  StretchCopy(s8, d24, 0, 0, 4, 1);
  EXPECT_EQ(d24.PixelColor(1, 0), MakeColor(200, 10, 20));
  EXPECT_EQ(d24.PixelColor(2, 0), MakeColor(77, 77, 77));
  // 24 to 24 copies bytes; 24 to 8 takes the nearest entry of the destination's table.
  TDIB back24 = Picture(2, 1, 24);
  StretchCopy(d24, back24, 0, 0, 2, 1);
  EXPECT_EQ(back24.PixelColor(0, 0), MakeColor(200, 10, 20));
  TDIB d8 = Picture(4, 1, 8);
  StretchCopy(d24, d8, 0, 0, 4, 1);
  EXPECT_EQ(d8.ScanLine(0)[0], NearestPaletteIndex(GreyRamp(), 200, 10, 20));
  EXPECT_EQ(d8.ScanLine(0)[3], 77);
}

TEST(StretchCopyTest, OtherSourceDepthsGoColourByColour) {
  const TColor a = MakeColor(255, 0, 0), b = MakeColor(0, 0, 255);
  for (int bits : {1, 4, 16, 32}) {
    SCOPED_TRACE(bits);
    TColorTable table{};
    table[0] = QuadOf(a);
    table[1] = QuadOf(b);
    TDIB s = Picture(2, 2, bits, table);
    // a b / b a, written as packed values of each depth.
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 2; ++x) {
        const bool isB = (x + y) % 2 == 1;
        std::uint8_t* row = s.ScanLine(y);
        if (bits == 1) row[0] |= isB ? (0x80 >> x) : 0;
        if (bits == 4) row[0] |= isB ? (x ? 0x01 : 0x10) : 0;
        if (bits == 16) row[2 * x] = isB ? 0x1F : 0, row[2 * x + 1] = isB ? 0 : 0x7C;
        if (bits == 32) row[4 * x] = isB ? 255 : 0, row[4 * x + 2] = isB ? 0 : 255;
      }
    TDIB d24 = Picture(4, 4, 24);
    StretchCopy(s, d24, 0, 0, 4, 4);
    EXPECT_EQ(d24.PixelColor(1, 1), a);
    EXPECT_EQ(d24.PixelColor(2, 1), b);
    EXPECT_EQ(d24.PixelColor(3, 3), a);
    TColorTable two{};
    two[5] = QuadOf(b);
    two[9] = QuadOf(a);
    TDIB d8 = Picture(2, 2, 8, two);
    StretchCopy(s, d8, 0, 0, 2, 2);
    EXPECT_EQ(d8.ScanLine(0)[0], 9);
    EXPECT_EQ(d8.ScanLine(0)[1], 5);
  }
}

TEST(StretchCopyTest, RefusesDestinationsOfOtherDepths) {
  const TDIB s = Numbered();
  TDIB d = Picture(4, 4, 32);
  EXPECT_THROW(StretchCopy(s, d, 0, 0, 4, 4), std::invalid_argument);
}

}  // namespace

#include "engine/texture.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/palette.h"

namespace {

// Texture pixel (x, y) is the colour red = x, green = y, blue = 7: every strip pixel tells which
// texture pixel it came from, whatever mirroring happened.
TDIB Marked24(int w, int h) {
  TDIB t;
  t.SetSize(w, h, 24);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      std::uint8_t* p = t.ScanLine(y) + 3 * x;
      p[0] = 7, p[1] = static_cast<std::uint8_t>(y), p[2] = static_cast<std::uint8_t>(x);
    }
  return t;
}

struct TOrigin {
  int x, y;
  friend bool operator==(const TOrigin&, const TOrigin&) = default;
  friend std::ostream& operator<<(std::ostream& o, const TOrigin& p) {
    return o << "(" << p.x << ", " << p.y << ")";
  }
};

TOrigin OriginAt(const TDIB& strip, int x, int y) {
  const TColor c = strip.PixelColor(x, y);
  EXPECT_EQ(ColorB(c), 7) << "strip pixel " << x << "," << y << " was never written";
  return TOrigin{ColorR(c), ColorG(c)};
}

TDIB Fill(const TDIB& texture, int mode, int base, int height = 480, int bits = 24) {
  TEngine engine;
  engine.Params.Base = base;
  engine.Params.PHeight = height;
  engine.Params.BitRate = bits;
  engine.Params.StretchMode = mode;
  engine.PatternImage = texture;
  MakeTexturePattern(engine);
  EXPECT_EQ(engine.PatternImage.Width(), base);
  EXPECT_EQ(engine.PatternImage.Height(), height);
  EXPECT_EQ(engine.PatternImage.BitCount(), bits);
  return engine.PatternImage;
}

TEST(TextureTest, TilePositions) {
  struct Case {
    int mode, tw, th, base, x, y;
    TOrigin origin;
  } cases[] = {
      // "Simple stretch": one copy of 100 x 50 scaled to 88 x 480.
      {0, 100, 50, 88, 0, 0, {0, 0}},
      {0, 100, 50, 88, 87, 479, {98, 49}},
      {0, 100, 50, 88, 44, 240, {50, 25}},
      // "Stretch and clone": tileH 44, tiles at 0, 44, ..., 440, the last cut to 40 rows.
      {1, 100, 50, 88, 0, 43, {0, 48}},
      {1, 100, 50, 88, 0, 44, {0, 0}},
      {1, 100, 50, 88, 87, 440, {98, 0}},
      {1, 100, 50, 88, 0, 479, {0, 44}},
      // Base 96: tileH 48, ten tiles fill the strip exactly.
      {1, 100, 50, 96, 0, 432, {0, 0}},
      {1, 100, 50, 96, 0, 479, {0, 48}},
      // "Stretch, mirror vertically and clone": upright at 0, 88, ..., 440; upside down at 44,
      // 132, ..., 396.
      {2, 100, 50, 88, 0, 0, {0, 0}},
      {2, 100, 50, 88, 0, 44, {0, 49}},
      {2, 100, 50, 88, 0, 87, {0, 1}},
      {2, 100, 50, 88, 0, 88, {0, 0}},
      {2, 100, 50, 88, 0, 396, {0, 49}},
      {2, 100, 50, 88, 0, 440, {0, 0}},
      // "Stretch, mirror in 2 coordinates && clone": quarters of 44 x 22.
      {3, 100, 50, 88, 0, 0, {0, 0}},  // upright
      {3, 100, 50, 88, 43, 21, {97, 47}},
      {3, 100, 50, 88, 44, 0, {99, 0}},  // mirrored left to right
      {3, 100, 50, 88, 87, 21, {2, 47}},
      {3, 100, 50, 88, 44, 22, {99, 49}},  // mirrored both ways
      {3, 100, 50, 88, 0, 22, {0, 49}},    // upside down
      {3, 100, 50, 88, 0, 43, {0, 2}},
      {3, 100, 50, 88, 0, 44, {0, 0}},     // next tile
      {3, 100, 50, 88, 87, 479, {2, 11}},  // clipped last tile
      // "Use texture dimensions": 64 x 64 tiles at columns 0 and 64, rows 0, 64, ..., 448.
      {4, 64, 64, 88, 0, 0, {0, 0}},
      {4, 64, 64, 88, 63, 63, {63, 63}},
      {4, 64, 64, 88, 64, 0, {0, 0}},
      {4, 64, 64, 88, 87, 64, {23, 0}},
      {4, 64, 64, 88, 10, 448, {10, 0}},
      {4, 64, 64, 88, 10, 479, {10, 31}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "mode " << c.mode << " base " << c.base << " at " << c.x << "," << c.y);
    const TDIB strip = Fill(Marked24(c.tw, c.th), c.mode, c.base);
    EXPECT_EQ(OriginAt(strip, c.x, c.y), c.origin);
  }
}

TEST(TextureTest, EveryStripPixelIsWritten) {
  for (int mode = 0; mode <= 4; ++mode) {
    SCOPED_TRACE(mode);
    const TDIB strip = Fill(Marked24(100, 50), mode, 88);
    for (int y = 0; y < strip.Height(); ++y)
      for (int x = 0; x < strip.Width(); ++x) ASSERT_EQ(ColorB(strip.PixelColor(x, y)), 7);
  }
}

TEST(TextureTest, UnknownModeIsSimpleStretch) {
  const TDIB simple = Fill(Marked24(100, 50), 0, 88);
  for (int mode : {5, -1, 99}) EXPECT_EQ(Fill(Marked24(100, 50), mode, 88), simple) << mode;
}

TEST(TextureTest, FlatTextureStillAdvances) {
  // tileH = 1 * 88 div 200 = 0: the runs must move on by at least one row.
  for (int mode = 1; mode <= 3; ++mode) {
    SCOPED_TRACE(mode);
    const TDIB strip = Fill(Marked24(200, 1), mode, 88, 20);
    EXPECT_EQ(OriginAt(strip, 0, 19).y, 0);
  }
}

TEST(TextureTest, EightBitStripKeepsTheTextureTable) {
  // 64 x 64 texture, index (x + 3 y) mod 256, "Use texture dimensions": indices tile unchanged.
  TColorTable table = HalftonePalette();
  TDIB texture;
  texture.SetColorTable(table);
  texture.SetSize(64, 64, 8);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) texture.ScanLine(y)[x] = static_cast<std::uint8_t>(x + 3 * y);
  const TDIB strip = Fill(texture, 4, 88, 480, 8);
  EXPECT_EQ(strip.ColorTable(), table);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 88; ++x)
      ASSERT_EQ(strip.ScanLine(y)[x], static_cast<std::uint8_t>(x % 64 + 3 * (y % 64)))
          << x << "," << y;
}

TEST(TextureTest, TrueColourTextureIntoEightBitStrip) {
  // A decoded JPEG in 8-bit mode: 24-bit pixels, table = the decoder's palette.
  TColorTable palette{};
  for (int i = 0; i < 256; ++i) palette[i] = QuadOf(MakeColor(i, 255 - i, (i * 5) & 255));
  TDIB texture = Marked24(100, 50);
  texture.SetColorTable(palette);
  const TDIB strip = Fill(texture, 2, 88, 480, 8);
  EXPECT_EQ(strip.ColorTable(), palette);
  const TColor c = texture.PixelColor(0, 49);  // top of the first upside-down tile
  EXPECT_EQ(strip.ScanLine(44)[0], NearestPaletteIndex(palette, ColorR(c), ColorG(c), ColorB(c)));
}

TEST(TextureTest, RenderLeavesAnEmptyMaskUnrendered) {
  TEngine engine;
  engine.Params.Base = 88;
  engine.Params.PHeight = 48;
  engine.Params.PWidth = 400;
  engine.PatternImage = Marked24(100, 50);
  Render(engine);
  EXPECT_EQ(engine.PatternImage.Width(), 88);
  EXPECT_TRUE(engine.OutputImage.Empty());
}

}  // namespace

#include "engine/blender.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "engine/render_error.h"
#include "platform/ini_file.h"
#include "platform/palette.h"

namespace {

TDIB Black24(int w, int h) {
  TDIB d;
  d.SetSize(w, h, 24);
  return d;
}

// Black blended with white: every channel of the result is the colour weight.
TDIB WeightMap(const TBlender& b, int w = 640, int h = 480) {
  TDIB d = Black24(w, h);
  b.Blend(d, d);
  return d;
}

int WeightAt(const TDIB& d, int x, int y) { return d.ScanLine(y)[3 * x]; }

TBlender White(int effect, int volume, bool inverse = false, int hor = 50, int vert = 50) {
  TBlender b;
  b.Effect = effect;
  b.Volume = volume;
  b.Inverse = inverse;
  b.HorCoord = hor;
  b.VertCoord = vert;
  b.Color = MakeColor(255, 255, 255);
  return b;
}

TEST(BlenderTest, DefaultsAtCreation) {
  const TBlender b;
  EXPECT_TRUE(b.Preview);
  EXPECT_FALSE(b.Inverse);
  EXPECT_EQ(b.Volume, 50);
  EXPECT_EQ(b.HorCoord, 50);
  EXPECT_EQ(b.VertCoord, 50);
  EXPECT_EQ(b.Effect, 6);
  EXPECT_EQ(b.Color, 8388608u);
  EXPECT_EQ(b.ProgressBar, nullptr);
}

TEST(BlenderTest, DistancesOfEveryEffect) {
  struct Case {
    int effect, hor, vert, x, y, d;
  } cases[] = {
      {0, 50, 50, 639, 0, 319},  // "Horizontal": (100 - HorCoord) * x div 100
      {0, 100, 50, 639, 0, 0},   {1, 50, 50, 0, 7, 320},     // "Horizontal center"
      {1, 25, 50, 639, 7, 479},  {2, 50, 50, 7, 479, 239},   // "Vertical"
      {3, 50, 50, 7, 0, 240},                                // "Vertical center"
      {3, 50, 0, 7, 479, 479},   {4, 50, 50, 0, 0, 280},     // "Star"
      {5, 50, 50, 0, 0, 400},                                // "Circle"
      {5, 50, 50, 321, 241, 1},  {6, 50, 50, 0, 240, 277},   // "Ellipse": sqrt(0.75 * 320 * 320)
      {6, 50, 50, 320, 0, 208},  {17, 50, 50, 0, 240, 277},  // unknown effects draw the ellipse
      {-1, 50, 50, 320, 0, 208},
  };
  for (const Case& c : cases) {
    const TBlender b = White(c.effect, 50, false, c.hor, c.vert);
    EXPECT_EQ(b.Distance(c.x, c.y, 640, 480), c.d)
        << "effect " << c.effect << " at " << c.x << "," << c.y;
  }
}

TEST(BlenderTest, RoundDistancesMatchExtendedPrecision) {
  // The per-pixel rounding avoids the floating-point environment; it must agree with the
  // round-half-even of an extended-precision square root everywhere.
  for (auto [w, h] : {std::pair{640, 480}, {1024, 768}, {333, 101}, {7, 300}}) {
    for (int effect : {5, 6}) {
      const TBlender b = White(effect, 50, false, 37, 61);
      const int cx = w * 37 / 100, cy = h * 61 / 100;
      const long double ratio = effect == 5 ? 1.0L : static_cast<long double>(h) / w;
      for (int y = 0; y < h; y += 3)
        for (int x = 0; x < w; ++x) {
          const long double n = static_cast<long double>((x - cx) * (x - cx) + (y - cy) * (y - cy));
          ASSERT_EQ(b.Distance(x, y, w, h), std::nearbyint(std::sqrt(ratio * n)))
              << w << "x" << h << " effect " << effect << " at " << x << "," << y;
        }
    }
  }
}

TEST(BlenderTest, WeightsOnAPicture) {
  struct Case {
    int effect, volume;
    bool inverse;
    int hor, x, y, weight;
  } cases[] = {
      {5, 100, false, 50, 320, 240, 0},  // centre untouched
      {5, 100, false, 50, 320, 0, 254},
      {5, 100, false, 50, 0, 0, 254},
      {5, 50, false, 50, 320, 0, 127},
      {5, 50, true, 50, 320, 240, 128},  // inverse: about one half at the centre
      {5, 50, true, 50, 320, 0, 0},
      {5, 100, true, 50, 0, 0, 128},    // inverse at full volume: one half everywhere
      {5, 0, false, 50, 0, 0, 0},       // volume 0 changes nothing
      {0, 50, false, 50, 639, 0, 168},  // "Horizontal"
      {0, 50, false, 50, 0, 100, 0},
      {1, 50, false, 50, 0, 9, 170},    // "Horizontal center"
      {2, 50, false, 50, 9, 479, 126},  // "Vertical"
      {3, 50, false, 50, 9, 0, 127},    // "Vertical center"
      {4, 50, false, 50, 0, 0, 148},    // "Star"
      {6, 50, false, 50, 0, 240, 146},  // "Ellipse"
      {6, 50, true, 50, 0, 240, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "effect " << c.effect << " volume " << c.volume << (c.inverse ? " inverse" : "")
                 << " at " << c.x << "," << c.y);
    const TDIB d = WeightMap(White(c.effect, c.volume, c.inverse, c.hor));
    EXPECT_EQ(WeightAt(d, c.x, c.y), c.weight);
    EXPECT_EQ(d.ScanLine(c.y)[3 * c.x + 1], c.weight);
    EXPECT_EQ(d.ScanLine(c.y)[3 * c.x + 2], c.weight);
  }
}

TEST(BlenderTest, HorizontalAtFullCoordinateChangesNothing) {
  TDIB d = Black24(64, 48);
  for (std::size_t i = 0; i < d.Size(); ++i) d.Bits()[i] = static_cast<std::uint8_t>(i * 7);
  const TDIB before = d;
  White(0, 100, false, 100).Blend(d, d);
  EXPECT_EQ(d, before);
}

TEST(BlenderTest, MixesEachChannelWithTheColour) {
  TDIB s = Black24(640, 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      std::uint8_t* p = s.ScanLine(y) + 3 * x;
      p[0] = 50, p[1] = 100, p[2] = 200;  // blue, green, red
    }
  TBlender b = White(5, 50);
  b.Color = 8388608;  // navy
  TDIB d = Black24(640, 480);
  b.Blend(s, d);  // weight 127 at (320, 0)
  const std::uint8_t* p = d.ScanLine(0) + 3 * 320;
  EXPECT_EQ(p[0], (128 * 50 + 127 * 128) / 255);
  EXPECT_EQ(p[1], (128 * 100) / 255);
  EXPECT_EQ(p[2], (128 * 200) / 255);
  EXPECT_EQ(d.PixelColor(320, 240), MakeColor(200, 100, 50));
}

TEST(BlenderTest, EightBitTakesNearestEntryOfDestinationTable) {
  TColorTable table{};
  std::mt19937 rng(7);
  for (auto& q : table) q = QuadOf(static_cast<TColor>(rng() & 0xFFFFFF));
  TDIB s;
  s.SetColorTable(table);
  s.SetSize(40, 30, 8);
  for (std::size_t i = 0; i < s.Size(); ++i) s.Bits()[i] = static_cast<std::uint8_t>(rng());
  const TDIB original = s;
  const TBlender b = White(5, 80);
  // Into a picture with another table, and in place.
  TDIB grey;
  grey.SetColorTable(GreyRamp());
  grey.SetSize(40, 30, 8);
  b.Blend(s, grey);
  b.Blend(s, s);
  EXPECT_EQ(s.ColorTable(), table);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const int a = b.Weight(b.Distance(x, y, 40, 30), 40, 30);
      const TRGBQuad& q = table[original.ScanLine(y)[x]];
      const int r = ((255 - a) * q.rgbRed + a * 255) / 255;
      const int g = ((255 - a) * q.rgbGreen + a * 255) / 255;
      const int bl = ((255 - a) * q.rgbBlue + a * 255) / 255;
      ASSERT_EQ(s.ScanLine(y)[x], NearestPaletteIndex(table, r, g, bl)) << x << "," << y;
      ASSERT_EQ(grey.ScanLine(y)[x], NearestPaletteIndex(GreyRamp(), r, g, bl));
    }
}

TEST(BlenderTest, AllEffectsBothDepthsStayInRange) {
  // Every effect blends without touching the centre pixel (weight 0) and reaches colour at the
  // corners; 8-bit and 24-bit give the same weights.
  for (int effect = 0; effect <= 6; ++effect) {
    SCOPED_TRACE(effect);
    const TBlender b = White(effect, 100, false, effect == 0 || effect == 2 ? 0 : 50,
                             effect == 0 || effect == 2 ? 0 : 50);
    const TDIB d24 = WeightMap(b, 64, 48);
    TDIB d8;
    d8.SetColorTable(GreyRamp());
    d8.SetSize(64, 48, 8);
    b.Blend(d8, d8);
    const int cx = (effect == 0 || effect == 2) ? 0 : 32,
              cy = (effect == 0 || effect == 2) ? 0 : 24;
    EXPECT_EQ(WeightAt(d24, cx, cy), 0);
    EXPECT_GT(WeightAt(d24, 63, 47), 0);
    for (int y = 0; y < 48; ++y)
      for (int x = 0; x < 64; ++x) ASSERT_EQ(d8.ScanLine(y)[x], WeightAt(d24, x, y));
  }
}

TEST(BlenderTest, TinyPicturesWithoutInversionAreLeftAlone) {
  for (auto [w, h] : {std::pair{1, 50}, {50, 1}, {1, 1}}) {
    SCOPED_TRACE(testing::Message() << w << "x" << h);
    TDIB s = Black24(w, h);
    for (int y = 0; y < h; ++y) std::fill_n(s.ScanLine(y), 3 * w, 90);  // padding stays 0
    const TDIB before = s;
    TBlender b = White(5, 100);
    b.Blend(s, s);
    EXPECT_EQ(s, before);
    TDIB d = Black24(w, h);
    b.Blend(s, d);
    EXPECT_EQ(d, before);  // a separate destination gets the unblended picture
    b.Inverse = true;      // with inversion the effect is defined (R taken as 1)
    b.Blend(s, d);
    EXPECT_NE(d, before);
  }
}

TEST(BlenderTest, RefusesMismatchedPictures) {
  const TBlender b;
  TDIB d24 = Black24(10, 10), small = Black24(9, 10), s8;
  s8.SetSize(10, 10, 8);
  EXPECT_THROW(b.Blend(s8, d24), TRenderError);
  EXPECT_THROW(b.Blend(small, d24), TRenderError);
  TDIB d32;
  d32.SetSize(10, 10, 32);
  EXPECT_THROW(b.Blend(d32, d32), TRenderError);
  TDIB big = Black24(20, 20);
  EXPECT_NO_THROW(b.Blend(big, d24));  // a larger source is fine
}

struct TProgressLog : TQuietHost {
  std::vector<int> positions;
  int pumps = 0;
  void SetProgress(int p) override { positions.push_back(p); }
  void ProcessMessages() override { ++pumps; }
};

TEST(BlenderTest, ProgressOnlyOutsidePreview) {
  TProgressLog log;
  TBlender b;
  b.ProgressBar = &log;
  TDIB d = Black24(8, 4);
  b.Blend(d, d);
  EXPECT_TRUE(log.positions.empty());
  EXPECT_EQ(log.pumps, 0);
  b.Preview = false;
  b.Blend(d, d);
  EXPECT_EQ(log.positions, (std::vector<int>{0, 25, 50, 75, 0}));
  EXPECT_EQ(log.pumps, 4);
  b.ProgressBar = nullptr;  // no bar: nothing to report to
  EXPECT_NO_THROW(b.Blend(d, d));
}

TEST(BlenderTest, SettingsSection) {
  const auto dir =
      std::filesystem::temp_directory_path() / ("blender_test_" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "Dotweave.cfg").string();
  {
    TIniFile ini(path);
    TBlender b;
    b.Effect = 0;
    LoadBlending(ini, b);
    EXPECT_EQ(b.Volume, 50);
    EXPECT_EQ(b.VertCoord, 50);
    EXPECT_EQ(b.HorCoord, 50);
    EXPECT_FALSE(b.Inverse);
    EXPECT_EQ(b.Color, 8388608u);
    EXPECT_EQ(b.Effect, 5);  // the settings default differs from the blender's own
    b.Volume = 70, b.VertCoord = 10, b.HorCoord = 90, b.Inverse = true, b.Color = 16777215;
    b.Effect = 3;
    SaveBlending(ini, b);
  }
  TIniFile ini(path);
  EXPECT_EQ(ini.ReadInteger("Blending", "Color", 0), 16777215);
  TBlender b;
  LoadBlending(ini, b);
  EXPECT_EQ(b.Volume, 70);
  EXPECT_EQ(b.VertCoord, 10);
  EXPECT_EQ(b.HorCoord, 90);
  EXPECT_TRUE(b.Inverse);
  EXPECT_EQ(b.Effect, 3);
  std::filesystem::remove_all(dir);
}

}  // namespace

#include "engine/renderer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "engine/random_dots.h"
#include "platform/palette.h"

namespace {

struct TRecordingHost : TRenderHost {
  std::vector<std::string> status;  // "panel:text" in order
  std::vector<int> progress;
  std::string panel[3];
  int pumps = 0;
  int previews = 0;
  bool animationOpen = false;
  std::function<void(int pump)> onPump;

  void SetStatusText(int p, const std::string& text) override {
    panel[p] = text;
    status.push_back(std::to_string(p) + ":" + text);
  }
  void SetProgress(int position) override { progress.push_back(position); }
  void ProcessMessages() override {
    if (onPump) onPump(pumps);
    ++pumps;
  }
  void LockCommands(bool) override {}
  void ShowPreview() override { ++previews; }
  bool AnimationDialogOpen() const override { return animationOpen; }
  std::string Localize(const std::string& text) override { return "<" + text + ">"; }
};

using TPixelFn = std::function<std::uint32_t(int x, int y)>;

// 24-bit: a colour value; 8-bit: an index.
void Put(TDIB& dib, int x, int y, std::uint32_t v) {
  std::uint8_t* row = dib.ScanLine(y);
  if (dib.BitCount() == 8) {
    row[x] = static_cast<std::uint8_t>(v);
  } else {
    row[3 * x] = static_cast<std::uint8_t>(ColorB(v));
    row[3 * x + 1] = static_cast<std::uint8_t>(ColorG(v));
    row[3 * x + 2] = static_cast<std::uint8_t>(ColorR(v));
  }
}

void Fill(TDIB& dib, const TPixelFn& f) {
  for (int y = 0; y < dib.Height(); ++y)
    for (int x = 0; x < dib.Width(); ++x) Put(dib, x, y, f(x, y));
}

// The pictures as the pipeline leaves them: fitted 8-bit mask, pattern strip, and an output of
// the stereogram's size carrying the pattern's table.
void SetPictures(TEngine& e, const TPixelFn& depth, const TPixelFn& pattern,
                 const TColorTable& table = GreyRamp()) {
  const TStereoParams& p = e.Params;
  e.MaskImage = TDIB();
  e.MaskImage.SetColorTable(GreyRamp());
  e.MaskImage.SetSize(p.PWidth, p.PHeight, 8);
  Fill(e.MaskImage, depth);
  e.PatternImage = TDIB();
  e.PatternImage.SetColorTable(table);
  e.PatternImage.SetSize(p.Base, p.PHeight, p.BitRate);
  Fill(e.PatternImage, pattern);
  e.OutputImage = TDIB();
  e.OutputImage.SetColorTable(table);
  e.OutputImage.SetSize(p.PWidth, p.PHeight, p.BitRate);
}

// A pattern whose every pixel differs from its neighbours in the strip.
std::uint32_t Varied(int x, int y) {
  return MakeColor(x * 5 + y, 255 - x * 3, (x * 37 + y * 11) % 256);
}

std::uint32_t Sphere(int x, int y, int w, int h) {
  const double dx = (x - w / 2.0) / (w / 3.0), dy = (y - h / 2.0) / (h / 2.5);
  const double r2 = dx * dx + dy * dy;
  return r2 >= 1 ? 0 : static_cast<std::uint32_t>(255 * std::sqrt(1 - r2));
}

TStereoParams Settings(int width, int height, int base, int ov, int algorithm, int bits = 24) {
  TStereoParams p;
  p.PWidth = width;
  p.PHeight = height;
  p.Base = base;
  p.Oversampling = ov;
  p.Algorithm = algorithm;
  p.BitRate = bits;
  p.DDepth = 20;
  p.Randm = false;
  return p;
}

std::string RowLetters(const TDIB& dib, int y) {
  std::string s;
  for (int x = 0; x < dib.Width(); ++x) s += static_cast<char>(ColorR(dib.PixelColor(x, y)));
  return s;
}

TEST(DepthShiftTest, RoundsInExtendedPrecisionThenAppliesTheDirection) {
  struct Case {
    int p, d, dDepth, dir, want;
  };
  const Case cases[] = {
      {88, 255, 30, 1, 14},   {88, 128, 30, 1, 7},  {88, 1, 30, 1, 0},
      {176, 255, 30, 1, 27},  {88, 255, 11, 1, 37}, {6, 255, 14, 1, 2},
      {88, 255, 30, -1, -14}, {88, 0, 30, 1, 0},    {176, 255, 30, -1, -27},
  };
  for (const Case& c : cases)
    EXPECT_EQ(DepthShift(c.p, c.d, c.dDepth, c.dir), c.want)
        << c.p << " " << c.d << " " << c.dDepth;
}

TEST(DepthShiftTest, ZeroDivisorCountsAsOne) {
  EXPECT_EQ(DepthShift(88, 255, 0, 1), DepthShift(88, 255, 1, 1));
}

// One row, PWidth 24, Base 6, DDepth 14, depth 255 in columns 10 to 13, pattern A..F.
TEST(RendererTest, OneRowExampleInBothBitDepths) {
  struct Case {
    int algorithm, direction;
    const char* want;
  };
  const Case cases[] = {
      {0, 1, "ABCDEFABCDEFADEFAFADEFAF"},
      {1, 1, "DEDEFCDEDEFCDEFCDCDEFCDC"},
      {2, 1, "DDDABCDDDABCDABCCCDABCCC"},
      {2, -1, "DABABCDABABCDEFABCDEFABC"},
  };
  for (int bits : {24, 8})
    for (const Case& c : cases) {
      TEngine e;
      e.Params = Settings(24, 1, 6, 1, c.algorithm, bits);
      e.Params.DDepth = 14;
      e.Params.RenderDirection = c.direction;
      SetPictures(
          e, [](int x, int) { return x >= 10 && x <= 13 ? 255u : 0u; },
          [](int x, int) { return static_cast<std::uint32_t>('A' + x); });
      RenderDotweave(e);
      EXPECT_EQ(RowLetters(e.OutputImage, 0), c.want)
          << "algorithm " << c.algorithm << " direction " << c.direction << " bits " << bits;
    }
}

// With depth 0 everywhere every row repeats its pattern row with period Base: from x = 0 for
// algorithm 0, with column 0 at W div 2 - P div 2 for the others.
TEST(RendererTest, FlatMaskRepeatsThePatternRow) {
  const int width = 40, base = 8;
  for (int algorithm : {0, 1, 2})
    for (int direction : {1, -1})
      for (int ov : {1, 2}) {
        TEngine e;
        e.Params = Settings(width, 3, base, ov, algorithm);
        e.Params.RenderDirection = direction;
        SetPictures(
            e, [](int, int) { return 0u; }, Varied);
        RenderDotweave(e);
        const int origin = algorithm == 0 ? 0 : (width * ov / 2 - base * ov / 2) / ov;
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < width; ++x)
            ASSERT_EQ(e.OutputImage.PixelColor(x, y),
                      Varied(((x - origin) % base + base) % base, y))
                << "algorithm " << algorithm << " dir " << direction << " ov " << ov << " x " << x;
      }
}

// Depth 255 everywhere, Base 88, DDepth 30: pixels repeat 88 - 14 apart (divergence) or 88 + 14
// apart (convergence).
TEST(RendererTest, NearestDepthLinksAtShiftedDistance) {
  struct Case {
    int algorithm, direction, from, distance;
  };
  const Case cases[] = {{0, 1, 88, 74}, {2, -1, 102, 102}, {2, 1, 74, 74}};
  for (const Case& c : cases) {
    TEngine e;
    e.Params = Settings(640, 1, 88, 1, c.algorithm);
    e.Params.DDepth = 30;
    e.Params.RenderDirection = c.direction;
    SetPictures(
        e, [](int, int) { return 255u; }, Varied);
    RenderDotweave(e);
    for (int x = c.from; x < 640; ++x)
      ASSERT_EQ(e.OutputImage.PixelValue(x, 0), e.OutputImage.PixelValue(x - c.distance, 0))
          << "algorithm " << c.algorithm << " x " << x;
  }
}

TEST(ReduceRowTest, TrueColourTakesTruncatedChannelMeans) {
  struct Case {
    int ov;
    std::vector<std::uint8_t> row;
    std::vector<std::uint8_t> want;
  };
  const Case cases[] = {
      {2, {10, 0, 255, 11, 1, 0}, {10, 0, 127}},
      {3, {1, 2, 3, 1, 2, 3, 2, 4, 5}, {1, 2, 3}},
      {2, {255, 255, 255, 255, 255, 255, 0, 0, 0, 1, 1, 1}, {255, 255, 255, 0, 0, 0}},
  };
  for (const Case& c : cases) {
    TDIB out;
    out.SetSize(static_cast<int>(c.want.size() / 3), 1, 24);
    ReduceRow(c.row.data(), c.ov, out, 0);
    EXPECT_EQ(std::vector<std::uint8_t>(out.ScanLine(0), out.ScanLine(0) + c.want.size()), c.want);
  }
}

TEST(ReduceRowTest, PalettedTakesNearestEntryToTheMeanColour) {
  TColorTable table = GreyRamp();
  table[0] = QuadOf(MakeColor(0, 0, 0));
  table[1] = QuadOf(MakeColor(255, 255, 255));
  table[2] = QuadOf(MakeColor(127, 127, 127));
  table[3] = QuadOf(MakeColor(200, 0, 0));
  table[4] = QuadOf(MakeColor(100, 0, 0));
  table[5] = QuadOf(MakeColor(0, 0, 250));
  struct Case {
    std::uint8_t a, b, want;
  };
  const Case cases[] = {{0, 1, 2}, {3, 3, 3}, {3, 0, 4}, {5, 5, 5}, {1, 0, 2}};
  TDIB out;
  out.SetColorTable(table);
  out.SetSize(5, 1, 8);
  std::vector<std::uint8_t> row;
  for (const Case& c : cases) {
    row.push_back(c.a);
    row.push_back(c.b);
  }
  ReduceRow(row.data(), 2, out, 0);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(out.ScanLine(0)[i], cases[i].want) << i;
}

// The algorithms transcribed position by position (floating q(x), fresh link arrays per row),
// with the same choices for positions the row does not supply.
std::vector<TColor> ReferenceRow(const TStereoParams& p, const TDIB& mask, const TDIB& pat, int y) {
  const int ov = p.Oversampling, W = p.PWidth * ov, P = p.Base * ov, B = p.Base;
  auto q = [&](int x) { return static_cast<int>(std::trunc(static_cast<double>(x) / ov)); };
  auto col = [&](int x, int offset) {
    const int c = static_cast<int>(std::floor(static_cast<double>(x) / ov)) + offset;
    return pat.PixelColor((c % B + B) % B, y);
  };
  auto s = [&](int i) { return DepthShift(P, mask.ScanLine(y)[i], p.DDepth, p.RenderDirection); };
  std::vector<TColor> row(W);
  if (p.Algorithm == 0) {
    for (int x = 0; x < P; ++x) row[x] = pat.PixelColor(q(x), y);
    for (int x = P; x < W; ++x) {
      const int src = x - P + s(q(x) - B / 2);
      row[x] = src >= 0 ? row[src] : col(src, 0);
    }
  } else if (p.Algorithm == 1) {
    const int c0 = W / 2 - P / 2, c1 = W / 2 + P / 2, off = B / 2 - p.PWidth / 2;
    for (int x = c0; x < c1; ++x) row[x] = col(x, off);
    for (int x = c1; x < W; ++x) {
      const int src = x - P + s(q(x) - B / 2);
      row[x] = src >= c0 ? row[src] : col(src, off);
    }
    for (int x = W / 2; x >= 0; --x) row[x] = row[x + P - s(q(x) + B / 3)];
  } else {
    std::vector<int> ll(W), lr(W);
    for (int i = 0; i < W; ++i) ll[i] = lr[i] = i;
    for (int x = 0, a = P; x < W; ++x) {
      if (x % ov == 0) a = P - s(q(x));
      const int left = x - static_cast<int>(std::trunc(a * 0.5)), right = left + a;
      if (left < 0 || right >= W) continue;
      bool visible = true;
      if (ll[right] != right) {
        if (ll[right] < left)
          lr[ll[right]] = ll[right], ll[right] = right;
        else
          visible = false;
      }
      if (lr[left] != left) {
        if (lr[left] > right)
          ll[lr[left]] = lr[left], lr[left] = left;
        else
          visible = false;
      }
      if (visible) ll[right] = left, lr[left] = right;
    }
    const int mid = W / 2 - P / 2, f = P - mid % P;
    auto patOf = [&](int x) { return pat.PixelColor(((x + f) / ov) % B, y); };
    for (int x = mid, h = -10; x < W; ++x)
      row[x] = ll[x] != x && ll[x] >= mid ? (h = x, row[ll[x]])
               : x - 1 == h               ? row[x - 1]
                                          : patOf(x);
    for (int x = mid - 1, h = -10; x >= 0; --x)
      row[x] = lr[x] != x ? (h = x, row[lr[x]]) : x + 1 == h ? row[x + 1] : patOf(x);
  }
  return row;
}

TColor MeanOf(const std::vector<TColor>& row, int i, int ov) {
  int r = 0, g = 0, b = 0;
  for (int k = 0; k < ov; ++k) {
    const TColor c = row[i * ov + k];
    r += ColorR(c), g += ColorG(c), b += ColorB(c);
  }
  return MakeColor(r / ov, g / ov, b / ov);
}

// The fast paths (shift table, integer columns, reused buffers, per-depth loops) against the
// plain transcription, over a sphere, in both directions and several oversamplings.
TEST(RendererTest, MatchesPlainTranscriptionOnSphere) {
  for (int width : {200, 201})
    for (int ov : {1, 2, 3})
      for (int algorithm : {0, 1, 2})
        for (int direction : {1, -1}) {
          TEngine e;
          e.Params = Settings(width, 12, 40, ov, algorithm);
          e.Params.RenderDirection = direction;
          SetPictures(
              e, [&](int x, int y) { return Sphere(x, y, width, 12); }, Varied);
          RenderDotweave(e);
          for (int y = 0; y < 12; ++y) {
            const auto ref = ReferenceRow(e.Params, e.MaskImage, e.PatternImage, y);
            for (int x = 0; x < width; ++x)
              ASSERT_EQ(e.OutputImage.PixelColor(x, y), MeanOf(ref, x, ov))
                  << "w " << width << " ov " << ov << " alg " << algorithm << " dir " << direction
                  << " at " << x << "," << y;
          }
        }
}

TColorTable RainbowTable() {
  TColorTable t{};
  for (int i = 0; i < 256; ++i) t[i] = QuadOf(MakeColor(i, (i * 7) % 256, (i * 13) % 256));
  return t;
}

// 8-bit rows copy indices exactly where 24-bit rows copy colours; reductions store the entry
// nearest to the 24-bit mean.
TEST(RendererTest, PalettedRenderAgreesWithTrueColour) {
  TRandom unused;
  // The gradient dot palette holds equal entries at different indices: ties go to the lowest.
  const TColorTable dotPalette = MakeDotPalette(
      {MakeColor(255, 255, 255), MakeColor(0, 0, 0), MakeColor(255, 0, 0)}, true, unused);
  for (const TColorTable& table : {RainbowTable(), dotPalette})
    for (int ov : {1, 2, 3})
      for (int algorithm : {0, 1, 2}) {
        TEngine e8, e24;
        e8.Params = Settings(120, 6, 24, ov, algorithm, 8);
        e24.Params = Settings(120, 6, 24, ov, algorithm, 24);
        auto mask = [](int x, int y) { return Sphere(x, y, 120, 6); };
        auto index = [](int x, int y) {
          return static_cast<std::uint32_t>((x * 11 + y * 3) % 256);
        };
        SetPictures(e8, mask, index, table);
        SetPictures(e24, mask, [&](int x, int y) { return ColorOf(table[index(x, y)]); });
        RenderDotweave(e8);
        RenderDotweave(e24);
        EXPECT_EQ(e8.OutputImage.ColorTable(), table);
        for (int y = 0; y < 6; ++y)
          for (int x = 0; x < 120; ++x) {
            const TColor c = e24.OutputImage.PixelColor(x, y);
            if (ov == 1)  // copies keep the index itself, so the colours agree
              ASSERT_EQ(e8.OutputImage.PixelColor(x, y), c) << "alg " << algorithm << " at " << x;
            else  // mixes take the nearest entry to the 24-bit mean
              ASSERT_EQ(static_cast<int>(e8.OutputImage.PixelValue(x, y)),
                        NearestPaletteIndex(table, ColorR(c), ColorG(c), ColorB(c)))
                  << "ov " << ov << " alg " << algorithm << " at " << x << "," << y;
          }
      }
}

TEST(RendererTest, ProgressEveryFiftyRowsThenBackToZero) {
  TEngine e;
  TRecordingHost host;
  e.Host = &host;
  e.Params = Settings(16, 480, 4, 1, 2);
  SetPictures(
      e, [](int, int) { return 0u; }, Varied);
  RenderDotweave(e);
  EXPECT_EQ(host.progress, (std::vector<int>{0, 10, 20, 31, 41, 52, 62, 72, 83, 93, 0}));
}

// Messages run once per row (twice with oversampling), then around the preview; the status
// texts go through the localizer and panel 0 is clear at the end.
TEST(RendererTest, TalksToTheHostAsItRenders) {
  for (bool animation : {false, true})
    for (int ov : {1, 2}) {
      TEngine e;
      TRecordingHost host;
      host.animationOpen = animation;
      e.Host = &host;
      e.Params = Settings(16, 7, 4, ov, 0);
      SetPictures(
          e, [](int, int) { return 0u; }, Varied);
      e.CancelRequested = true;  // left over from an earlier render
      bool busyDuringRender = false;
      host.onPump = [&](int pump) {
        if (pump == 0) busyDuringRender = e.RenderInProgress;
      };
      RenderDotweave(e);
      EXPECT_EQ(host.pumps, 7 * ov + 2);
      EXPECT_TRUE(busyDuringRender);
      EXPECT_FALSE(e.RenderInProgress);
      EXPECT_FALSE(e.CancelRequested);
      EXPECT_EQ(host.previews, animation ? 0 : 1);
      EXPECT_EQ(host.status, (std::vector<std::string>{"0:<Drawing...>", "0:"}));
    }
}

// Esc while row 100 renders: rows 0..100 finished, the rest untouched, no blur, no preview.
TEST(RendererTest, CancelStopsAfterTheCurrentRow) {
  for (int ov : {1, 2}) {
    TEngine whole;
    whole.Params = Settings(24, 160, 6, ov, 2);
    SetPictures(
        whole, [](int x, int y) { return Sphere(x, y, 24, 160); }, Varied);
    RenderDotweave(whole);

    TEngine e;
    TRecordingHost host;
    e.Host = &host;
    e.Params = whole.Params;
    e.Params.Blur = 1;
    SetPictures(
        e, [](int x, int y) { return Sphere(x, y, 24, 160); }, Varied);
    Fill(e.OutputImage, [](int, int) { return MakeColor(1, 2, 3); });
    // Ov 1 pumps once after each row; ov 2 also once inside each row, before its reduction.
    const int cancelAt = ov == 1 ? 99 : 200;
    host.onPump = [&](int pump) { e.CancelRequested = e.CancelRequested || pump == cancelAt; };
    host.panel[2] = "Press Esc to interrupt.";
    RenderDotweave(e);

    EXPECT_TRUE(e.CancelRequested);
    EXPECT_FALSE(e.RenderInProgress);
    EXPECT_EQ(host.previews, 0);
    EXPECT_EQ(host.progress.back(), 0);
    EXPECT_EQ(host.panel[0], "");
    EXPECT_EQ(host.panel[2], "");
    for (int y = 0; y < 160; ++y)
      for (int x = 0; x < 24; ++x)
        ASSERT_EQ(e.OutputImage.PixelColor(x, y),
                  y <= 100 ? whole.OutputImage.PixelColor(x, y) : MakeColor(1, 2, 3))
            << "ov " << ov << " at " << x << "," << y;
  }
}

TEST(RendererTest, EightBitRandomDotsMixOnTheDotPaletteDuringRender) {
  TEngine e;
  TRecordingHost host;
  e.Host = &host;
  e.Params = Settings(64, 10, 16, 2, 2, 8);
  e.Params.Randm = true;
  e.Params.Colors = {MakeColor(255, 0, 0), MakeColor(0, 0, 255)};
  SetPictures(
      e, [](int x, int y) { return Sphere(x, y, 64, 10); }, [](int, int) { return 0u; });
  TColorTable duringRender{};
  host.onPump = [&](int pump) {
    if (pump == 0) duringRender = e.OutputImage.ColorTable();
  };
  RenderDotweave(e);
  EXPECT_EQ(duringRender, e.PatternImage.ColorTable());
  EXPECT_EQ(e.OutputImage.ColorTable(), e.PatternImage.ColorTable());
  EXPECT_NE(e.PatternImage.ColorTable(), GreyRamp());
}

// Mean of the clipped square of side 2r + 1, channel by channel.
TColor BoxMean(const TDIB& d, int x, int y, int r) {
  int sum[3] = {0, 0, 0}, n = 0;
  for (int v = std::max(0, y - r); v <= std::min(d.Height() - 1, y + r); ++v)
    for (int u = std::max(0, x - r); u <= std::min(d.Width() - 1, x + r); ++u, ++n) {
      const TColor c = d.PixelColor(u, v);
      sum[0] += ColorR(c), sum[1] += ColorG(c), sum[2] += ColorB(c);
    }
  return MakeColor(sum[0] / n, sum[1] / n, sum[2] / n);
}

// 24-bit: each pixel the mean of its 3 x 3 square. 8-bit keeps its palette: the nearest entry of
// the stereogram's own table to that mean, never a grey level read as an index.
TEST(RendererTest, BlurRadiusOneInBothBitDepths) {
  const TColorTable table = RainbowTable();
  for (int bits : {24, 8}) {
    TEngine sharp, blurred;
    for (TEngine* e : {&sharp, &blurred}) {
      e->Params = Settings(30, 9, 6, 2, 1, bits);
      e->Params.Blur = e == &blurred ? 1 : 0;
      SetPictures(
          *e, [](int x, int y) { return Sphere(x, y, 30, 9); },
          [&](int x, int y) {
            const std::uint32_t i = (x * 40 + y * 9) % 256;
            return bits == 8 ? i : ColorOf(table[i]);
          },
          table);
      RenderDotweave(*e);
    }
    EXPECT_EQ(blurred.OutputImage.ColorTable(), table);
    for (int y = 0; y < 9; ++y)
      for (int x = 0; x < 30; ++x) {
        const TColor m = BoxMean(sharp.OutputImage, x, y, 1);
        const std::uint32_t want =
            bits == 24 ? (ColorB(m) | ColorG(m) << 8 | ColorR(m) << 16)
                       : NearestPaletteIndex(table, ColorR(m), ColorG(m), ColorB(m));
        ASSERT_EQ(blurred.OutputImage.PixelValue(x, y), want) << bits << " at " << x << "," << y;
      }
  }
}

// Settings no dialog stores must neither crash nor read or write outside a picture.
TEST(RendererTest, SurvivesOutOfRangeSettings) {
  const std::vector<std::function<void(TEngine&)>> breakers = {
      [](TEngine& e) { e.Params.Base = 0; },
      [](TEngine& e) { e.Params.Base = 1; },
      [](TEngine& e) { e.Params.Base = 1000; },
      [](TEngine& e) { e.Params.DDepth = 0; },
      [](TEngine& e) { e.Params.DDepth = -3; },
      [](TEngine& e) { e.Params.Oversampling = 0; },
      [](TEngine& e) { e.Params.Oversampling = -4; },
      [](TEngine& e) { e.Params.Oversampling = 100000; },
      [](TEngine& e) { e.Params.RenderDirection = 7; },
      [](TEngine& e) { e.Params.Algorithm = 9; },
      [](TEngine& e) { e.Params.BitRate = 16; },
      [](TEngine& e) { e.Params.Blur = 1 << 30; },
      [](TEngine& e) { e.Params.PWidth = 0; },
      [](TEngine& e) { e.Params.PHeight = -2; },
      [](TEngine& e) { e.MaskImage.SetSize(5, 2, 8); },
      [](TEngine& e) { e.MaskImage.SetSize(200, 300, 24); },
      [](TEngine& e) { e.MaskImage.Clear(); },
      [](TEngine& e) { e.PatternImage.SetSize(3, 2, 24); },
      [](TEngine& e) { e.PatternImage.SetSize(20, 12, 8); },
      [](TEngine& e) { e.PatternImage.Clear(); },
      [](TEngine& e) { e.OutputImage.SetSize(3, 3, 8); },
      [](TEngine& e) { e.Params.Randm = true, e.Params.DotNum = 0, e.Params.Colors.clear(); },
      [](TEngine& e) { e.Params.Randm = true, e.Params.DotNum = -5, e.Params.Base = -4; },
  };
  for (std::size_t i = 0; i < breakers.size(); ++i)
    for (int algorithm : {0, 1, 2})
      for (int direction : {1, -1}) {
        TEngine e;
        e.Params = Settings(40, 12, 10, 2, algorithm);
        e.Params.RenderDirection = direction;
        e.Params.DDepth = 11;
        SetPictures(
            e, [](int x, int y) { return Sphere(x, y, 40, 12); }, Varied);
        breakers[i](e);
        RenderDotweave(e);
        EXPECT_FALSE(e.RenderInProgress) << i;
        if (e.Params.PWidth > 0 && e.Params.PHeight > 0) {
          EXPECT_EQ(e.OutputImage.Width(), e.Params.PWidth) << i;
          EXPECT_EQ(e.OutputImage.Height(), e.Params.PHeight) << i;
        }
      }
}

// What the guards fall back to renders exactly like the settings they stand for.
TEST(RendererTest, GuardsRenderLikeTheirSensibleCounterpart) {
  struct Case {
    const char* name;
    std::function<void(TEngine&)> odd, plain;
  };
  const Case cases[] = {
      {"DDepth 0 as 1", [](TEngine& e) { e.Params.DDepth = 0; },
       [](TEngine& e) { e.Params.DDepth = 1; }},
      {"Oversampling 0 as 1", [](TEngine& e) { e.Params.Oversampling = 0; },
       [](TEngine& e) { e.Params.Oversampling = 1; }},
      {"mask narrower: depth 0 beyond it",
       [](TEngine& e) {
         TDIB small;
         small.SetSize(20, 12, 8);
         for (int y = 0; y < 12; ++y) std::copy_n(e.MaskImage.ScanLine(y), 20, small.ScanLine(y));
         e.MaskImage = small;
       },
       [](TEngine& e) {
         for (int y = 0; y < 12; ++y) std::fill_n(e.MaskImage.ScanLine(y) + 20, 20, 0);
       }},
      {"true-colour mask: nearest grey",
       [](TEngine& e) {
         TDIB grey = e.MaskImage.ToTrueColor();
         e.MaskImage = grey;
       },
       [](TEngine&) {}},
  };
  for (const Case& c : cases)
    for (int algorithm : {0, 1, 2}) {
      TEngine odd, plain;
      for (TEngine* e : {&odd, &plain}) {
        e->Params = Settings(40, 12, 10, 2, algorithm);
        SetPictures(
            *e, [](int x, int y) { return Sphere(x, y, 40, 12); }, Varied);
      }
      c.odd(odd);
      c.plain(plain);
      RenderDotweave(odd);
      RenderDotweave(plain);
      EXPECT_TRUE(odd.OutputImage == plain.OutputImage) << c.name << " algorithm " << algorithm;
    }
}

// Rows longer than 16-bit positions: oversampling is lowered to fit, and a single-sampled row
// wider than that still links correctly.
TEST(RendererTest, VeryWideRows) {
  TEngine lowered, single;
  lowered.Params = Settings(40000, 1, 88, 2, 2);
  single.Params = Settings(40000, 1, 88, 1, 2);
  for (TEngine* e : {&lowered, &single}) {
    SetPictures(
        *e, [](int x, int) { return x % 700 < 300 ? 200u : 0u; }, Varied);
    RenderDotweave(*e);
  }
  EXPECT_TRUE(lowered.OutputImage == single.OutputImage);

  TEngine wide;
  wide.Params = Settings(70000, 1, 88, 1, 2);
  SetPictures(
      wide, [](int, int) { return 0u; }, Varied);
  RenderDotweave(wide);
  const int mid = 70000 / 2 - 88 / 2;
  for (int x = 0; x < 70000; ++x)
    ASSERT_EQ(wide.OutputImage.PixelColor(x, 0), Varied(((x - mid) % 88 + 88) % 88, 0)) << x;
}

}  // namespace

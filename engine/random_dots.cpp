#include "engine/random_dots.h"

#include <algorithm>
#include <cstring>

#include "engine/renderer.h"

namespace {

const std::vector<TColor>& NonEmpty(const std::vector<TColor>& colours) {
  static const std::vector<TColor> white{MakeColor(255, 255, 255)};
  return colours.empty() ? white : colours;
}

// Per channel (a * (n - t) + b * t) div n.
TColor Mix(TColor a, TColor b, int n, int t) {
  auto mix = [&](int ca, int cb) { return (ca * (n - t) + cb * t) / n; };
  return MakeColor(mix(ColorR(a), ColorR(b)), mix(ColorG(a), ColorG(b)), mix(ColorB(a), ColorB(b)));
}

void FillPlain(const std::vector<TColor>& colours, TDIB& picture, TRandom& random) {
  const int n = static_cast<int>(colours.size());
  for (int y = 0; y < picture.Height(); ++y) {
    std::uint8_t* row = picture.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x) {
      if (picture.BitCount() == 8) {
        // Entry 255 is never drawn.
        row[x] = static_cast<std::uint8_t>(random.RandomInt(255));
      } else {
        const TColor c = colours[random.RandomInt(n)];
        row[3 * x] = static_cast<std::uint8_t>(ColorB(c));
        row[3 * x + 1] = static_cast<std::uint8_t>(ColorG(c));
        row[3 * x + 2] = static_cast<std::uint8_t>(ColorR(c));
      }
    }
  }
}

// One stretch of rows per pair of neighbouring colours; every dot darkens its row's colour by a
// random amount per channel.
void FillGradient(const std::vector<TColor>& colours, TDIB& picture, TRandom& random) {
  const int n = static_cast<int>(colours.size());
  int rows = n < 2 ? picture.Height() : picture.Height() / (n - 1);
  if (rows == 0) rows = 1;
  for (int y = 0; y < picture.Height(); ++y) {
    const int stretch = y / rows;
    const TColor c1 = colours[std::min(stretch, n - 1)];
    const TColor c2 = colours[std::min(stretch + 1, n - 1)];
    const TColor rowColour = Mix(c1, c2, rows, y % rows);
    std::uint8_t* row = picture.ScanLine(y);
    for (int x = 0; x < picture.Width(); ++x) {
      const int b = random.RandomInt(ColorB(rowColour));
      const int g = random.RandomInt(ColorG(rowColour));
      const int r = random.RandomInt(ColorR(rowColour));
      if (picture.BitCount() == 8) {
        row[x] = picture.NearestIndex(r, g, b);
      } else {
        row[3 * x] = static_cast<std::uint8_t>(b);
        row[3 * x + 1] = static_cast<std::uint8_t>(g);
        row[3 * x + 2] = static_cast<std::uint8_t>(r);
      }
    }
  }
}

}  // namespace

TColorTable MakeDotPalette(const std::vector<TColor>& list, bool gradient, TRandom& random) {
  const std::vector<TColor>& colours = NonEmpty(list);
  const int n = static_cast<int>(colours.size());
  TColorTable table{};
  if (!gradient) {
    for (TRGBQuad& entry : table) entry = QuadOf(colours[random.RandomInt(n)]);
    return table;
  }
  int step = n >= 2 ? 32 / (n - 1) : 32;
  if (step == 0) step = 1;
  for (int i = 0; i < 32; ++i) {
    const int a = std::min(i / step, n - 1), b = std::min(i / step + 1, n - 1);
    const TColor c = Mix(colours[a], colours[b], step, i % step);
    for (int j = 0; j < 8; ++j)
      table[8 * i + j] =
          QuadOf(MakeColor(ColorR(c) / (j + 1), ColorG(c) / (j + 1), ColorB(c) / (j + 1)));
  }
  return table;
}

void FillRandomDots(const std::vector<TColor>& list, TDIB& picture, bool gradient,
                    TRandom& random) {
  if (picture.BitCount() != 8 && picture.BitCount() != 24) return;
  const std::vector<TColor>& colours = NonEmpty(list);
  if (picture.BitCount() == 8) picture.SetColorTable(MakeDotPalette(colours, gradient, random));
  if (gradient)
    FillGradient(colours, picture, random);
  else
    FillPlain(colours, picture, random);
}

void MakeRandomPattern(TEngine& engine) {
  const TStereoParams& p = engine.Params;
  const int bits = RenderBitCount(p);
  const int width = RenderBase(p), height = std::max(1, p.PHeight);
  // A hand-edited DotNum of 0 or less counts as one dot per pixel column.
  const int dot = p.DotNum > 0 ? std::max(1, p.PWidth / p.DotNum) : 1;
  TDIB small;
  small.SetSize(std::max(1, width / dot), std::max(1, height / dot), bits);
  engine.PatternImage = TDIB();
  engine.PatternImage.SetSize(width, height, bits);
  FillRandomDots(p.Colors, small, p.UseGradient, engine.Random);

  const std::size_t bytes = static_cast<std::size_t>(bits / 8);
  for (int y = 0; y < height; ++y) {
    const std::uint8_t* src = small.ScanLine(std::min(y / dot, small.Height() - 1));
    std::uint8_t* dst = engine.PatternImage.ScanLine(y);
    for (int x = 0; x < width; ++x) {
      const int sx = std::min(x / dot, small.Width() - 1);
      std::memcpy(dst + bytes * x, src + bytes * sx, bytes);
    }
  }
  engine.PatternImage.SetColorTable(small.ColorTable());
}

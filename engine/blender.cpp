#include "engine/blender.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine/render_error.h"
#include "platform/ini_file.h"
#include "platform/palette.h"

namespace {

// Nearest integer, ties to even, for v >= 0; std::nearbyint would save and restore the
// floating-point environment once per pixel.
int RoundHalfEven(long double v) {
  const auto k = static_cast<std::int64_t>(v);
  const long double frac = v - static_cast<long double>(k);
  return static_cast<int>((frac > 0.5L || (frac == 0.5L && (k & 1))) ? k + 1 : k);
}

// Round(sqrt(n)) exactly, in integers: k is the answer when k*k - k < n <= k*k + k. The square
// root of an integer is never halfway between two integers, so there is no tie to break.
int RoundSqrt(std::int64_t n) {
  auto k = static_cast<std::int64_t>(std::sqrt(static_cast<double>(n)));
  while (k * k + k < n) ++k;
  while (k > 0 && k * k - k >= n) --k;
  return static_cast<int>(k);
}

struct TGeometry {
  int w, h, cx, cy;
  long double ratio;  // h / w, for "Ellipse"
};

TGeometry GeometryOf(const TBlender& b, int w, int h) {
  return TGeometry{w, h, w * b.HorCoord / 100, h * b.VertCoord / 100,
                   w > 0 ? static_cast<long double>(h) / w : 0.0L};
}

int DistanceAt(const TBlender& b, const TGeometry& g, int x, int y) {
  const std::int64_t dx = x - g.cx, dy = std::abs(y - g.cy);
  switch (b.Effect) {
    case TBlender::kHorizontal:
      return (100 - b.HorCoord) * x / 100;
    case TBlender::kHorizontalCenter:
      return static_cast<int>(std::abs(dx));
    case TBlender::kVertical:
      return (100 - b.VertCoord) * y / 100;
    case TBlender::kVerticalCenter:
      return static_cast<int>(dy);
    case TBlender::kStar:
      return static_cast<int>((std::abs(dx) + dy) / 2);
    case TBlender::kCircle:
      return RoundSqrt(dx * dx + dy * dy);
    default:
      return RoundHalfEven(std::sqrt(g.ratio * static_cast<long double>(dx * dx + dy * dy)));
  }
}

// Colour weights of one row.
// Weights by distance, computed once per picture: Weight divides by R, a variable.
struct TWeightTable {
  std::vector<int> byDistance;
  TWeightTable(const TBlender& b, const TGeometry& g) {
    byDistance.resize(static_cast<std::size_t>(g.w) + g.h + 1);
    for (std::size_t d = 0; d < byDistance.size(); ++d)
      byDistance[d] = b.Weight(static_cast<int>(d), g.w, g.h);
  }
  int operator()(const TBlender& b, const TGeometry& g, int d) const {
    return d >= 0 && static_cast<std::size_t>(d) < byDistance.size() ? byDistance[d]
                                                                     : b.Weight(d, g.w, g.h);
  }
};

void RowWeights(const TBlender& b, const TGeometry& g, const TWeightTable& table, int y,
                std::vector<int>& weights) {
  for (int x = 0; x < g.w; ++x) weights[x] = table(b, g, DistanceAt(b, g, x, y));
}

void MixRow24(const std::uint8_t* src, std::uint8_t* dst, const std::vector<int>& weights,
              const int bgr[3]) {
  for (std::size_t x = 0; x < weights.size(); ++x) {
    const int a = weights[x];
    for (int c = 0; c < 3; ++c)
      dst[3 * x + c] = static_cast<std::uint8_t>(((255 - a) * src[3 * x + c] + a * bgr[c]) / 255);
  }
}

void MixRow8(const std::uint8_t* src, const TColorTable& table, std::uint8_t* dst,
             TNearestPalette& nearest, const std::vector<int>& weights, const int bgr[3]) {
  for (std::size_t x = 0; x < weights.size(); ++x) {
    const int a = weights[x];
    const TRGBQuad& q = table[src[x]];
    const int r = ((255 - a) * q.rgbRed + a * bgr[2]) / 255;
    const int g = ((255 - a) * q.rgbGreen + a * bgr[1]) / 255;
    const int bl = ((255 - a) * q.rgbBlue + a * bgr[0]) / 255;
    dst[x] = nearest.Find(r, g, bl);
  }
}

void CheckPictures(const TDIB& s, const TDIB& d) {
  if (d.BitCount() != 8 && d.BitCount() != 24)
    throw TRenderError("Blending needs an 8-bit or 24-bit picture.");
  if (s.BitCount() != d.BitCount() || s.Width() < d.Width() || s.Height() < d.Height())
    throw TRenderError("The picture to blend does not match the destination.");
}

}  // namespace

int TBlender::Distance(int x, int y, int width, int height) const {
  return DistanceAt(*this, GeometryOf(*this, width, height), x, y);
}

int TBlender::Weight(int d, int width, int height) const {
  int r = std::min(width / 2, height / 2);
  int a;
  if (!Inverse) {
    // Below 2 pixels there is no room for the effect: leave the picture as it is.
    if (r < 1) return 0;
    const int e = std::min(Volume * d / 100, r);
    a = e * 255 / r;
  } else {
    if (r < 1) r = 1;
    const int e = std::min((100 - Volume) * d / 100 + r / 2, r);
    a = 255 - e * 255 / r;
  }
  // Out-of-range fields must not push the weight outside the mixable range.
  return std::clamp(a, 0, 254);
}

void TBlender::Blend(const TDIB& source, TDIB& destination) const {
  CheckPictures(source, destination);
  const int w = destination.Width(), h = destination.Height();
  const bool report = !Preview && ProgressBar != nullptr;
  const int bgr[3] = {ColorB(Color), ColorG(Color), ColorR(Color)};
  const TGeometry g = GeometryOf(*this, w, h);
  // In-place blending reads the table before any pixel is written; copy it for safety.
  const TColorTable table = source.ColorTable();
  TNearestPalette* nearest = destination.BitCount() == 8 ? &destination.Nearest() : nullptr;
  const TWeightTable weightOf(*this, g);
  std::vector<int> weights(static_cast<std::size_t>(std::max(w, 0)));
  for (int y = 0; y < h; ++y) {
    RowWeights(*this, g, weightOf, y, weights);
    if (nearest)
      MixRow8(source.ScanLine(y), table, destination.ScanLine(y), *nearest, weights, bgr);
    else
      MixRow24(source.ScanLine(y), destination.ScanLine(y), weights, bgr);
    if (report) {
      ProgressBar->SetProgress(y * 100 / h);
      ProgressBar->ProcessMessages();
    }
  }
  if (report) ProgressBar->SetProgress(0);
}

void LoadBlending(const TIniFile& ini, TBlender& blender) {
  blender.Volume = ini.ReadInteger("Blending", "Volume", 50);
  blender.VertCoord = ini.ReadInteger("Blending", "VertCoord", 50);
  blender.HorCoord = ini.ReadInteger("Blending", "HorCoord", 50);
  blender.Inverse = ini.ReadBool("Blending", "Inverse", false);
  blender.Color = static_cast<TColor>(ini.ReadInteger("Blending", "Color", 8388608));
  blender.Effect = ini.ReadInteger("Blending", "Effect", 5);
}

void SaveBlending(TIniFile& ini, const TBlender& blender) {
  TIniFile::TBatch batch(ini);
  ini.WriteInteger("Blending", "Volume", blender.Volume);
  ini.WriteInteger("Blending", "VertCoord", blender.VertCoord);
  ini.WriteInteger("Blending", "HorCoord", blender.HorCoord);
  ini.WriteBool("Blending", "Inverse", blender.Inverse);
  ini.WriteInteger("Blending", "Color", static_cast<int>(blender.Color));
  ini.WriteInteger("Blending", "Effect", blender.Effect);
}

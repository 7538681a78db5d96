#include "engine/fit_mask.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

#include "platform/palette.h"

namespace {

int RoundExt(long double v) { return static_cast<int>(std::nearbyint(v)); }

// The clipped destination rectangle (inclusive ends) and, per destination column, the byte
// offset of the source pixel for a source of `bytesPerPixel` bytes (0 for packed depths: the
// column itself is stored).
struct TStretchPlan {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  int w = 1, h = 1;
  std::vector<int> columns;
};

bool Plan(const TDIB& s, const TDIB& d, int x, int y, int w, int h, int bytesPerPixel,
          TStretchPlan& plan) {
  if (d.Empty() || s.Empty() || w < 1 || h < 1) return false;
  x = std::clamp(x, 0, d.Width() - 1);
  y = std::clamp(y, 0, d.Height() - 1);
  plan.x0 = x;
  plan.y0 = y;
  plan.x1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{x} + w - 1, d.Width() - 1));
  plan.y1 = static_cast<int>(std::min<std::int64_t>(std::int64_t{y} + h - 1, d.Height() - 1));
  plan.w = w;
  plan.h = h;
  plan.columns.resize(static_cast<std::size_t>(plan.x1 - x + 1));
  const int scale = bytesPerPixel > 0 ? bytesPerPixel : 1;
  for (int j = x; j <= plan.x1; ++j) {
    const auto sx = static_cast<int>(std::int64_t{j - x} * s.Width() / w);
    plan.columns[static_cast<std::size_t>(j - x)] = sx * scale;
  }
  return true;
}

int SourceRow(const TStretchPlan& p, int i, int sh) {
  return static_cast<int>(std::int64_t{i - p.y0} * sh / p.h);
}

void Copy8To8(const TDIB& s, TDIB& d, const TStretchPlan& p) {
  const int n = p.x1 - p.x0 + 1;
  for (int i = p.y0; i <= p.y1; ++i) {
    const std::uint8_t* src = s.ScanLine(SourceRow(p, i, s.Height()));
    std::uint8_t* dst = d.ScanLine(i) + p.x0;
    for (int k = 0; k < n; ++k) dst[k] = src[p.columns[k]];
  }
}

void Copy8To24(const TDIB& s, TDIB& d, const TStretchPlan& p) {
  std::uint8_t bgr[256][3];
  for (int e = 0; e < 256; ++e) {
    const TRGBQuad& q = s.ColorTable()[e];
    bgr[e][0] = q.rgbBlue;
    bgr[e][1] = q.rgbGreen;
    bgr[e][2] = q.rgbRed;
  }
  const int n = p.x1 - p.x0 + 1;
  for (int i = p.y0; i <= p.y1; ++i) {
    const std::uint8_t* src = s.ScanLine(SourceRow(p, i, s.Height()));
    std::uint8_t* dst = d.ScanLine(i) + 3 * p.x0;
    for (int k = 0; k < n; ++k) std::memcpy(dst + 3 * k, bgr[src[p.columns[k]]], 3);
  }
}

void Copy24To24(const TDIB& s, TDIB& d, const TStretchPlan& p) {
  const int n = p.x1 - p.x0 + 1;
  for (int i = p.y0; i <= p.y1; ++i) {
    const std::uint8_t* src = s.ScanLine(SourceRow(p, i, s.Height()));
    std::uint8_t* dst = d.ScanLine(i) + 3 * p.x0;
    for (int k = 0; k < n; ++k) std::memcpy(dst + 3 * k, src + p.columns[k], 3);
  }
}

void Copy24To8(const TDIB& s, TDIB& d, const TStretchPlan& p) {
  TNearestPalette& nearest = d.Nearest();
  const int n = p.x1 - p.x0 + 1;
  // Masks and textures run in long stretches of one colour: skip the cache for repeats.
  std::uint32_t last = 0xFFFFFFFFu;
  std::uint8_t lastIndex = 0;
  for (int i = p.y0; i <= p.y1; ++i) {
    const std::uint8_t* src = s.ScanLine(SourceRow(p, i, s.Height()));
    std::uint8_t* dst = d.ScanLine(i) + p.x0;
    for (int k = 0; k < n; ++k) {
      const std::uint8_t* px = src + p.columns[k];
      const std::uint32_t key = px[0] | (px[1] << 8) | (px[2] << 16);
      if (key != last) {
        last = key;
        lastIndex = nearest.Find(px[2], px[1], px[0]);
      }
      dst[k] = lastIndex;
    }
  }
}

// 1, 4, 16 and 32 bits: colour by colour through TDIB::PixelColor.
void CopyAnyDepth(const TDIB& s, TDIB& d, const TStretchPlan& p) {
  const bool toIndex = d.BitCount() == 8;
  TNearestPalette* nearest = toIndex ? &d.Nearest() : nullptr;
  const int n = p.x1 - p.x0 + 1;
  for (int i = p.y0; i <= p.y1; ++i) {
    const int sy = SourceRow(p, i, s.Height());
    std::uint8_t* dst = d.ScanLine(i);
    for (int k = 0; k < n; ++k) {
      const TColor c = s.PixelColor(p.columns[k], sy);
      const int j = p.x0 + k;
      if (toIndex) {
        dst[j] = nearest->Find(ColorR(c), ColorG(c), ColorB(c));
      } else {
        dst[3 * j] = static_cast<std::uint8_t>(ColorB(c));
        dst[3 * j + 1] = static_cast<std::uint8_t>(ColorG(c));
        dst[3 * j + 2] = static_cast<std::uint8_t>(ColorR(c));
      }
    }
  }
}

}  // namespace

void StretchCopy(const TDIB& source, TDIB& destination, int x, int y, int w, int h) {
  const int dBits = destination.BitCount();
  if (dBits != 8 && dBits != 24)
    throw std::invalid_argument("StretchCopy: destination must have 8 or 24 bits");
  const int sBits = source.BitCount();
  const bool fast = sBits == 8 || sBits == 24;
  TStretchPlan plan;
  if (!Plan(source, destination, x, y, w, h, fast ? sBits / 8 : 0, plan)) return;
  if (!fast) return CopyAnyDepth(source, destination, plan);
  if (dBits == 8) {
    sBits == 8 ? Copy8To8(source, destination, plan) : Copy24To8(source, destination, plan);
  } else {
    sBits == 8 ? Copy8To24(source, destination, plan) : Copy24To24(source, destination, plan);
  }
}

TFitRect FitRect(int sw, int sh, int percent, int width, int height) {
  // 64-bit products: the 32-bit ones overflow for frames and masks of a few thousand pixels.
  if (sw <= 0 || sh <= 0) return TFitRect{};
  const std::int64_t W = width, H = height, pct = percent;
  int offX, offY;
  const bool heightLimits =
      H == 0 || static_cast<long double>(W) / H > static_cast<long double>(sw) / sh;
  if (heightLimits) {
    offY = RoundExt((H - (H * pct) * 0.01L) * 0.5L);
    offX = RoundExt(W * 0.5L - static_cast<long double>(H * pct * sw) / (std::int64_t{sh} * 200));
  } else {
    offX = RoundExt((W - (W * pct) * 0.01L) * 0.5L);
    offY = RoundExt(H * 0.5L - static_cast<long double>(W * pct * sh) / (std::int64_t{sw} * 200));
  }
  return TFitRect{offX, offY, width - 2 * offX, height - 2 * offY};
}

void FitMask(TDIB& mask, int percent, int width, int height) {
  if (mask.Empty()) throw TRenderError("The depth mask is empty (0 x 0 pixels).");
  const TFitRect r = FitRect(mask.Width(), mask.Height(), percent, width, height);
  TDIB fitted;
  fitted.SetColorTable(GreyRamp());
  fitted.SetSize(width, height, 8);  // zero-filled: depth 0
  StretchCopy(mask, fitted, r.x, r.y, r.w, r.h);
  mask = std::move(fitted);
}

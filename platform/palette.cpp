#include "platform/palette.h"

#include <limits>

int NearestPaletteIndex(const TColorTable& table, int r, int g, int b) {
  int best = 0;
  int bestDist = std::numeric_limits<int>::max();
  for (int i = 0; i < 256; ++i) {
    const int dr = table[i].rgbRed - r;
    const int dg = table[i].rgbGreen - g;
    const int db = table[i].rgbBlue - b;
    const int d = dr * dr + dg * dg + db * db;
    if (d < bestDist) {
      bestDist = d;
      best = i;
    }
  }
  return best;
}

TNearestPalette::TNearestPalette(const TColorTable& table)
    : table_(table),
      red_(256),
      green_(256),
      blue_(256),
      keys_(std::size_t{1} << kBits, 0),
      values_(std::size_t{1} << kBits, 0) {
  for (int i = 0; i < 256; ++i) {
    red_[i] = table[i].rgbRed;
    green_[i] = table[i].rgbGreen;
    blue_[i] = table[i].rgbBlue;
  }
}

std::uint8_t TNearestPalette::Miss(std::uint32_t key, std::uint32_t slot, int r, int g, int b) {
  // Distances first (vectorises), then the lowest index of the minimum.
  std::int32_t dist[256];
  for (int i = 0; i < 256; ++i) {
    const std::int32_t dr = red_[i] - r, dg = green_[i] - g, db = blue_[i] - b;
    dist[i] = dr * dr + dg * dg + db * db;
  }
  int best = 0;
  for (int i = 1; i < 256; ++i)
    if (dist[i] < dist[best]) best = i;
  keys_[slot] = key;
  values_[slot] = static_cast<std::uint8_t>(best);
  return values_[slot];
}

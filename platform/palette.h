#pragma once
// Nearest colour-table entry: smallest sum of squared channel differences, lowest index on ties.
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/color.h"

int NearestPaletteIndex(const TColorTable& table, int r, int g, int b);

// The same answer through 8 x 8 x 8 cells of the colour cube, each listing only the entries that
// can be nearest somewhere inside it (built when first asked). Pictures of random dots ask for
// tens of thousands of different colours; a full search each would dominate.
class TNearestGrid {
 public:
  explicit TNearestGrid(const TColorTable& table) : table_(table) {}
  std::uint8_t Find(int r, int g, int b) {
    const int cell = (r >> 5) << 6 | (g >> 5) << 3 | (b >> 5);
    if (!built_[cell]) Build(cell);
    int best = 0, bestDist = 1 << 30;
    for (const std::uint8_t i : candidates_[cell]) {
      const int dr = table_[i].rgbRed - r, dg = table_[i].rgbGreen - g, db = table_[i].rgbBlue - b;
      const int d = dr * dr + dg * dg + db * db;
      if (d < bestDist) bestDist = d, best = i;
    }
    return static_cast<std::uint8_t>(best);
  }
  const TColorTable& Table() const { return table_; }

 private:
  void Build(int cell);

  TColorTable table_;
  std::array<std::vector<std::uint8_t>, 512> candidates_;
  std::array<bool, 512> built_{};
};

// The grid with a cache of recent answers in front of it: 8-bit rendering asks for the same few
// colours millions of times. Immutable table; build a new one when the table changes.
class TNearestPalette {
 public:
  explicit TNearestPalette(const TColorTable& table);
  std::uint8_t Find(int r, int g, int b) {
    const std::uint32_t key = static_cast<std::uint32_t>(MakeColor(r, g, b)) | 0x01000000u;
    const std::uint32_t slot = Hash(key);
    if (keys_[slot] == key) return values_[slot];
    keys_[slot] = key;
    return values_[slot] = grid_.Find(r, g, b);
  }
  const TColorTable& Table() const { return grid_.Table(); }

 private:
  static constexpr int kBits = 16;
  static std::uint32_t Hash(std::uint32_t key) { return (key * 2654435761u) >> (32 - kBits); }

  TNearestGrid grid_;
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint8_t> values_;
};

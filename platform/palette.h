#pragma once
// Nearest colour-table entry: smallest sum of squared channel differences, lowest index on ties.
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/color.h"

int NearestPaletteIndex(const TColorTable& table, int r, int g, int b);

// The same lookup with a cache in front of it: 8-bit rendering asks for the same few colours
// millions of times. Immutable table; build a new one when the table changes.
class TNearestPalette {
 public:
  explicit TNearestPalette(const TColorTable& table);
  std::uint8_t Find(int r, int g, int b) {
    const std::uint32_t key = static_cast<std::uint32_t>(MakeColor(r, g, b)) | 0x01000000u;
    const std::uint32_t slot = Hash(key);
    if (keys_[slot] == key) return values_[slot];
    return Miss(key, slot, r, g, b);
  }
  const TColorTable& Table() const { return table_; }

 private:
  static constexpr int kBits = 16;
  static std::uint32_t Hash(std::uint32_t key) { return (key * 2654435761u) >> (32 - kBits); }
  std::uint8_t Miss(std::uint32_t key, std::uint32_t slot, int r, int g, int b);

  TColorTable table_;
  std::vector<std::int32_t> red_, green_, blue_;
  std::vector<std::uint32_t> keys_;
  std::vector<std::uint8_t> values_;
};

#pragma once
// Colour values: red in bits 0-7, green in 8-15, blue in 16-23 (16777215 white, 8388608 navy).
#include <array>
#include <cstdint>

using TColor = std::uint32_t;

constexpr TColor MakeColor(int r, int g, int b) {
  return static_cast<TColor>(r & 255) | (static_cast<TColor>(g & 255) << 8) |
         (static_cast<TColor>(b & 255) << 16);
}
constexpr int ColorR(TColor c) { return static_cast<int>(c & 255); }
constexpr int ColorG(TColor c) { return static_cast<int>((c >> 8) & 255); }
constexpr int ColorB(TColor c) { return static_cast<int>((c >> 16) & 255); }

// One colour-table entry, laid out as in BMP files.
struct TRGBQuad {
  std::uint8_t rgbBlue = 0;
  std::uint8_t rgbGreen = 0;
  std::uint8_t rgbRed = 0;
  std::uint8_t rgbReserved = 0;
  friend bool operator==(const TRGBQuad&, const TRGBQuad&) = default;
};

using TColorTable = std::array<TRGBQuad, 256>;

constexpr TRGBQuad QuadOf(TColor c) {
  return TRGBQuad{static_cast<std::uint8_t>(ColorB(c)), static_cast<std::uint8_t>(ColorG(c)),
                  static_cast<std::uint8_t>(ColorR(c)), 0};
}
constexpr TColor ColorOf(const TRGBQuad& q) { return MakeColor(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// Entry i is the grey (i, i, i).
TColorTable GreyRamp();
// Our fixed 256-entry palette: a 6x6x6 colour cube followed by 40 greys.
TColorTable HalftonePalette();

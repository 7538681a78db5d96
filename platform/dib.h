#pragma once
// TDIB: the picture type of both programs. Width, height, 1/4/8/16/24/32 bits per pixel, a
// 256-entry colour table (meaningful up to 8 bits), rows top-down, each padded to 4 bytes as in
// BMP files. 24-bit pixels are blue, green, red; 32-bit pixels blue, green, red, unused;
// 16-bit pixels 5-5-5 with blue in the low bits.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/color.h"
#include "platform/pixel_buffer.h"

class TNearestPalette;

class TDIB {
 public:
  TDIB();

  // 1, 4, 8, 16, 24 or 32.
  static bool SupportedBitCount(int bitCount);

  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitCount() const { return bitCount_; }
  bool Empty() const { return width_ <= 0 || height_ <= 0; }
  // Bytes per row, padded to a multiple of 4.
  std::size_t WidthBytes() const { return stride_; }
  std::size_t Size() const { return bits_.size(); }

  // New size and depth with zeroed pixels; keeps the colour table the object holds now.
  // Throws std::invalid_argument for negative sizes or unsupported depths and
  // std::length_error when the picture would not fit in memory sensibly (over 2^31 bytes).
  void SetSize(int width, int height, int bitCount);
  // Back to an empty picture (0 x 0); keeps the table.
  void Clear();

  std::uint8_t* ScanLine(int y) { return bits_.data() + static_cast<std::size_t>(y) * stride_; }
  const std::uint8_t* ScanLine(int y) const {
    return bits_.data() + static_cast<std::size_t>(y) * stride_;
  }
  std::uint8_t* Bits() { return bits_.data(); }
  const std::uint8_t* Bits() const { return bits_.data(); }

  const TColorTable& ColorTable() const { return table_; }
  // Replaces the colour table and makes it effective (the nearest-entry cache follows it).
  void SetColorTable(const TColorTable& table);

  // The colour of a pixel at any bit depth (through the table up to 8 bits).
  TColor PixelColor(int x, int y) const;
  // Index (up to 8 bits) or packed value of a pixel.
  std::uint32_t PixelValue(int x, int y) const;

  // Nearest entry of this picture's colour table (cached; see palette.h).
  std::uint8_t NearestIndex(int r, int g, int b) const;
  TNearestPalette& Nearest() const;

  void MirrorLeftRight();
  void MirrorTopBottom();
  void FillBlack();  // all bytes 0: black in true colour, entry 0 in palettised pictures

  // Box blur: every pixel becomes the mean of the square of side 2 * radius + 1 around it, cut
  // off at the edges, each channel with integer division. An 8-bit picture gets the GreyRamp table
  // and each pixel the mean of its square's red, green and blue means (old table) divided by 3.
  // Only 8 and 24 bits are blurred; radius < 1 does nothing.
  void Blur(int radius);

  // A 24-bit copy of any picture (1/4/8 through the table).
  TDIB ToTrueColor() const;

  friend bool operator==(const TDIB& a, const TDIB& b);

 private:
  int width_ = 0;
  int height_ = 0;
  int bitCount_ = 24;
  std::size_t stride_ = 0;
  TPixelBuffer bits_;
  TColorTable table_{};
  mutable std::shared_ptr<TNearestPalette> nearest_;
};

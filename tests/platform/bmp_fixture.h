#pragma once
// Builds BMP files byte by byte, so each header field can be set (or made to lie) on purpose.
#include <cstdint>
#include <vector>

#include "test_support.h"

namespace testsupport {

struct BmpLayout {
  int header = 40;  // 12 (OS/2), 40, 108 (V4) or 124 (V5)
  bool fileHeader = true;
  long width = 3;
  long height = 2;  // negative: top-down
  int bits = 8;
  std::uint32_t compression = 0;
  std::vector<TColor> palette;
  std::uint32_t clrUsed = 0;
  std::vector<std::uint32_t> masks;  // red, green, blue: after a 40-byte header, else inside it
  Bytes pixels;
  long offBits = -1;  // -1: where the pixels really start
};

inline Bytes MakeBmp(const BmpLayout& s) {
  ByteWriter info;
  if (s.header == 12) {
    info.U32(12).U16(static_cast<unsigned>(s.width)).U16(static_cast<unsigned>(s.height));
    info.U16(1).U16(static_cast<unsigned>(s.bits));
  } else {
    info.U32(static_cast<std::uint32_t>(s.header)).U32(static_cast<std::uint32_t>(s.width));
    info.U32(static_cast<std::uint32_t>(s.height)).U16(1).U16(static_cast<unsigned>(s.bits));
    info.U32(s.compression).U32(static_cast<std::uint32_t>(s.pixels.size()));
    info.U32(2835).U32(2835).U32(s.clrUsed).U32(0);
    if (s.header > 40) {
      for (std::size_t i = 0; i < 4; ++i) info.U32(i < s.masks.size() ? s.masks[i] : 0);
      while (info.Size() < static_cast<std::size_t>(s.header)) info.U8(0);
    }
  }
  if (s.header == 40)
    for (std::uint32_t m : s.masks) info.U32(m);
  for (TColor c : s.palette) {
    info.U8(ColorB(c)).U8(ColorG(c)).U8(ColorR(c));
    if (s.header != 12) info.U8(0);
  }
  const std::size_t start = (s.fileHeader ? 14 : 0) + info.Size();
  ByteWriter file;
  if (s.fileHeader) {
    file.Text("BM").U32(static_cast<std::uint32_t>(start + s.pixels.size())).U32(0);
    file.U32(static_cast<std::uint32_t>(s.offBits >= 0 ? s.offBits : static_cast<long>(start)));
  }
  file.Append(info.Get()).Append(s.pixels);
  return file.Get();
}

// An 8-bit 4 x 2 BMP (rows without padding) with a 4-entry palette.
inline BmpLayout SmallIndexedBmp() {
  BmpLayout s;
  s.width = 4;
  s.palette = {MakeColor(255, 0, 0), MakeColor(0, 255, 0), MakeColor(0, 0, 255),
               MakeColor(9, 8, 7)};
  s.clrUsed = 4;
  s.pixels = {0, 1, 2, 3, 3, 2, 1, 0};
  return s;
}

}  // namespace testsupport

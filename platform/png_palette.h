#pragma once
// How a picture goes into a PNG file: palette (with packed indices) or RGB rows. Private to png.cpp.
#include <png.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/dib.h"

struct TPngPlan {
  png_uint_32 width = 0;
  png_uint_32 height = 0;
  int depth = 8;
  int colorType = PNG_COLOR_TYPE_PALETTE;
  int filters = PNG_FILTER_NONE;
  png_color palette[256] = {};
  int paletteSize = 0;
  std::size_t rowBytes = 0;
  std::vector<std::uint8_t> packed;  // rows of our own (palette from true colour)
  TDIB converted;                    // 24-bit form of a 1/4/16/32-bit picture
  const TDIB* source = nullptr;      // rows taken as they are

  TPngPlan() = default;
  TPngPlan(const TPngPlan&) = delete;  // `source` may point at `converted`
  TPngPlan& operator=(const TPngPlan&) = delete;

  png_bytep Row(int y) {
    if (!packed.empty()) return packed.data() + static_cast<std::size_t>(y) * rowBytes;
    return const_cast<png_bytep>(source->ScanLine(y));  // libpng copies rows before transforming
  }
};

// Chooses the layout: 8-bit pictures keep their table; others with at most 256 colours become a
// palette of 1, 2, 4 or 8 bits; the rest RGB.
void PlanPng(const TDIB& picture, TPngPlan& plan);

// Palette indices of a 24-bit picture in `indices` (one byte per pixel, rows of `width`), and the
// colours in order of first appearance; false as soon as a 257th colour turns up.
bool IndexColours(const TDIB& picture, std::vector<std::uint8_t>& indices,
                  std::vector<TColor>& colours);

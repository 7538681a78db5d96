#include "platform/palette.h"

#include <algorithm>
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

// An entry whose nearest point of the cell is farther than some entry's farthest point can never
// win inside the cell. Tied winners all pass, in index order, so the lowest index still wins.
void TNearestGrid::Build(int cell) {
  const int lo[3] = {(cell >> 6) * 32, ((cell >> 3) & 7) * 32, (cell & 7) * 32};
  int nearest[256], bound = std::numeric_limits<int>::max();
  for (int i = 0; i < 256; ++i) {
    const int v[3] = {table_[i].rgbRed, table_[i].rgbGreen, table_[i].rgbBlue};
    int near = 0, far = 0;
    for (int c = 0; c < 3; ++c) {
      const int gap = std::max({lo[c] - v[c], v[c] - (lo[c] + 31), 0});
      const int reach = std::max(v[c] - lo[c], lo[c] + 31 - v[c]);
      near += gap * gap;
      far += reach * reach;
    }
    nearest[i] = near;
    bound = std::min(bound, far);
  }
  for (int i = 0; i < 256; ++i)
    if (nearest[i] <= bound) candidates_[cell].push_back(static_cast<std::uint8_t>(i));
  built_[cell] = true;
}

TNearestPalette::TNearestPalette(const TColorTable& table)
    : grid_(table), keys_(std::size_t{1} << kBits, 0), values_(std::size_t{1} << kBits, 0) {}

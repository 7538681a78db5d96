#include "dotweave/core/window_rules.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

const char kWindowSection[] = "window";
const int kShowNormal = 1;
const int kShowMaximized = 3;
// Larger sizes or positions come from a damaged file, not from any screen.
const long long kMaxExtent = 100000;

// "left,top,right,bottom": exactly four integers.
bool ParseBounds(const std::string& text, int (&bounds)[4]) {
  std::size_t start = 0;
  for (int i = 0; i < 4; ++i) {
    const std::size_t comma = text.find(',', start);
    const bool last = i == 3;
    if (last != (comma == std::string::npos)) return false;
    const std::size_t length = last ? std::string::npos : comma - start;
    if (!TIniFile::ParseInteger(text.substr(start, length), bounds[i])) return false;
    start = comma + 1;
  }
  return true;
}

bool Usable(long long value, long long low) { return value >= low && value <= kMaxExtent; }

}  // namespace

TCommandState UpdateCommandState(const TCommandInputs& in) {
  TCommandState state;
  state.SpExport = in.Randm || in.TextureFileExists;
  state.RandomDotColors = in.Randm;
  state.Texture = !in.Randm;
  state.Blending = in.OutputBitCount == 24;
  state.SpRun = state.SpExport && in.MaskFileExists;
  return state;
}

TPixelSize PreviewBufferSize(int w, int h, int aw, int ah, int sw, int sh) {
  const std::int64_t W = w, H = h;  // the products overflow 32 bits for large pictures
  if (W * ah >= H * aw) {
    if (h > sh && w > 0) return {sw, static_cast<int>(H * sw / W)};
  } else if (w > sw && h > 0) {
    return {static_cast<int>(W * sh / H), sh};
  }
  return {w, h};
}

TPixelSize FullScreenMode(int width, int height) {
  if (width > 800 || height > 600) return {1024, 768};
  if (width > 640 || height > 480) return {800, 600};
  return {640, 480};
}

bool ReadPlacement(const TIniFile& ini, TWindowPlacement& placement) {
  int b[4] = {};
  if (!ParseBounds(ini.ReadString(kWindowSection, "NormPos", ""), b)) return false;
  const long long width = static_cast<long long>(b[2]) - b[0];
  const long long height = static_cast<long long>(b[3]) - b[1];
  if (!Usable(width, 1) || !Usable(height, 1)) return false;
  if (!Usable(std::llabs(b[0]), 0) || !Usable(std::llabs(b[1]), 0)) return false;
  placement.Left = b[0];
  placement.Top = b[1];
  placement.Width = static_cast<int>(width);
  placement.Height = static_cast<int>(height);
  placement.Maximized = ini.ReadInteger(kWindowSection, "ShowCmd", kShowNormal) == kShowMaximized;
  return true;
}

void WritePlacement(TIniFile& ini, const TWindowPlacement& p) {
  char normPos[64];
  std::snprintf(normPos, sizeof normPos, "%d,%d,%lld,%lld", p.Left, p.Top,
                static_cast<long long>(p.Left) + p.Width, static_cast<long long>(p.Top) + p.Height);
  TIniFile::TBatch batch(ini);
  ini.WriteInteger(kWindowSection, "Flags", 0);
  ini.WriteInteger(kWindowSection, "ShowCmd", p.Maximized ? kShowMaximized : kShowNormal);
  ini.WriteInteger(kWindowSection, "PixelsPerInch", 96);
  ini.WriteString(kWindowSection, "MinMaxPos", "-1,-1,-1,-1");
  ini.WriteString(kWindowSection, "NormPos", normPos);
}

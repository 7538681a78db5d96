#pragma once
// Rules of the main window that need no window: the enabling of its commands, the full-screen
// display mode, the JPEG size limit and the stored window placement (section "window").
#include <string>

#include "platform/ini_file.h"

// What the idle window's enabling depends on.
struct TCommandInputs {
  bool Randm = false;              // random-dot mode
  bool TextureFileExists = false;  // "FonFileName" not empty and the file exists
  bool MaskFileExists = false;     // "MaskFileName" not empty and the file exists
  int OutputBitCount = 24;         // bits per pixel of OutputImage (0 when empty)
};

// The enabling rule of the idle window, in its order: SpExport (and "Import animated mask"),
// random-dot colours and SpRnd, the Texture menu and SpText, BlendButton and "Blending", SpRun.
struct TCommandState {
  bool SpExport = false;
  bool RandomDotColors = false;
  bool Texture = false;
  bool Blending = false;
  bool SpRun = false;
  bool operator==(const TCommandState&) const = default;
};
TCommandState UpdateCommandState(const TCommandInputs& in);

struct TPixelSize {
  int Width;
  int Height;
  bool operator==(const TPixelSize&) const = default;
};
// The preview buffer for a w x h picture in an aw x ah preview area on an sw x sh screen: the
// picture's size, or scaled to the screen when it is larger there. Each case tests the other
// dimension than the one it scales; the preview area shrinks the buffer further when painting.
TPixelSize PreviewBufferSize(int w, int h, int aw, int ah, int sw, int sh);

// The smallest of 640x480, 800x600 and 1024x768 that holds a w x h picture (1024x768 beyond).
TPixelSize FullScreenMode(int width, int height);

// JPEG holds the sum of width and height to 3420 at most.
constexpr int kMaxJpegSideSum = 3420;
inline bool JpegSizeAllowed(int width, int height) { return width + height <= kMaxJpegSideSum; }

// Position, size and state of the main window in section "window", with the keys "Flags",
// "ShowCmd" (1 normal, 3 maximised), "PixelsPerInch", "MinMaxPos" and "NormPos"
// ("left,top,right,bottom" of the normal bounds).
struct TWindowPlacement {
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  bool Maximized = false;
  bool operator==(const TWindowPlacement&) const = default;
};
// False (placement untouched) when the section or "NormPos" is missing or not four integers, or
// when the bounds are unusable: width or height below 1, or a size or position beyond 100000.
bool ReadPlacement(const TIniFile& ini, TWindowPlacement& placement);
void WritePlacement(TIniFile& ini, const TWindowPlacement& placement);

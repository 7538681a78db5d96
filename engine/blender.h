#pragma once
// Lays a colour over a picture with a weight that grows with the distance from a centre (or edge),
// or, inverted, fades out from it.
#include "engine/host.h"
#include "platform/color.h"
#include "platform/dib.h"

class TIniFile;

class TBlender {
 public:
  enum { kHorizontal, kHorizontalCenter, kVertical, kVerticalCenter, kStar, kCircle, kEllipse };

  bool Preview = true;  // false: progress and message pumping through ProgressBar
  bool Inverse = false;
  int Volume = 50;
  int HorCoord = 50;
  int VertCoord = 50;
  int Effect = kEllipse;
  TColor Color = 8388608;
  TRenderHost* ProgressBar = nullptr;

  // Writes source mixed with Color into destination; both 8 or both 24 bits, the source at least
  // as large as the destination. Source and destination may be the same picture. Throws
  // TRenderError when they do not match.
  void Blend(const TDIB& source, TDIB& destination) const;

  // The distance of pixel (x, y) of a width x height picture, and its colour weight (0..254).
  int Distance(int x, int y, int width, int height) const;
  int Weight(int d, int width, int height) const;
};

// Section "Blending" of the settings file, shared by the blending dialog, the animation renderer
// and the command-line tool.
void LoadBlending(const TIniFile& ini, TBlender& blender);
void SaveBlending(TIniFile& ini, const TBlender& blender);

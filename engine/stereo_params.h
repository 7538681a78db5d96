#pragma once
// The settings of one stereogram. Field names are the keys of section "Options".
#include <string>
#include <vector>

#include "platform/color.h"

struct TStereoParams {
  int PWidth = 640;
  int PHeight = 480;
  int Resolution = 0;
  bool CustomRez = false;
  int PerSent = 95;
  int DDepth = 30;
  int BitRate = 24;
  int Oversampling = 2;
  int JpegQual = 80;
  int Blur = 0;
  int Algorithm = 2;
  int StretchMode = 0;
  bool Randm = false;
  int DotNum = 240;
  bool UseGradient = true;
  int Base = 88;
  bool AutoBase = true;
  int RenderDirection = 1;
  std::vector<TColor> Colors{16777215};
  std::string MaskFileName;
  std::string FonFileName;
  friend bool operator==(const TStereoParams&, const TStereoParams&) = default;

  // W and P of the renderer.
  int OversampledWidth() const { return PWidth * Oversampling; }
  int OversampledBase() const { return Base * Oversampling; }
};

// The "Auto" rule of the dialogs: Round(width * 0.1375515818431911967), raised to even.
int AutoBaseFor(int width);
// Odd positive periods are raised by 1.
int EvenBase(int base);

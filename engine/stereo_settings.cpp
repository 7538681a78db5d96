#include "engine/stereo_settings.h"

#include <string>

namespace {

const char kOptions[] = "Options";

struct TIntKey {
  const char* name;
  int TStereoParams::*field;
};
struct TBoolKey {
  const char* name;
  bool TStereoParams::*field;
};

// Read in the file's loading order; defaults are the fields' initial values.
constexpr TIntKey kIntKeys[] = {
    {"DotNum", &TStereoParams::DotNum},
    {"Base", &TStereoParams::Base},
    {"PerSent", &TStereoParams::PerSent},
    {"JpegQual", &TStereoParams::JpegQual},
    {"Algorithm", &TStereoParams::Algorithm},
    {"StretchMode", &TStereoParams::StretchMode},
    {"DDepth", &TStereoParams::DDepth},
    {"Resolution", &TStereoParams::Resolution},
    {"Blur", &TStereoParams::Blur},
    {"Oversampling", &TStereoParams::Oversampling},
    {"RenderDirection", &TStereoParams::RenderDirection},
};
constexpr TBoolKey kBoolKeys[] = {
    {"UseGradient", &TStereoParams::UseGradient},
    {"Randm", &TStereoParams::Randm},
    {"AutoBase", &TStereoParams::AutoBase},
    {"CustomRez", &TStereoParams::CustomRez},
};

}  // namespace

std::vector<TColor> ReadColorList(const TIniFile& ini) {
  std::vector<TColor> colors;
  for (const std::string& key : ini.ReadSection("Colors")) {
    int value = 0;
    if (TIniFile::ParseInteger(key, value)) colors.push_back(static_cast<TColor>(value) & 0xFFFFFF);
  }
  if (colors.empty()) colors.push_back(16777215);
  return colors;
}

void LoadStereoParams(const TIniFile& ini, TStereoParams& params) {
  const TStereoParams defaults;
  params.Colors = ReadColorList(ini);
  for (const TBoolKey& k : kBoolKeys)
    params.*k.field = ini.ReadBool(kOptions, k.name, defaults.*k.field);
  for (const TIntKey& k : kIntKeys)
    params.*k.field = ini.ReadInteger(kOptions, k.name, defaults.*k.field);
  params.Base = EvenBase(params.Base);
  params.PWidth = ini.ReadInteger(kOptions, "PWidth", defaults.PWidth);
  params.PHeight = ini.ReadInteger(kOptions, "PHeight", defaults.PHeight);
  if (!params.CustomRez) {
    switch (params.Resolution) {
      case 1:
        params.PWidth = 800;
        params.PHeight = 600;
        break;
      case 2:
        params.PWidth = 1024;
        params.PHeight = 768;
        break;
      default:
        params.PWidth = 640;
        params.PHeight = 480;
        break;
    }
  }
  params.BitRate = ini.ReadInteger(kOptions, "BitRate", defaults.BitRate);
  params.MaskFileName = ini.ReadString(kOptions, "MaskFileName", "");
  params.FonFileName = ini.ReadString(kOptions, "FonFileName", "");
}

std::string CheckRenderable(const TStereoParams& p) {
  constexpr int kMaxSide = 30000;
  if (p.PWidth < 1 || p.PHeight < 1 || p.PWidth > kMaxSide || p.PHeight > kMaxSide)
    return "the picture size " + std::to_string(p.PWidth) + "x" + std::to_string(p.PHeight) +
           " is outside 1 to " + std::to_string(kMaxSide);
  if (p.BitRate != 8 && p.BitRate != 24) return "BitRate must be 8 or 24";
  if (p.Oversampling < 1 || static_cast<long long>(p.PWidth) * p.Oversampling >= 65536)
    return "Oversampling must be at least 1 and PWidth x Oversampling below 65536";
  if (p.Base < 2 || p.Base > p.PWidth) return "Base must lie between 2 and the picture width";
  // Beyond this the nearest depth would shift a pixel by a whole period or more.
  if (p.DDepth > -5 && p.DDepth < 5) return "DDepth must be at least 5 (the dialogs use 11 to 110)";
  if (p.RenderDirection != 1 && p.RenderDirection != -1) return "RenderDirection must be 1 or -1";
  return {};
}

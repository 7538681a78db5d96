#include "engine/stereo_settings.h"

#include <string>

namespace {

// In the order of a save; the defaults are the fields' initial values.
constexpr TIniKey<TStereoParams> kStereoKeys[] = {
    {"PerSent", &TStereoParams::PerSent},
    {"Resolution", &TStereoParams::Resolution},
    {"PWidth", &TStereoParams::PWidth},
    {"PHeight", &TStereoParams::PHeight},
    {"StretchMode", &TStereoParams::StretchMode},
    {"CustomRez", &TStereoParams::CustomRez},
    {"JpegQual", &TStereoParams::JpegQual},
    {"BitRate", &TStereoParams::BitRate},
    {"DDepth", &TStereoParams::DDepth},
    {"Blur", &TStereoParams::Blur},
    {"Randm", &TStereoParams::Randm},
    {"AutoBase", &TStereoParams::AutoBase},
    {"Base", &TStereoParams::Base},
    {"Algorithm", &TStereoParams::Algorithm},
    {"Oversampling", &TStereoParams::Oversampling},
    {"DotNum", &TStereoParams::DotNum},
    {"RenderDirection", &TStereoParams::RenderDirection},
    {"MaskFileName", &TStereoParams::MaskFileName},
    {"FonFileName", &TStereoParams::FonFileName},
    {"UseGradient", &TStereoParams::UseGradient},
};

// The preset sizes of "Resolution"; any other value is 640 x 480.
void ApplyPresetSize(TStereoParams& params) {
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

}  // namespace

std::span<const TIniKey<TStereoParams>> StereoKeys() { return kStereoKeys; }

std::vector<TColor> ReadColorList(const TIniFile& ini) {
  std::vector<TColor> colors;
  for (const std::string& key : ini.ReadSection(kColorsSection)) {
    int value = 0;
    if (TIniFile::ParseInteger(key, value)) colors.push_back(static_cast<TColor>(value) & 0xFFFFFF);
  }
  if (colors.empty()) colors.push_back(16777215);
  return colors;
}

void LoadStereoParams(const TIniFile& ini, TStereoParams& params) {
  const TStereoParams defaults;
  params.Colors = ReadColorList(ini);
  // Reading has no side effects, so the loading order of the file does not matter here.
  for (const TIniKey<TStereoParams>& key : kStereoKeys)
    ReadIniKey(ini, kOptionsSection, key, params, defaults);
  params.Base = EvenBase(params.Base);
  if (!params.CustomRez) ApplyPresetSize(params);
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

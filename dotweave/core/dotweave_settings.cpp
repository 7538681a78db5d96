#include "dotweave/core/dotweave_settings.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "engine/stereo_settings.h"
#include "platform/atomic_file.h"
#include "platform/ini_keys.h"

namespace fs = std::filesystem;

namespace {

constexpr TIniKey<TWindowOptions> kWindowKeys[] = {
    {"ToolBar", &TWindowOptions::ToolBar},
    {"StatusBar", &TWindowOptions::StatusBar},
    {"MaskDir", &TWindowOptions::MaskDir},
    {"FonDir", &TWindowOptions::FonDir},
    {"SaveDir", &TWindowOptions::SaveDir},
    {"UseDirectXmode", &TWindowOptions::UseDirectXmode},
    {"ShowWizard", &TWindowOptions::ShowWizard},
    {"Showhints", &TWindowOptions::Showhints},
    {"language", &TWindowOptions::language},
};

// Section "Options" of a save, in this order; each name is a key of StereoKeys() or kWindowKeys.
constexpr const char* kSaveOrder[] = {
    "PerSent",      "Resolution",     "PWidth",       "PHeight",  "StretchMode",     "CustomRez",
    "JpegQual",     "BitRate",        "DDepth",       "Blur",     "Randm",           "AutoBase",
    "Base",         "ToolBar",        "StatusBar",    "MaskDir",  "FonDir",          "SaveDir",
    "Algorithm",    "UseDirectXmode", "Oversampling", "DotNum",   "RenderDirection", "ShowWizard",
    "MaskFileName", "FonFileName",    "Showhints",    "language", "UseGradient",
};

// $XDG_CONFIG_HOME when it is an absolute path (relative ones are to be ignored), else ~/.config.
fs::path ConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (!home || !home[0]) {
    const passwd* pw = getpwuid(getuid());
    home = pw ? pw->pw_dir : nullptr;
  }
  return home ? fs::path(home) / ".config" : fs::path();
}

void WriteOptions(TIniFile& ini, const TStereoParams& params, const TWindowOptions& window) {
  for (const char* name : kSaveOrder) {
    if (const auto* key = FindIniKey(StereoKeys(), name))
      WriteIniKey(ini, kOptionsSection, *key, params);
    else if (const auto* windowKey = FindIniKey<TWindowOptions>(kWindowKeys, name))
      WriteIniKey(ini, kOptionsSection, *windowKey, window);
  }
}

// Key and value are both the colour in decimal; a repeated colour overwrites its own key.
void WriteColors(TIniFile& ini, const std::vector<TColor>& colors) {
  ini.EraseSection(kColorsSection);
  for (TColor color : colors)
    ini.WriteString(kColorsSection, std::to_string(color), std::to_string(color));
}

}  // namespace

std::string SettingsFolder(const std::string& programDir, const std::string& appName) {
  if (access(programDir.c_str(), W_OK) == 0) return programDir;
  const fs::path configHome = ConfigHome();
  if (configHome.empty()) return programDir;
  const fs::path folder = configHome / appName;
  // A folder that cannot be made shows up later as a failed save, with its reason.
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  return folder.string();
}

TWindowOptions LoadWindowOptions(const TIniFile& ini, const std::string& programDir) {
  TWindowOptions defaults;
  defaults.MaskDir = (fs::path(programDir) / "Masks").string();
  defaults.FonDir = (fs::path(programDir) / "Textures").string();
  TWindowOptions options = defaults;
  for (const TIniKey<TWindowOptions>& key : kWindowKeys)
    ReadIniKey(ini, kOptionsSection, key, options, defaults);
  return options;
}

void ClearMissingFiles(TStereoParams& params) {
  if (!FileExists(params.MaskFileName)) params.MaskFileName.clear();
  if (!FileExists(params.FonFileName)) params.FonFileName.clear();
}

bool SaveSettings(TIniFile& ini, const TStereoParams& params, const TWindowOptions& window,
                  const TRecentFiles& masks, const TRecentFiles& textures) {
  {
    TIniFile::TBatch batch(ini);
    WriteOptions(ini, params, window);
    masks.Save(ini, kRecentMasksSection);
    textures.Save(ini, kRecentTexturesSection);
    WriteColors(ini, params.Colors);
  }
  return ini.LastError().empty();
}

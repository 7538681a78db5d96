#pragma once
// "Dotweave.cfg" as the main window keeps it: where it lives, the window's own keys of section
// "Options", and the save at a normal close (every key in its fixed order, the two recent lists,
// the colour list) as one atomic replace of the file. The stereogram keys are read by
// LoadStereoParams (engine/stereo_settings.h).
#include <string>

#include "engine/stereo_params.h"
#include "platform/ini_file.h"
#include "platform/recent_files.h"

inline constexpr char kRecentMasksSection[] = "Recent Masks";
inline constexpr char kRecentTexturesSection[] = "Recent Textures";

// State of the main window stored in section "Options".
struct TWindowOptions {
  std::string MaskDir;  // default: the folder "Masks" in the program folder
  std::string FonDir;   // default: the folder "Textures" in the program folder
  std::string SaveDir;
  bool ToolBar = true;
  bool StatusBar = true;
  bool Showhints = true;
  bool UseDirectXmode = true;
  bool ShowWizard = true;
  std::string language = "English";
  friend bool operator==(const TWindowOptions&, const TWindowOptions&) = default;
};

// The folder that holds the settings and codec-state files: the program folder when we may write
// there, otherwise $XDG_CONFIG_HOME/<appName> (~/.config/<appName> without it), created on demand.
std::string SettingsFolder(const std::string& programDir, const std::string& appName);

TWindowOptions LoadWindowOptions(const TIniFile& ini, const std::string& programDir);

// Loading step 9: a mask or texture name that does not name an existing regular file is cleared.
void ClearMissingFiles(TStereoParams& params);

// The save of a normal close. False when the file could not be written (ini.LastError() says why);
// the values are then still in the object. Inside a caller's own TIniFile::TBatch the file is
// written only at that batch's end, so the result says nothing until then.
bool SaveSettings(TIniFile& ini, const TStereoParams& params, const TWindowOptions& window,
                  const TRecentFiles& masks, const TRecentFiles& textures);

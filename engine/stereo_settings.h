#pragma once
// Reading TStereoParams from "Dotweave.cfg" (sections "Options" and "Colors"), with the file's
// loading rules: defaults for missing or non-integer values, the colour list from the key names of
// "Colors", odd periods raised to even, and the preset size when "CustomRez" is off.
#include <span>
#include <string>
#include <vector>

#include "engine/stereo_params.h"
#include "platform/ini_file.h"
#include "platform/ini_keys.h"

inline constexpr char kOptionsSection[] = "Options";
inline constexpr char kColorsSection[] = "Colors";

// The keys of section "Options" that TStereoParams holds (every field but Colors), in the order
// in which the main window saves them.
std::span<const TIniKey<TStereoParams>> StereoKeys();

// The colour list of section "Colors": the key names that are integers, in file order; one white
// entry when the section is missing, empty, or holds no valid colour (a render needs a colour).
std::vector<TColor> ReadColorList(const TIniFile& ini);

// The stereogram settings of section "Options" (not the window's own keys), then the rules above.
// "MaskFileName" and "FonFileName" are read as stored; the caller decides about missing files.
void LoadStereoParams(const TIniFile& ini, TStereoParams& params);

// Why these settings cannot be rendered, or an empty string. The settings file is not
// range-checked on reading, so a hand-edited file can hold values the renderer cannot work with.
std::string CheckRenderable(const TStereoParams& params);

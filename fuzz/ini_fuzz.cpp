// Settings files are edited by hand; no text may crash the reader or the loading rules.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/stereo_settings.h"
#include "platform/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TIniFile ini = TIniFile::FromText(std::string(reinterpret_cast<const char*>(data), size));
  TStereoParams params;
  LoadStereoParams(ini, params);
  (void)CheckRenderable(params);
  for (const std::string& section : ini.ReadSections())
    for (const std::string& key : ini.ReadSection(section)) {
      (void)ini.ReadInteger(section, key, 0);
      ini.WriteString(section, key, ini.ReadString(section, key, ""));
    }
  ini.EraseSection("Colors");
  return 0;
}

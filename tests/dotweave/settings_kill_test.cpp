// A program killed in the middle of saving must leave the old settings file or the new one, never
// a part of either.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "../support/temp_dir.h"
#include "dotweave/core/dotweave_settings.h"
#include "platform/ini_file.h"

namespace {

using SettingsKillTest = testsupport::TTempDirTest;

// Saves two different settings in turn, as fast as it can, until it is killed.
[[noreturn]] void SaveForever(const std::string& path) {
  TIniFile ini(path);
  TStereoParams params;
  TWindowOptions window;
  TRecentFiles masks;
  TRecentFiles textures;
  for (int i = 0; i < 20; ++i) masks.Add("/masks/m" + std::to_string(i) + ".bmp");
  for (unsigned i = 0;; ++i) {
    params.DotNum = i % 2 ? 111 : 222;
    params.Colors = {255, 65280, i % 2 ? 16711680u : 16777215u};
    SaveSettings(ini, params, window, masks, textures);
  }
}

TEST_F(SettingsKillTest, AKilledSaveLeavesACompleteFile) {
  const std::string path = Path("Dotweave.cfg");
  int checked = 0;
  for (int round = 0; round < 25; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) SaveForever(path);
    usleep(2000 + round * 900);
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);
    if (!std::filesystem::exists(path)) continue;  // killed before the first save
    ++checked;
    const TIniFile ini(path);
    const int dotNum = ini.ReadInteger("Options", "DotNum", 0);
    EXPECT_TRUE(dotNum == 111 || dotNum == 222) << "round " << round;
    // The last key of "Options" and the sections written after it are all there.
    EXPECT_TRUE(ini.ValueExists("Options", "UseGradient")) << "round " << round;
    EXPECT_EQ(ini.ReadSection("Recent Masks").size(), 10u) << "round " << round;
    EXPECT_EQ(ini.ReadSection("Colors").size(), 3u) << "round " << round;
  }
  EXPECT_GT(checked, 0) << "no save finished before the kills";
}

}  // namespace

#include "dotweave/core/dotweave_settings.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "../support/temp_dir.h"
#include "engine/stereo_settings.h"
#include "platform/atomic_file.h"

namespace fs = std::filesystem;

namespace {

// Everything the main window keeps of "Dotweave.cfg", loaded the way it loads it.
struct TSettings {
  TStereoParams params;
  TWindowOptions window;
  TRecentFiles masks;
  TRecentFiles textures;
};

TSettings Load(const TIniFile& ini, const std::string& programDir) {
  TSettings s;
  LoadStereoParams(ini, s.params);
  s.window = LoadWindowOptions(ini, programDir);
  s.masks.Load(ini, kRecentMasksSection);
  s.textures.Load(ini, kRecentTexturesSection);
  ClearMissingFiles(s.params);
  return s;
}

bool Save(TIniFile& ini, const TSettings& s) {
  return SaveSettings(ini, s.params, s.window, s.masks, s.textures);
}

// The key=value lines of one section, as stored.
std::vector<std::string> Entries(const TIniFile& ini, const std::string& section) {
  std::vector<std::string> lines;
  for (const std::string& key : ini.ReadSection(section))
    lines.push_back(key + "=" + ini.ReadString(section, key, ""));
  return lines;
}

class DotweaveSettingsTest : public testsupport::TTempDirTest {
 protected:
  std::string CfgPath() const { return Path("Dotweave.cfg"); }
  void WriteCfg(const std::string& text) const { WriteFileAtomically(CfgPath(), text); }
  std::string ProgramDir() const { return dir_.string(); }
};

TEST_F(DotweaveSettingsTest, FirstStartWithoutFileUsesTheDefaults) {
  TIniFile ini(CfgPath());
  const TSettings s = Load(ini, ProgramDir());
  EXPECT_EQ(s.params.PWidth, 640);
  EXPECT_EQ(s.params.PHeight, 480);
  EXPECT_EQ(s.params.BitRate, 24);
  EXPECT_EQ(s.params.Base, 88);
  EXPECT_FALSE(s.params.Randm);
  EXPECT_EQ(s.params.Colors, std::vector<TColor>{16777215});
  EXPECT_TRUE(s.window.ToolBar);
  EXPECT_TRUE(s.window.StatusBar);
  EXPECT_TRUE(s.window.Showhints);
  EXPECT_TRUE(s.window.UseDirectXmode);
  EXPECT_TRUE(s.window.ShowWizard);
  EXPECT_EQ(s.window.language, "English");
  EXPECT_EQ(s.window.MaskDir, Path("Masks"));
  EXPECT_EQ(s.window.FonDir, Path("Textures"));
  EXPECT_EQ(s.window.SaveDir, "");
  EXPECT_TRUE(s.masks.Items().empty());
  EXPECT_FALSE(fs::exists(CfgPath())) << "loading alone creates no file";
  EXPECT_EQ(LoadWindowOptions(ini, ProgramDir() + "/").MaskDir, Path("Masks"));
}

TEST_F(DotweaveSettingsTest, FreshSaveWritesEveryKeyInItsOrder) {
  TIniFile ini(CfgPath());
  TSettings s = Load(ini, "/prog");
  s.masks.Add("/m/sphere.bmp");
  s.textures.Add("/t/waves.bmp");
  ASSERT_TRUE(Save(ini, s)) << ini.LastError();
  EXPECT_EQ(ReadWholeFile(CfgPath()),
            "[Options]\nPerSent=95\nResolution=0\nPWidth=640\nPHeight=480\nStretchMode=0\n"
            "CustomRez=0\nJpegQual=80\nBitRate=24\nDDepth=30\nBlur=0\nRandm=0\nAutoBase=1\n"
            "Base=88\nToolBar=1\nStatusBar=1\nMaskDir=/prog/Masks\nFonDir=/prog/Textures\n"
            "SaveDir=\nAlgorithm=2\nUseDirectXmode=1\nOversampling=2\nDotNum=240\n"
            "RenderDirection=1\nShowWizard=1\nMaskFileName=\nFonFileName=\nShowhints=1\n"
            "language=English\nUseGradient=1\n\n"
            "[Recent Masks]\nItem_0=/m/sphere.bmp\n\n"
            "[Recent Textures]\nItem_0=/t/waves.bmp\n\n"
            "[Colors]\n16777215=16777215\n\n");
}

// Loading rules whose result is both the value in use and the value saved.
TEST_F(DotweaveSettingsTest, LoadedValuesAreTheOnesInUseAndSaved) {
  struct Case {
    const char* text;
    int TStereoParams::*field;
    const char* key;
    int value;
  } cases[] = {
      {"[Options]\nBase=89\n", &TStereoParams::Base, "Base", 90},
      {"[Options]\nCustomRez=0\nResolution=2\nPWidth=700\n", &TStereoParams::PWidth, "PWidth",
       1024},
      {"[Options]\nCustomRez=0\nResolution=2\nPWidth=700\n", &TStereoParams::PHeight, "PHeight",
       768},
      {"[Options]\nJpegQual=0x50\n", &TStereoParams::JpegQual, "JpegQual", 80},
      {"[Options]\nJpegQual=good\n", &TStereoParams::JpegQual, "JpegQual", 80},
  };
  for (const Case& c : cases) {
    WriteCfg(c.text);
    TIniFile ini(CfgPath());
    const TSettings s = Load(ini, ProgramDir());
    EXPECT_EQ(s.params.*c.field, c.value) << c.text;
    ASSERT_TRUE(Save(ini, s));
    EXPECT_EQ(TIniFile(CfgPath()).ReadString("Options", c.key, ""), std::to_string(c.value))
        << c.text;
  }
}

TEST_F(DotweaveSettingsTest, ColourListLoadsIntegersAndSavesEachColourOnce) {
  struct Case {
    const char* text;
    std::vector<TColor> inUse;
    std::vector<std::string> saved;
  } cases[] = {
      {"[Colors]\n255=255\nabc=abc\n65280=65280\n", {255, 65280}, {"255=255", "65280=65280"}},
      {"[Colors]\n255=255\n65280=65280\n255=255\n", {255, 65280}, {"255=255", "65280=65280"}},
      {"[Colors]\n8388608=junk\n", {8388608}, {"8388608=8388608"}},
  };
  for (const Case& c : cases) {
    WriteCfg(c.text);
    TIniFile ini(CfgPath());
    const TSettings s = Load(ini, ProgramDir());
    EXPECT_EQ(s.params.Colors, c.inUse) << c.text;
    ASSERT_TRUE(Save(ini, s));
    EXPECT_EQ(Entries(TIniFile(CfgPath()), "Colors"), c.saved) << c.text;
  }
}

TEST_F(DotweaveSettingsTest, ColourListedTwiceInMemoryIsSavedOnce) {
  TIniFile ini(CfgPath());
  TSettings s = Load(ini, ProgramDir());
  s.params.Colors = {255, 65280, 255, 16711680};
  ASSERT_TRUE(Save(ini, s));
  const TIniFile again(CfgPath());
  EXPECT_EQ(Entries(again, "Colors"),
            (std::vector<std::string>{"255=255", "65280=65280", "16711680=16711680"}));
  EXPECT_EQ(Load(again, ProgramDir()).params.Colors, (std::vector<TColor>{255, 65280, 16711680}));
}

// Every key with a value other than its default, so that a key lost on the way shows.
TSettings NonDefaultSettings(const std::string& mask, const std::string& texture) {
  TSettings s;
  TStereoParams& p = s.params;
  p.PWidth = 1200;
  p.PHeight = 900;
  p.Resolution = 1;
  p.CustomRez = true;
  p.PerSent = 70;
  p.DDepth = 55;
  p.BitRate = 8;
  p.Oversampling = 4;
  p.JpegQual = 65;
  p.Blur = 3;
  p.Algorithm = 1;
  p.StretchMode = 4;
  p.Randm = true;
  p.DotNum = 500;
  p.UseGradient = false;
  p.Base = 120;
  p.AutoBase = false;
  p.RenderDirection = -1;
  p.Colors = {255, 8388608};
  p.MaskFileName = mask;
  p.FonFileName = texture;
  s.window = {"/masks dir", "/textures", "/saved", false, false, false, false, false, "Deutsch"};
  s.masks.Add("/m/b.bmp");
  s.masks.Add("/m/a.bmp");
  s.textures.Add("/t/c.jpg");
  return s;
}

TEST_F(DotweaveSettingsTest, LoadSaveLoadKeepsEverySetting) {
  WriteFileAtomically(Path("mask.bmp"), std::string("x"));
  WriteFileAtomically(Path("texture.jpg"), std::string("x"));
  const TSettings original = NonDefaultSettings(Path("mask.bmp"), Path("texture.jpg"));
  ASSERT_NE(original.params, TStereoParams());
  {
    TIniFile ini(CfgPath());
    ASSERT_TRUE(Save(ini, original));
  }
  const std::string firstText = ReadWholeFile(CfgPath());
  TIniFile ini(CfgPath());
  const TSettings loaded = Load(ini, ProgramDir());
  EXPECT_EQ(loaded.params, original.params);
  EXPECT_EQ(loaded.window, original.window);
  EXPECT_EQ(loaded.masks.Items(), original.masks.Items());
  EXPECT_EQ(loaded.textures.Items(), original.textures.Items());
  ASSERT_TRUE(Save(ini, loaded));
  EXPECT_EQ(ReadWholeFile(CfgPath()), firstText);
}

TEST_F(DotweaveSettingsTest, KeysInAnotherOrderAndCaseKeepWorking) {
  WriteCfg(
      "[colors]\n65280=65280\n[OPTIONS]\nusegradient=0\nlanguage=Francais\nSHOWWIZARD=0\n"
      "base=100\ncustomrez=1\npheight=500\npwidth=900\nrandm=1\nMaskDir=/here\n");
  TIniFile ini(CfgPath());
  TSettings s = Load(ini, ProgramDir());
  EXPECT_FALSE(s.params.UseGradient);
  EXPECT_EQ(s.params.Base, 100);
  EXPECT_EQ(s.params.PWidth, 900);
  EXPECT_EQ(s.params.PHeight, 500);
  EXPECT_TRUE(s.params.Randm);
  EXPECT_EQ(s.params.Colors, std::vector<TColor>{65280});
  EXPECT_FALSE(s.window.ShowWizard);
  EXPECT_EQ(s.window.language, "Francais");
  EXPECT_EQ(s.window.MaskDir, "/here");

  s.params.Base = 102;
  ASSERT_TRUE(Save(ini, s));
  const TIniFile again(CfgPath());
  EXPECT_EQ(again.ReadSection("Options").size(), 29u) << "keys updated in place, none twice";
  const TSettings reloaded = Load(again, ProgramDir());
  EXPECT_EQ(reloaded.params, s.params);
  EXPECT_EQ(reloaded.window, s.window);
}

TEST_F(DotweaveSettingsTest, SectionsOfOtherWritersSurviveASave) {
  const char* others[] = {"Blending", "Video", "window", "Print"};
  WriteCfg(
      "[Blending]\nVolume=70\nColor=8388608\n[Options]\nBase=90\n[Video]\nfccHandler=0x31564646\n"
      "OpenDir=/v\n[window]\nFlags=0\nNormPos=1,2,3,4\n[Print]\nOrientation=1\n");
  TIniFile ini(CfgPath());
  std::vector<std::vector<std::string>> before;
  for (const char* section : others) before.push_back(Entries(ini, section));
  ASSERT_TRUE(Save(ini, Load(ini, ProgramDir())));
  const TIniFile again(CfgPath());
  for (std::size_t i = 0; i < std::size(others); ++i)
    EXPECT_EQ(Entries(again, others[i]), before[i]) << others[i];
}

// Keeps the process from writing files larger than `bytes` while it lives.
class TFileSizeLimit {
 public:
  explicit TFileSizeLimit(rlim_t bytes) {
    getrlimit(RLIMIT_FSIZE, &old_);
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);  // EFBIG instead of the signal
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~TFileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
  }

 private:
  rlimit old_{};
  void (*oldHandler_)(int) = nullptr;
};

TEST_F(DotweaveSettingsTest, FailedSaveReportsItAndKeepsTheOldFile) {
  const std::string old = "[Options]\nBase=90\n[Colors]\n255=255\n";
  WriteCfg(old);
  TIniFile ini(CfgPath());
  TSettings s = Load(ini, ProgramDir());
  s.params.Base = 200;
  bool saved = true;
  {
    // Works as root too, where a read-only folder would not stop the write.
    TFileSizeLimit limit(8);
    saved = Save(ini, s);
  }
  EXPECT_FALSE(saved);
  EXPECT_FALSE(ini.LastError().empty());
  EXPECT_EQ(ReadWholeFile(CfgPath()), old);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1)
      << "no temporary file left";
  EXPECT_EQ(ini.ReadInteger("Options", "Base", 0), 200) << "the values stay in the object";
  EXPECT_TRUE(Save(ini, s)) << "a later save may succeed";
  EXPECT_TRUE(ini.LastError().empty());
}

TEST_F(DotweaveSettingsTest, ClearMissingFilesKeepsOnlyExistingRegularFiles) {
  WriteFileAtomically(Path("mask.bmp"), std::string("x"));
  fs::create_directory(Path("folder"));
  struct Case {
    std::string name;
    bool kept;
  } cases[] = {
      {Path("mask.bmp"), true},
      {Path("missing.bmp"), false},
      {Path("folder"), false},
      {"", false},
  };
  for (const Case& c : cases) {
    TStereoParams p;
    p.MaskFileName = c.name;
    p.FonFileName = c.name;
    ClearMissingFiles(p);
    EXPECT_EQ(p.MaskFileName, c.kept ? c.name : "") << c.name;
    EXPECT_EQ(p.FonFileName, c.kept ? c.name : "") << c.name;
  }
}

// Sets (or, with nullopt, removes) an environment variable for one scope.
class TEnvVar {
 public:
  TEnvVar(const char* name, std::optional<std::string> value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    Set(value);
  }
  ~TEnvVar() { Set(old_); }

 private:
  void Set(const std::optional<std::string>& value) {
    if (value)
      setenv(name_, value->c_str(), 1);
    else
      unsetenv(name_);
  }
  const char* name_;
  std::optional<std::string> old_;
};

class SettingsFolderTest : public testsupport::TTempDirTest {};

TEST_F(SettingsFolderTest, WritableProgramFolderHoldsTheSettings) {
  TEnvVar xdg("XDG_CONFIG_HOME", Path("config"));
  EXPECT_EQ(SettingsFolder(dir_.string(), "dotweave"), dir_.string());
  EXPECT_FALSE(fs::exists(Path("config"))) << "nothing created elsewhere";
}

TEST_F(SettingsFolderTest, UnusableProgramFolderFallsBackToTheConfigHome) {
  TEnvVar home("HOME", Path("home"));
  struct Case {
    std::optional<std::string> xdg;
    std::string expected;
  } cases[] = {
      {Path("config"), Path("config/dotweave")},
      {std::nullopt, Path("home/.config/dotweave")},
      {"", Path("home/.config/dotweave")},
      {"relative/config", Path("home/.config/dotweave")},  // only absolute paths count
  };
  for (const Case& c : cases) {
    TEnvVar xdg("XDG_CONFIG_HOME", c.xdg);
    // A program folder that does not exist is unwritable even for root.
    EXPECT_EQ(SettingsFolder(Path("no/such/program"), "dotweave"), c.expected)
        << c.xdg.value_or("(unset)");
    EXPECT_TRUE(fs::is_directory(c.expected)) << c.expected;
  }
}

TEST_F(SettingsFolderTest, ReadOnlyProgramFolderFallsBackToTheConfigHome) {
  if (geteuid() == 0) GTEST_SKIP() << "root may write into a read-only folder";
  const std::string program = Path("program");
  fs::create_directory(program);
  chmod(program.c_str(), 0555);
  TEnvVar xdg("XDG_CONFIG_HOME", Path("config"));
  EXPECT_EQ(SettingsFolder(program, "maskwright"), Path("config/maskwright"));
  EXPECT_TRUE(fs::is_directory(Path("config/maskwright")));
  chmod(program.c_str(), 0755);
}

}  // namespace

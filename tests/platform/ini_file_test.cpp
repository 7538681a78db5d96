#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "../support/temp_dir.h"
#include "platform/atomic_file.h"

namespace fs = std::filesystem;

namespace {

class IniFileTest : public testsupport::TTempDirTest {
 protected:
  void SetUp() override {
    TTempDirTest::SetUp();
    path_ = Path("Settings.cfg");
  }
  void Write(const std::string& text) { std::ofstream(path_) << text; }

  std::string path_;
};

TEST_F(IniFileTest, MissingFileGivesDefaults) {
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("Options", "Base", 88), 88);
  EXPECT_EQ(ini.ReadString("Options", "MaskFileName", ""), "");
  EXPECT_TRUE(ini.ReadBool("Options", "ToolBar", true));
  EXPECT_FALSE(fs::exists(path_)) << "reading must not create the file";
}

TEST_F(IniFileTest, IntegerParsing) {
  Write(
      "[Options]\nA=0x50\nB=0X1f\nC= 42 \nD=abc\nE=12abc\nF=-7\nG=\nH=99999999999\nI=0xFFFFFFFF\n");
  TIniFile ini(path_);
  struct Case {
    const char* key;
    int expected;
  } cases[] = {
      {"A", 80}, {"B", 31}, {"C", 42}, {"D", 5}, {"E", 5}, {"F", -7}, {"G", 5}, {"H", 5}, {"I", -1},
  };
  for (const auto& c : cases) EXPECT_EQ(ini.ReadInteger("Options", c.key, 5), c.expected) << c.key;
}

TEST_F(IniFileTest, NamesMatchWithoutRegardToCaseAndKeepOrder) {
  Write("[Colors]\n255=255\nabc=abc\n65280=65280\n[options]\nbase=90\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadInteger("OPTIONS", "Base", 0), 90);
  EXPECT_EQ(ini.ReadSection("colors"), (std::vector<std::string>{"255", "abc", "65280"}));
  ini.WriteInteger("Options", "BASE", 92);
  TIniFile again(path_);
  EXPECT_EQ(again.ReadInteger("options", "base", 0), 92);
  EXPECT_EQ(again.ReadSections(), (std::vector<std::string>{"Colors", "options"}));
}

TEST_F(IniFileTest, StringsAreTrimmedAndCutAt1023) {
  Write("[S]\nshort =  hello world  \nlong=" + std::string(2000, 'x') + "\n");
  TIniFile ini(path_);
  EXPECT_EQ(ini.ReadString("S", "short", ""), "hello world");
  EXPECT_EQ(ini.ReadString("S", "long", "").size(), 1023u);
}

TEST_F(IniFileTest, EveryWriteReachesTheFileAtOnce) {
  TIniFile ini(path_);
  ini.WriteBool("Options", "Randm", true);
  EXPECT_TRUE(TIniFile(path_).ReadBool("Options", "Randm", false));
  ini.WriteString("Options", "MaskFileName", "/tmp/a b.bmp");
  EXPECT_EQ(TIniFile(path_).ReadString("Options", "MaskFileName", ""), "/tmp/a b.bmp");
  ini.EraseSection("Options");
  EXPECT_FALSE(TIniFile(path_).SectionExists("Options"));
}

TEST_F(IniFileTest, BatchWritesOnceAtTheEnd) {
  TIniFile ini(path_);
  {
    TIniFile::TBatch batch(ini);
    ini.WriteInteger("Options", "PWidth", 800);
    EXPECT_FALSE(fs::exists(path_));
    ini.WriteInteger("Options", "PHeight", 600);
  }
  TIniFile again(path_);
  EXPECT_EQ(again.ReadInteger("Options", "PWidth", 0), 800);
  EXPECT_EQ(again.ReadInteger("Options", "PHeight", 0), 600);
}

TEST_F(IniFileTest, LineBreaksInValuesCannotInjectEntries) {
  TIniFile ini(path_);
  ini.WriteString("Options", "MaskFileName", "a\n[Evil]\nBase=3");
  TIniFile again(path_);
  EXPECT_FALSE(again.SectionExists("Evil"));
  EXPECT_EQ(again.ReadInteger("Options", "Base", 88), 88);
}

TEST_F(IniFileTest, UnwritableFileKeepsOldContentAndReportsError) {
  Write("[Options]\nBase=90\n");
  TIniFile ini((dir_ / "missing-folder" / "x.cfg").string());
  ini.WriteInteger("Options", "Base", 92);
  EXPECT_FALSE(ini.LastError().empty());
  EXPECT_EQ(ini.ReadInteger("Options", "Base", 0), 92) << "memory keeps the value";

  TIniFile ok(path_);
  ok.WriteInteger("Options", "Base", 94);
  EXPECT_TRUE(ok.LastError().empty());
}

TEST_F(IniFileTest, NoTemporaryFilesAreLeftBehind) {
  TIniFile ini(path_);
  for (int i = 0; i < 5; ++i) ini.WriteInteger("Options", "Blur", i);
  int files = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++files;
  EXPECT_EQ(files, 1);
}

}  // namespace

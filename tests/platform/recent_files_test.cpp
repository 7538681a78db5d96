#include "platform/recent_files.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Paths = std::vector<std::string>;

std::string Numbered(int i) { return "/m/" + std::to_string(i) + ".bmp"; }

TRecentFiles AddAll(const Paths& paths) {
  TRecentFiles list;
  for (const std::string& p : paths) list.Add(p);
  return list;
}

TEST(RecentFiles, AddKeepsNewestFirstWithoutRepeats) {
  Paths eleven;
  for (int i = 0; i < 11; ++i) eleven.push_back(Numbered(i));
  Paths tenNewest;
  for (int i = 10; i >= 1; --i) tenNewest.push_back(Numbered(i));
  Paths fullThenOldestAgain(eleven.begin(), eleven.begin() + 10);
  fullThenOldestAgain.push_back(Numbered(0));
  Paths oldestMovedUp{Numbered(0)};
  for (int i = 9; i >= 1; --i) oldestMovedUp.push_back(Numbered(i));
  struct Case {
    const char* what;
    Paths added;
    Paths expected;
  } cases[] = {
      {"newest first", {"/a.bmp", "/b.bmp"}, {"/b.bmp", "/a.bmp"}},
      {"repeat moves to top", {"/a.bmp", "/b.bmp", "/a.bmp"}, {"/a.bmp", "/b.bmp"}},
      {"case-insensitive repeat takes the new spelling",
       {"/Masks/Sphere.BMP", "/b.bmp", "/masks/sphere.bmp"},
       {"/masks/sphere.bmp", "/b.bmp"}},
      {"only ASCII letters fold",
       {"/\xc3\x89.bmp", "/\xc3\xa9.bmp"},
       {"/\xc3\xa9.bmp", "/\xc3\x89.bmp"}},
      {"empty path ignored", {"/a.bmp", ""}, {"/a.bmp"}},
      {"eleventh pushes the oldest out", eleven, tenNewest},
      {"a listed path re-added to a full list drops nothing", fullThenOldestAgain, oldestMovedUp},
  };
  for (const Case& c : cases) EXPECT_EQ(AddAll(c.added).Items(), c.expected) << c.what;
}

TEST(RecentFiles, LoadSkipsEmptyValuesAndRepeatsAndReadsTenItems) {
  struct Case {
    const char* text;
    Paths expected;
  } cases[] = {
      {"", {}},
      {"[Recent Masks]\nItem_0=/a.bmp\nItem_1=/b.bmp\n", {"/a.bmp", "/b.bmp"}},
      {"[recent masks]\nitem_1=/b.bmp\nITEM_0=/a.bmp\n", {"/a.bmp", "/b.bmp"}},
      {"[Recent Masks]\nItem_0=\nItem_1=/b.bmp\nItem_3=/d.bmp\n", {"/b.bmp", "/d.bmp"}},
      {"[Recent Masks]\nItem_0=/A.bmp\nItem_1=/a.BMP\nItem_2=/c.bmp\n", {"/A.bmp", "/c.bmp"}},
      {"[Recent Masks]\nItem_9=/j.bmp\nItem_10=/k.bmp\nFoo=/x.bmp\n", {"/j.bmp"}},
      {"[Recent Textures]\nItem_0=/t.bmp\n", {}},
  };
  for (const Case& c : cases) {
    TRecentFiles list = AddAll({"/stale.bmp"});
    list.Load(TIniFile::FromText(c.text), "Recent Masks");
    EXPECT_EQ(list.Items(), c.expected) << c.text;
  }
}

TEST(RecentFiles, SaveReplacesTheSectionAndLoadsBack) {
  TIniFile ini = TIniFile::FromText(
      "[Recent Masks]\nItem_0=/old.bmp\nItem_7=/stale.bmp\nOther=1\n[Keep]\nItem_0=/k.bmp\n");
  const TRecentFiles list = AddAll({"/c.bmp", "/b.bmp", "/a.bmp"});
  list.Save(ini, "Recent Masks");
  EXPECT_EQ(ini.ReadSection("Recent Masks"), (Paths{"Item_0", "Item_1", "Item_2"}));
  EXPECT_EQ(ini.ReadString("Recent Masks", "Item_0", ""), "/a.bmp");
  EXPECT_EQ(ini.ReadString("Keep", "Item_0", ""), "/k.bmp");
  TRecentFiles again;
  again.Load(ini, "Recent Masks");
  EXPECT_EQ(again.Items(), list.Items());

  TRecentFiles().Save(ini, "Recent Masks");
  EXPECT_TRUE(ini.ReadSection("Recent Masks").empty());
}

TEST(RecentFiles, CaptionIsTheFileNameWithoutFolder) {
  struct Case {
    const char* path;
    const char* caption;
  } cases[] = {
      {"/home/u/Masks/sphere.bmp", "sphere.bmp"},
      {"sphere.bmp", "sphere.bmp"},
      {"/a b/R&D mask.png", "R&D mask.png"},
      {"/folder/", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(TRecentFiles::Caption(c.path), c.caption) << c.path;
}

}  // namespace

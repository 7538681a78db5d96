#pragma once
// A recent-file list as the "Mask" and "Texture" menus show it: full paths, newest first, at most
// ten. Adding a path that is already listed (compared without regard to case) moves it to the top;
// a new path goes to the top and pushes the eleventh out; an empty path is ignored. Stored as
// "Item_0" (newest), "Item_1", ...
#include <string>
#include <vector>

#include "platform/ini_file.h"

class TRecentFiles {
 public:
  static constexpr int kCapacity = 10;

  void Add(const std::string& path);
  const std::vector<std::string>& Items() const { return items_; }
  void Clear() { items_.clear(); }

  // Reads Item_0 .. Item_9 of `section`; empty values and repeats are skipped.
  void Load(const TIniFile& ini, const std::string& section);
  // Erases `section` and writes the list from Item_0 on.
  void Save(TIniFile& ini, const std::string& section) const;

  // The menu caption of an entry: the file name without its folder.
  static std::string Caption(const std::string& path);

 private:
  std::vector<std::string> items_;
};

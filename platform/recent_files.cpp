#include "platform/recent_files.h"

#include <algorithm>

namespace {

// ASCII case folding only: the locale must not change which paths count as the same.
char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool SamePath(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return FoldAscii(x) == FoldAscii(y);
         });
}

std::string ItemKey(int index) { return "Item_" + std::to_string(index); }

}  // namespace

void TRecentFiles::Add(const std::string& path) {
  if (path.empty()) return;
  std::erase_if(items_, [&](const std::string& item) { return SamePath(item, path); });
  items_.insert(items_.begin(), path);
  if (items_.size() > static_cast<std::size_t>(kCapacity)) items_.resize(kCapacity);
}

void TRecentFiles::Load(const TIniFile& ini, const std::string& section) {
  items_.clear();
  for (int i = 0; i < kCapacity; ++i) {
    const std::string path = ini.ReadString(section, ItemKey(i), "");
    const bool listed = std::any_of(items_.begin(), items_.end(),
                                    [&](const std::string& item) { return SamePath(item, path); });
    if (!path.empty() && !listed) items_.push_back(path);
  }
}

void TRecentFiles::Save(TIniFile& ini, const std::string& section) const {
  TIniFile::TBatch batch(ini);
  ini.EraseSection(section);
  for (std::size_t i = 0; i < items_.size(); ++i)
    ini.WriteString(section, ItemKey(static_cast<int>(i)), items_[i]);
}

std::string TRecentFiles::Caption(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

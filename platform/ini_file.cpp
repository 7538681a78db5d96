#include "platform/ini_file.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "platform/atomic_file.h"
#include "platform/errors.h"

namespace {

constexpr std::size_t kMaxString = 1023;

std::string Trim(const std::string& s) {
  const auto notSpace = [](unsigned char c) { return !std::isspace(c); };
  auto b = std::find_if(s.begin(), s.end(), notSpace);
  auto e = std::find_if(s.rbegin(), s.rend(), notSpace).base();
  return b < e ? std::string(b, e) : std::string();
}

bool SameName(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
           return std::tolower(x) == std::tolower(y);
         });
}

}  // namespace

bool TIniFile::ParseInteger(const std::string& text, int& out) {
  const std::string t = Trim(text);
  if (t.empty()) return false;
  const char* s = t.c_str();
  bool negative = false;
  if (*s == '+' || *s == '-') negative = (*s++ == '-');
  int base = 10;
  if (s[0] == '0' && (s[1] == 'x' || s[1] == 'X')) {
    base = 16;
    s += 2;
  }
  if (!std::isxdigit(static_cast<unsigned char>(*s))) return false;
  errno = 0;
  char* end = nullptr;
  const long long v = std::strtoll(s, &end, base);
  if (*end != '\0' || errno == ERANGE) return false;
  const long long signedV = negative ? -v : v;
  // Hexadecimal may spell the full 32-bit pattern (0xFFFFFFFF is -1).
  if (base == 16 && !negative && v <= 0xFFFFFFFFLL) {
    out = static_cast<int>(static_cast<unsigned int>(v));
    return true;
  }
  if (signedV < INT_MIN || signedV > INT_MAX) return false;
  out = static_cast<int>(signedV);
  return true;
}

TIniFile::TIniFile(std::string fileName) : fileName_(std::move(fileName)) {
  if (!FileExists(fileName_)) return;
  try {
    Parse(ReadWholeFile(fileName_));
  } catch (const TFileError& e) {
    lastError_ = e.what();
  }
}

TIniFile TIniFile::FromText(const std::string& text) {
  TIniFile ini{std::string()};
  ini.Parse(text);
  return ini;
}

void TIniFile::Parse(const std::string& text) {
  TSection* current = nullptr;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = Trim(text.substr(pos, end - pos));
    pos = end + 1;
    if (line.empty() || line[0] == ';') continue;
    if (line[0] == '[') {
      const std::size_t close = line.find(']');
      const std::string name =
          Trim(line.substr(1, close == std::string::npos ? std::string::npos : close - 1));
      current = FindSection(name);
      if (!current) {
        sections_.push_back({name, {}});
        current = &sections_.back();
      }
      continue;
    }
    const std::size_t eq = line.find('=');
    if (!current) continue;  // entries before any section are not reachable
    std::string key = Trim(eq == std::string::npos ? line : line.substr(0, eq));
    std::string value = eq == std::string::npos ? std::string() : Trim(line.substr(eq + 1));
    if (key.empty()) continue;
    auto it = std::find_if(current->entries.begin(), current->entries.end(),
                           [&](const TEntry& e) { return SameName(e.key, key); });
    if (it == current->entries.end()) current->entries.push_back({key, value});
  }
}

std::string TIniFile::Serialize() const {
  std::string out;
  for (const TSection& s : sections_) {
    out += '[' + s.name + "]\n";
    for (const TEntry& e : s.entries) out += e.key + '=' + e.value + '\n';
    out += '\n';
  }
  return out;
}

const TIniFile::TSection* TIniFile::FindSection(const std::string& name) const {
  for (const TSection& s : sections_)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

TIniFile::TSection* TIniFile::FindSection(const std::string& name) {
  for (TSection& s : sections_)
    if (SameName(s.name, name)) return &s;
  return nullptr;
}

const TIniFile::TEntry* TIniFile::FindEntry(const std::string& section,
                                            const std::string& key) const {
  const TSection* s = FindSection(section);
  if (!s) return nullptr;
  for (const TEntry& e : s->entries)
    if (SameName(e.key, key)) return &e;
  return nullptr;
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& def) const {
  const TEntry* e = FindEntry(section, key);
  if (!e) return def;
  return e->value.substr(0, kMaxString);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int def) const {
  const TEntry* e = FindEntry(section, key);
  int v = 0;
  return (e && ParseInteger(e->value, v)) ? v : def;
}

bool TIniFile::ReadBool(const std::string& section, const std::string& key, bool def) const {
  return ReadInteger(section, key, def ? 1 : 0) != 0;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  // A line break in a value would become a new entry when the file is read back.
  std::string clean = value;
  std::replace(clean.begin(), clean.end(), '\n', ' ');
  std::replace(clean.begin(), clean.end(), '\r', ' ');
  clean = Trim(clean);
  TSection* s = FindSection(section);
  if (!s) {
    sections_.push_back({Trim(section), {}});
    s = &sections_.back();
  }
  auto it = std::find_if(s->entries.begin(), s->entries.end(),
                         [&](const TEntry& e) { return SameName(e.key, key); });
  if (it == s->entries.end())
    s->entries.push_back({Trim(key), clean});
  else
    it->value = clean;
  Changed();
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}

void TIniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

std::vector<std::string> TIniFile::ReadSection(const std::string& section) const {
  std::vector<std::string> keys;
  if (const TSection* s = FindSection(section))
    for (const TEntry& e : s->entries) keys.push_back(e.key);
  return keys;
}

std::vector<std::string> TIniFile::ReadSections() const {
  std::vector<std::string> names;
  for (const TSection& s : sections_) names.push_back(s.name);
  return names;
}

bool TIniFile::SectionExists(const std::string& section) const {
  return FindSection(section) != nullptr;
}

bool TIniFile::ValueExists(const std::string& section, const std::string& key) const {
  return FindEntry(section, key) != nullptr;
}

void TIniFile::EraseSection(const std::string& section) {
  auto it = std::find_if(sections_.begin(), sections_.end(),
                         [&](const TSection& s) { return SameName(s.name, section); });
  if (it == sections_.end()) return;
  sections_.erase(it);
  Changed();
}

void TIniFile::DeleteKey(const std::string& section, const std::string& key) {
  TSection* s = FindSection(section);
  if (!s) return;
  auto it = std::find_if(s->entries.begin(), s->entries.end(),
                         [&](const TEntry& e) { return SameName(e.key, key); });
  if (it == s->entries.end()) return;
  s->entries.erase(it);
  Changed();
}

void TIniFile::Changed() {
  dirty_ = true;
  if (batchDepth_ == 0) Flush();
}

bool TIniFile::Flush() {
  if (fileName_.empty()) {
    dirty_ = false;
    return true;
  }
  try {
    WriteFileAtomically(fileName_, Serialize());
    dirty_ = false;
    lastError_.clear();
    return true;
  } catch (const TFileError& e) {
    lastError_ = e.what();
    return false;
  }
}

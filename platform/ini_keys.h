#pragma once
// A settings key declared once: its name and the field of a settings struct that holds it, so that
// one table drives both the load and the save of a section.
#include <cstring>
#include <span>
#include <string>
#include <type_traits>
#include <variant>

#include "platform/ini_file.h"

template <class T>
struct TIniKey {
  const char* name;
  std::variant<int T::*, bool T::*, std::string T::*> field;
};

// Reads one key into `target`; a missing or unreadable value gives the field of `defaults`.
template <class T>
void ReadIniKey(const TIniFile& ini, const std::string& section, const TIniKey<T>& key, T& target,
                const T& defaults) {
  std::visit(
      [&](auto field) {
        using Field = std::remove_reference_t<decltype(target.*field)>;
        if constexpr (std::is_same_v<Field, int>)
          target.*field = ini.ReadInteger(section, key.name, defaults.*field);
        else if constexpr (std::is_same_v<Field, bool>)
          target.*field = ini.ReadBool(section, key.name, defaults.*field);
        else
          target.*field = ini.ReadString(section, key.name, defaults.*field);
      },
      key.field);
}

template <class T>
void WriteIniKey(TIniFile& ini, const std::string& section, const TIniKey<T>& key,
                 const T& source) {
  std::visit(
      [&](auto field) {
        using Field = std::remove_cvref_t<decltype(source.*field)>;
        if constexpr (std::is_same_v<Field, int>)
          ini.WriteInteger(section, key.name, source.*field);
        else if constexpr (std::is_same_v<Field, bool>)
          ini.WriteBool(section, key.name, source.*field);
        else
          ini.WriteString(section, key.name, source.*field);
      },
      key.field);
}

// The entry of `keys` with exactly this name, or nullptr.
template <class T>
const TIniKey<T>* FindIniKey(std::span<const TIniKey<T>> keys, const char* name) {
  for (const TIniKey<T>& key : keys)
    if (std::strcmp(key.name, name) == 0) return &key;
  return nullptr;
}

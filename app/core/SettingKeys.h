// How a settings section is stored: a table that binds each key to a field
// of the section's struct. One table serves reading, writing and the
// defaults (a default-constructed struct), so a key cannot be read under one
// name and written under another.
//
//   constexpr TSettingKey<TProtArtSettings> kProtArtKeys[] = {
//       {"chkColorNeg_Checked", &TProtArtSettings::chkColorNeg}, …};
//   ReadKeys(ini, "ProtArt", kProtArtKeys, values);
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <variant>

class TIniFile;

template <class T>
struct TSettingKey {
  std::string_view Key;
  std::variant<bool T::*, int T::*, std::string T::*> Field;
};

// A text longer than this is not a setting of ours: it is refused.
inline constexpr std::size_t kMaxSettingText = 4096;

// Each reads one key into field, which holds the default on entry. A value
// that cannot be read keeps the default and is reported (location 16).
void ReadSettingKey(const TIniFile& ini, std::string_view section, std::string_view key, bool& field);
void ReadSettingKey(const TIniFile& ini, std::string_view section, std::string_view key, int& field);
void ReadSettingKey(const TIniFile& ini, std::string_view section, std::string_view key, std::string& field);

void WriteSettingKey(TIniFile& ini, std::string_view section, std::string_view key, bool value);
void WriteSettingKey(TIniFile& ini, std::string_view section, std::string_view key, int value);
void WriteSettingKey(TIniFile& ini, std::string_view section, std::string_view key, const std::string& value);

template <class T>
void ReadKeys(const TIniFile& ini, std::string_view section, std::span<const TSettingKey<T>> keys, T& values) {
  for (const TSettingKey<T>& k : keys)
    std::visit([&](auto member) { ReadSettingKey(ini, section, k.Key, values.*member); }, k.Field);
}

template <class T>
void WriteKeys(TIniFile& ini, std::string_view section, std::span<const TSettingKey<T>> keys, const T& values) {
  for (const TSettingKey<T>& k : keys)
    std::visit([&](auto member) { WriteSettingKey(ini, section, k.Key, values.*member); }, k.Field);
}

#include "core/SettingKeys.h"

#include "core/ErrorReport.h"
#include "core/IniFile.h"

namespace {

constexpr std::string_view kLocation = "16";

void ReportUnreadable(std::string_view section, std::string_view key, std::string_view why) {
  std::string text;
  text.reserve(section.size() + key.size() + why.size() + 40);
  text.append("Tamarik.ini [").append(section).append("] ").append(key).append(": ").append(why);
  text.append(", default used");
  ReportError(kLocation, text);
}

// A shortened copy of a bad value for the report.
std::string Shown(const std::string& value) {
  std::string shown;
  shown.reserve(50);
  shown.push_back('\'');
  shown.append(value.substr(0, 40));
  if (value.size() > 40) shown.append("...");
  shown.push_back('\'');
  return shown;
}

}  // namespace

void ReadSettingKey(const TIniFile& ini, std::string_view section, std::string_view key, int& field) {
  if (!ini.ValueExists(section, key)) return;
  // Two different defaults come back only for a value that is no number.
  const int a = ini.ReadInteger(section, key, 0);
  const int b = ini.ReadInteger(section, key, 1);
  if (a != b) {
    ReportUnreadable(section, key, Shown(ini.ReadString(section, key, "")) + " is not a number");
    return;
  }
  field = a;
}

void ReadSettingKey(const TIniFile& ini, std::string_view section, std::string_view key, bool& field) {
  int value = field ? 1 : 0;
  ReadSettingKey(ini, section, key, value);
  field = value != 0;
}

void ReadSettingKey(const TIniFile& ini, std::string_view section, std::string_view key, std::string& field) {
  if (!ini.ValueExists(section, key)) return;
  std::string value = ini.ReadString(section, key, field);
  if (value.size() > kMaxSettingText) {
    ReportUnreadable(section, key, "value of " + std::to_string(value.size()) + " characters is too long");
    return;
  }
  field = std::move(value);
}

void WriteSettingKey(TIniFile& ini, std::string_view section, std::string_view key, bool value) {
  ini.WriteBool(section, key, value);
}

void WriteSettingKey(TIniFile& ini, std::string_view section, std::string_view key, int value) {
  ini.WriteInteger(section, key, value);
}

void WriteSettingKey(TIniFile& ini, std::string_view section, std::string_view key, const std::string& value) {
  ini.WriteString(section, key, value);
}

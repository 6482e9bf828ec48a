#include "plugin/PlugInSettings.h"

#include "core/IniFile.h"
#include "core/Settings.h"

namespace {
constexpr const char* kSection = "PlugIn";
}

TPlugInSettings ReadPlugInSettings(const TIniFile& ini) {
  TPlugInSettings values;
  values.DllName = ini.ReadString(kSection, "DllName", "");
  values.Aktiv = ini.ReadBool(kSection, "Aktiv", false);
  return values;
}

void RegisterPlugInSettings(TSettings& settings, TPlugInSettings& values) {
  settings.Register({kSection, [&values](const TIniFile& ini) { values = ReadPlugInSettings(ini); },
                     [&values](TIniFile& ini) {
                       ini.WriteString(kSection, "DllName", values.DllName);
                       ini.WriteBool(kSection, "Aktiv", values.Aktiv);
                     }});
}

std::string StoredDllName(std::string_view chosenPath, std::string_view programDir) {
  const std::size_t slash = chosenPath.rfind('/');
  if (slash == std::string_view::npos) return std::string(chosenPath);
  std::string_view dir = chosenPath.substr(0, slash);
  while (programDir.size() > 1 && programDir.ends_with('/')) programDir.remove_suffix(1);
  if (dir == programDir) return std::string(chosenPath.substr(slash + 1));
  return std::string(chosenPath);
}

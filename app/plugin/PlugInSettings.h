// Section "PlugIn" of Tamarik.ini: the library's name and whether it is in
// use. Both front ends read it; the window writes it back at exit.
#pragma once

#include <string>
#include <string_view>

class TIniFile;
class TSettings;

struct TPlugInSettings {
  std::string DllName;  // edPlugInDLL
  bool Aktiv = false;   // chkUsePlugin: loads the library at start
};

TPlugInSettings ReadPlugInSettings(const TIniFile& ini);

// Reads the section now (or at Load) and writes values at every Save; values
// must outlive settings.
void RegisterPlugInSettings(TSettings& settings, TPlugInSettings& values);

// The name kept for a chosen file: the bare file name when it lies in the
// program's directory, the full path otherwise.
std::string StoredDllName(std::string_view chosenPath, std::string_view programDir);

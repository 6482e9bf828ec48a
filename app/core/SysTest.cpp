#include "core/SysTest.h"

#include <sys/utsname.h>

#include "core/IniFile.h"

namespace {

constexpr std::string_view kSection = "SysTest";

// Languages written with large character sets, and those written right to left.
bool FarEast(int primaryLanguage) {
  return primaryLanguage == 0x04 || primaryLanguage == 0x11 || primaryLanguage == 0x12;  // zh, ja, ko
}
bool MiddleEast(int primaryLanguage) {
  return primaryLanguage == 0x01 || primaryLanguage == 0x0D;  // ar, he
}

}  // namespace

void TSysTestInfo::Write(TIniFile& ini) const {
  ini.EraseSection(kSection);
  ini.WriteString(kSection, "ShortDateFormat", ShortDateFormat);
  ini.WriteString(kSection, "LongTimeFormat", LongTimeFormat);
  ini.WriteBool(kSection, "FoundHelpFile", FoundHelpFile);
  ini.WriteString(kSection, "SysColorCount", std::to_string(SysColorCount));
  const int primary = LocaleNumber & 0x3FF;
  ini.WriteInteger(kSection, "SysLocale_PriLangID", primary);
  ini.WriteInteger(kSection, "SysLocale_SubLangID", LocaleNumber >> 10);
  ini.WriteInteger(kSection, "SysLocale_DefaultLCID", LocaleNumber);
  ini.WriteBool(kSection, "SysLocale_FarEast", FarEast(primary));
  ini.WriteBool(kSection, "SysLocale_MiddleEast", MiddleEast(primary));
  std::string ports;
  for (const std::string& port : SerialPorts) {
    if (!ports.empty()) ports.append(", ");
    ports.append(port);
  }
  ini.WriteString(kSection, "grpSSA_Items_Text", ports);
  ini.WriteString(kSection, "Win32Platform", Platform);
  ini.WriteString(kSection, "Win32Version", KernelRelease);
  if (!ErrorString.empty()) ini.WriteString(kSection, "sErrorString", ErrorString);
  if (!USBDriverVersion.empty()) ini.WriteString(kSection, "sUSBDspyV", USBDriverVersion);
}

long ColorCountOfDepth(int bitsPerPixel) {
  if (bitsPerPixel <= 0) return 0;
  return 1L << (bitsPerPixel > 24 ? 24 : bitsPerPixel);
}

std::string KernelRelease() {
  struct utsname names {};
  if (::uname(&names) != 0) return {};
  return names.release;
}

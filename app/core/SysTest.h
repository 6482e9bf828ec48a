// Section SysTest: facts about the system, written at every exit for
// support and read by nobody.
#pragma once

#include <string>
#include <vector>

class TIniFile;

struct TSysTestInfo {
  std::string ShortDateFormat;  // the system's date and time patterns as found at start
  std::string LongTimeFormat;
  bool FoundHelpFile = false;
  long SysColorCount = 0;  // colours of the display (2^depth, at most 2^24); 0 without a display
  int LocaleNumber = 0;    // the POSIX locale as a locale number (0: "C" or unknown)
  std::vector<std::string> SerialPorts;  // the ports found for port A's list
  std::string Platform = "Linux";
  std::string KernelRelease;  // uname's release
  std::string ErrorString;    // the error list; written only when not empty
  std::string USBDriverVersion;  // written only when known

  // Replaces the section by these values.
  void Write(TIniFile& ini) const;
};

// 2 to the power of the bits per pixel, at most 2^24.
long ColorCountOfDepth(int bitsPerPixel);
// The release of the running kernel (uname), empty when unknown.
std::string KernelRelease();

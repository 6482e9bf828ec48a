// The access check: on Linux no kernel driver is installed, so what can be
// missing is the right to open the box. When a box is present but cannot be
// opened for lack of permission, the user is offered our udev rule. The
// driver version check stays. No window in here.
#pragma once

#include <cstdint>
#include <string>

class TEzUsb;

inline constexpr const char* kUdevRuleFileName = "60-tamarik.rules";
inline constexpr const char* kSystemRuleFolder = "/etc/udev/rules.d";
// The driver version the program needs at least.
inline constexpr uint16_t kNeededMajor = 1, kNeededMinor = 1, kNeededBuild = 14869;

// The rule file as shipped.
std::string UdevRuleText();

bool DriverOutdated(uint16_t major, uint16_t minor, uint16_t build);

enum class TAccessVerdict {
  Fine,          // the box opens and the driver is current
  NoDevice,      // nothing to open: nothing to install either
  NoPermission,  // a box is on USB but may not be opened: offer the rule
  Outdated,      // opened, but the driver library is older than needed
};

struct TAccessFacts {
  bool Opened = false;    // the access layer opened the chosen device
  int Present = 0;        // boxes seen on USB
  int Denied = 0;         // of those, refused for lack of permission
  uint16_t Major = 0, Minor = 0, Build = 0;  // when opened
};

TAccessVerdict AccessVerdict(const TAccessFacts& facts);

// Opens the chosen device through the access layer, reads the version and
// asks USB which boxes are present and which are refused.
TAccessFacts GatherAccessFacts(TEzUsb& usb);

// Where the rule goes by default: the system folder when this program may
// write there, else `fallback` (the program's folder, say).
std::string DefaultRuleFolder(const std::string& fallback, const std::string& systemFolder = kSystemRuleFolder);

struct TRuleWrite {
  bool Ok = false;
  bool FolderFailed = false;  // the folder could not be created
  std::string Path;           // the file written
  std::string Error;
};
// Writes the rule into `folder`, creating it when missing. Never leaves a
// half-written file under the rule's name.
TRuleWrite WriteUdevRule(const std::string& folder);

// What the user still has to do after the rule was written to `path`:
// copy it into the system folder (unless it is there) and reload the rules.
std::string ReloadInstructions(const std::string& path, const std::string& systemFolder = kSystemRuleFolder);

#include "UsbAccessCheck.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "EZUSB.h"
#include "TamarikUsb.h"

namespace fs = std::filesystem;

bool DriverOutdated(uint16_t major, uint16_t minor, uint16_t build) {
  if (major != kNeededMajor) return major < kNeededMajor;
  if (minor != kNeededMinor) return minor < kNeededMinor;
  return build < kNeededBuild;
}

TAccessVerdict AccessVerdict(const TAccessFacts& facts) {
  if (facts.Opened) return DriverOutdated(facts.Major, facts.Minor, facts.Build) ? TAccessVerdict::Outdated : TAccessVerdict::Fine;
  if (facts.Denied > 0) return TAccessVerdict::NoPermission;
  return TAccessVerdict::NoDevice;
}

TAccessFacts GatherAccessFacts(TEzUsb& usb) {
  TAccessFacts facts;
  if (usb.UsbReopen()) facts.Opened = usb.UsbGetDriverVersion(facts.Major, facts.Minor, facts.Build);
  if (!facts.Opened) {
    const tamarikusb::TAccessProbe probe = tamarikusb::ProbeRealChipAccess();
    facts.Present = probe.present;
    facts.Denied = probe.denied;
  }
  return facts;
}

std::string DefaultRuleFolder(const std::string& fallback, const std::string& systemFolder) {
  return ::access(systemFolder.c_str(), W_OK) == 0 ? systemFolder : fallback;
}

TRuleWrite WriteUdevRule(const std::string& folder) {
  TRuleWrite result;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (!fs::is_directory(folder, ec)) {
    result.FolderFailed = true;
    result.Error = folder;
    return result;
  }
  result.Path = (fs::path(folder) / kUdevRuleFileName).string();
  const std::string temp = result.Path + ".new";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    const std::string text = UdevRuleText();
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      fs::remove(temp, ec);
      result.Error = temp;
      return result;
    }
  }
  fs::permissions(temp, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read,
                  ec);
  fs::rename(temp, result.Path, ec);
  if (ec) {
    fs::remove(temp, ec);
    result.Error = result.Path;
    return result;
  }
  result.Ok = true;
  return result;
}

std::string ReloadInstructions(const std::string& path, const std::string& systemFolder) {
  std::string text;
  const fs::path target = fs::path(systemFolder) / kUdevRuleFileName;
  if (fs::path(path).lexically_normal() != target.lexically_normal())
    text += "sudo cp '" + path + "' " + systemFolder + "/\n";
  text += "sudo udevadm control --reload-rules\nsudo udevadm trigger";
  return text;
}

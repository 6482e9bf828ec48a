#include "core/InstallPaths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#ifndef TAMARIK_DATA_FROM_BIN
#define TAMARIK_DATA_FROM_BIN "../share/tamarik"
#endif

namespace fs = std::filesystem;

namespace {

constexpr const char* kHelp = "help";
constexpr const char* kLanguageFile = "Language.txt";

bool IsDir(const fs::path& path) {
  std::error_code ec;
  return fs::is_directory(path, ec);
}

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool Writable(const fs::path& path) { return ::access(path.c_str(), W_OK) == 0; }

}  // namespace

std::string ProgramDataDirectory(const std::string& programDir) {
  const fs::path beside(programDir);
  if (IsDir(beside / kHelp)) return beside.string();
  const fs::path installed = (beside / TAMARIK_DATA_FROM_BIN).lexically_normal();
  if (IsDir(installed)) return installed.string();
  return beside.string();
}

std::string HelpFolder(const std::string& programDir) {
  return (fs::path(ProgramDataDirectory(programDir)) / kHelp).string();
}

bool HelpPagesPresent(const std::string& programDir) { return IsDir(HelpFolder(programDir)); }

std::string UserConfigDirectory() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return (fs::path(config) / "tamarik").string();
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] == '/') return (fs::path(home) / ".config" / "tamarik").string();
  return {};
}

std::string MakeUserConfigDirectory() {
  const std::string dir = UserConfigDirectory();
  if (dir.empty()) return {};
  std::error_code ec;
  fs::create_directories(dir, ec);
  return IsDir(dir) ? dir : std::string();
}

bool InstalledProgram(const std::string& programDir) {
  return fs::path(ProgramDataDirectory(programDir)) != fs::path(programDir);
}

std::string LanguageFileFor(const std::string& programDir) {
  const fs::path beside = fs::path(programDir) / kLanguageFile;
  if (Exists(beside) && Writable(beside)) return beside.string();
  // An installed program never writes into its prefix, even where it could.
  if (!Exists(beside) && !InstalledProgram(programDir) && Writable(programDir)) return beside.string();
  const std::string config = UserConfigDirectory();
  return config.empty() ? beside.string() : (fs::path(config) / kLanguageFile).string();
}

std::string InstalledLanguageTemplates(const std::string& programDir) {
  const fs::path templates = fs::path(ProgramDataDirectory(programDir)) / kLanguageFile;
  return Exists(templates) ? templates.string() : std::string();
}

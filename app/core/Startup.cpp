#include "core/Startup.h"

#include <unistd.h>

#include <array>
#include <filesystem>

#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "core/ErrorLogFile.h"
#include "core/ErrorReport.h"
#include "core/InstallPaths.h"
#include "core/LocaleLanguage.h"

namespace {

// "<what> '<pattern>' cannot be read, <fallback> used"
std::string UnreadableFormat(std::string_view what, std::string_view pattern, std::string_view fallback) {
  std::string text;
  text.reserve(what.size() + pattern.size() + fallback.size() + 32);
  text.append(what).append(" '").append(pattern).append("' cannot be read, ").append(fallback).append(" used");
  return text;
}

}  // namespace

std::string CurrentDirectory() {
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::current_path(ec);
  return ec ? std::string() : dir.string();
}

std::string ProgramDirectory() {
  std::array<char, 4096> buffer{};
  const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size() - 1);
  if (length <= 0) return {};
  return std::filesystem::path(std::string(buffer.data(), static_cast<std::size_t>(length))).parent_path().string();
}

TStartup::TStartup(TStartupOptions options)
    : errorLog_(options.ErrorLog != nullptr ? options.ErrorLog : &ProgramErrorLog()) {
  std::string startDir = options.StartDir.empty() ? CurrentDirectory() : options.StartDir;
  const bool startDirUnknown = startDir.empty();
  if (startDirUnknown) startDir.assign(1, '.');
  errorLog_->SetPath(PathInDir(startDir, TErrorLogFile::kFileName));
  commandLine_ = ParseCommandLine(options.Arguments);
  errorLog_->SetEnabled(commandLine_.ErrLog);
  errorLog_->Write(StartupLogLine(commandLine_));
  DebugMode.store(commandLine_.DebugMode);
  if (commandLine_.DebugMode) errorLog_->Write("DebugMode active.");

  errors_ = std::make_unique<TErrorReport>(*errorLog_);
  errors_->Install();
  if (startDirUnknown) ReportError("16", "the current directory cannot be read; settings are kept in '.'");

  formats_ = ReadSystemFormats();
  if (!formats_.ShortDateOk)
    ReportError("1.0", UnreadableFormat("ShortDateFormat", formats_.FoundShortDate, "dd.mm.yyyy"));

  AppClosing.store(false);
  TcpOff.store(commandLine_.TcpOff);

  // Help is the HTML pages, one folder per language.
  helpFile_ = HelpFolder(options.ProgramDir);
  foundHelpFile_ = HelpPagesPresent(options.ProgramDir);

  ServiceMode.store(commandLine_.ServiceMode);

  settings_ = std::make_unique<TSettings>(startDir);
  errors_->AttachIni(settings_->Ini());
  settings_->Load();

  BuildTimeFormat(settings_->Values().FrmMain.chkMs);
}

TStartup::~TStartup() {
  if (errors_) errors_->Uninstall();
}

const std::string& TStartup::BuildTimeFormat(bool withMs) {
  bool ok = true;
  timeFmt_ = BuildTimeFmt(withMs, &ok);
  if (!ok) ReportError("18", UnreadableFormat("LongTimeFormat", formats_.FoundLongTime, "hh:nn:ss"));
  return timeFmt_;
}

TSysTestInfo TStartup::SysTest() const {
  TSysTestInfo info;
  info.ShortDateFormat = formats_.FoundShortDate;
  info.LongTimeFormat = formats_.FoundLongTime;
  info.FoundHelpFile = foundHelpFile_;
  info.LocaleNumber = SystemLocaleNumber();
  info.KernelRelease = KernelRelease();
  info.ErrorString = errors_->ListText();
  return info;
}

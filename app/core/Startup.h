// What the program does at start before any control exists, shared by the
// window and the terminal front end: the switches, the error log and the
// error report, the system formats, the help file's place, the settings and
// the time format. Construct it first thing; it lives as long as the program.
//
// Order (as the window's creation needs it): start directory and error log,
// "/ERRLOG" ("Startup Tamarik." line), "/DEBUGMODE" ("DebugMode active."),
// the error report, the date format (failure: location 1.0), AppClosing off,
// "/TCPOFF", the help file, the service switch, Tamarik.ini (read-only
// rule, every key), the time format (failure: location 18).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/CommandLine.h"
#include "core/ErrorReporting.h"
#include "core/Settings.h"
#include "core/SysTest.h"
#include "core/SystemFormats.h"

class TErrorLogFile;

struct TStartupOptions {
  std::vector<std::string> Arguments;  // without the program name
  std::string StartDir;    // empty: the current directory
  std::string ProgramDir;  // the folder of the program; the help pages are looked for from there
  TErrorLogFile* ErrorLog = nullptr;  // nullptr: the program's error log
};

class TStartup {
 public:
  explicit TStartup(TStartupOptions options);
  ~TStartup();
  TStartup(const TStartup&) = delete;
  TStartup& operator=(const TStartup&) = delete;

  const TCommandLine& CommandLine() const { return commandLine_; }
  const std::string& StartDir() const { return settings_->StartDir(); }
  TSettings& Settings() { return *settings_; }
  TErrorReport& Errors() { return *errors_; }
  TErrorLogFile& ErrorLog() { return *errorLog_; }

  // The help pages' folder (beside the program or in the install prefix).
  const std::string& HelpFile() const { return helpFile_; }
  bool FoundHelpFile() const { return foundHelpFile_; }

  const TSystemFormats& Formats() const { return formats_; }
  // The time format of the trace; rebuild it when chkMs changes.
  const std::string& TimeFmt() const { return timeFmt_; }
  const std::string& BuildTimeFormat(bool withMs);

  // SysTest with everything known without a window; the window adds the
  // colour count, the port list and the USB driver version.
  TSysTestInfo SysTest() const;

 private:
  TCommandLine commandLine_;
  TErrorLogFile* errorLog_;
  std::unique_ptr<TErrorReport> errors_;
  std::unique_ptr<TSettings> settings_;
  TSystemFormats formats_;
  std::string helpFile_;
  bool foundHelpFile_ = false;
  std::string timeFmt_;
};

// The directory of the running program.
std::string ProgramDirectory();
// The current directory, empty when it cannot be read.
std::string CurrentDirectory();

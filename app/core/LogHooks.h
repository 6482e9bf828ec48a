// What the online and the raw-data log need from the window: the dialogs,
// the question, the beep, the check box and the clock. Every hook is
// optional; a missing one takes the quiet default.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "core/LogDevice.h"

inline constexpr std::string_view kLogRecreateQuestion =
    "Die Datei ist schon vorhanden.\nWollen Sie die Datei löschen und neu erzeugen?";
// The same question in the program's language.
std::string LogRecreateQuestion();

// The dialog's file name and its 1-based filter index.
struct TLogFileChoice {
  std::string FileName;
  int FilterIndex = 1;
};

enum TLogStartMode {
  lsUser,     // the check box: dialog and question
  lsRestore,  // the first activation restores the stored state: neither
  lsRotate,   // a new file by the rotation rule: neither
};

struct TLogHooks {
  // The save dialog, preselected; nullopt when cancelled. Missing: the
  // proposed name is taken. Window thread.
  std::function<std::optional<TLogFileChoice>(const TLogFileChoice& proposed)> ShowSaveDialog;
  // The question whether to delete an existing file; true for Yes.
  // Missing: No (the file is appended to). Window thread.
  std::function<bool(std::string_view question)> AskYesNo;
  // The warning beep on failure. Any thread.
  std::function<void()> Beep;
  // The log cleared its check state by itself (failure, cancelled dialog).
  // Any thread: a rotation or a failing write runs on the consumer thread.
  std::function<void()> Unchecked;
  // The log stopped on a failure (after Unchecked); the error says why. Any thread.
  std::function<void(std::string_view error)> Stopped;
  // An error-log line ("UserAction: …"). Any thread.
  std::function<void(std::string_view line)> WriteErrorLog;
  // A message for the status line. Window thread.
  std::function<void(std::string_view text)> StatusLine;
  // The clock (local date-time). Missing: NowDateTime.
  std::function<double()> Now;
  // Where "[COMn]"/"[LPTn]" lead. Missing: DefaultLogDevicePath.
  TLogDevicePathMap DevicePath;
};

// What a failed or finished operation has to tell the window; delivered
// after the log's lock is released, so a hook may call back into the log.
struct TLogNotices {
  bool Beep = false;
  bool Unchecked = false;
  std::string Error;
  std::string Warning;  // not a failure: the log runs, but the user must know
  std::string ErrorLogLine;
};

// Hands the notices to the hooks and reports an error at `location`.
void DeliverLogNotices(const TLogHooks& hooks, const TLogNotices& notices, std::string_view location);
double LogNow(const TLogHooks& hooks);
std::string LogDevicePath(const TLogHooks& hooks, const TLogDeviceName& device);

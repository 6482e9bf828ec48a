// How the online and the raw-data log start: the save dialog, one moment for
// the name and the start, closing what was open, the question whether to
// begin the files anew (asked without the log's lock, so the trace keeps
// flowing) and opening. The log supplies the steps that differ.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/LogHooks.h"

struct TLogStartSteps {
  // The files the chosen name leads to at `now`; the ones the question may
  // delete are returned (none for a port device).
  std::function<std::vector<std::string>(const TLogFileChoice& choice, double now)> Plan;
  // Under the log's lock: keeps the choice and closes what is open.
  std::function<void(const TLogFileChoice& choice, TLogNotices& notices)> TakeChoiceLocked;
  // Under the log's lock: opens by the plan; false when it failed.
  std::function<bool(double now, TLogNotices& notices)> OpenLocked;
  // Under the log's lock: stops on an error.
  std::function<void(const std::string& error, TLogNotices& notices)> FailLocked;
};

// Runs the start; the caller delivers the notices. False when the dialog was
// cancelled (the check state cleared) or opening failed.
bool StartLog(const TLogHooks& hooks, TLogStartMode mode, TLogFileChoice choice, std::string_view userAction,
              std::mutex& lock, std::atomic<bool>& checked, const TLogStartSteps& steps, TLogNotices& notices);

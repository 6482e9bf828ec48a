#include "core/LogStart.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
bool AnyExists(const std::vector<std::string>& paths) {
  for (const std::string& path : paths)
    if (!path.empty() && ::access(path.c_str(), F_OK) == 0) return true;
  return false;
}

// The first error wins; every file is still tried.
std::string DeleteAll(const std::vector<std::string>& paths) {
  std::string error;
  for (const std::string& path : paths)
    if (!path.empty() && ::unlink(path.c_str()) != 0 && errno != ENOENT && error.empty())
      error = "Cannot delete '" + path + "': " + std::strerror(errno);
  return error;
}
}  // namespace

bool StartLog(const TLogHooks& hooks, TLogStartMode mode, TLogFileChoice choice, std::string_view userAction,
              std::mutex& lock, std::atomic<bool>& checked, const TLogStartSteps& steps, TLogNotices& notices) {
  if (mode == lsUser && hooks.ShowSaveDialog) {
    const auto chosen = hooks.ShowSaveDialog(choice);
    if (!chosen) {
      checked.store(false);
      notices.Unchecked = true;
      return false;
    }
    choice = *chosen;
  }
  notices.ErrorLogLine = userAction;
  // One moment for the name and the start, so the rotation rules judge the
  // file by the time in its name.
  const double now = LogNow(hooks);
  const std::vector<std::string> files = steps.Plan(choice, now);
  {
    std::lock_guard guard(lock);
    steps.TakeChoiceLocked(choice, notices);
    checked.store(true);
  }
  // The question waits for the user without the lock: the trace keeps
  // flowing meanwhile (unlogged, the log is not open yet).
  std::string error;
  if (mode == lsUser && AnyExists(files) && hooks.AskYesNo && hooks.AskYesNo(LogRecreateQuestion()))
    error = DeleteAll(files);
  std::lock_guard guard(lock);
  if (!error.empty()) {
    steps.FailLocked(error, notices);
    return false;
  }
  return steps.OpenLocked(now, notices);
}

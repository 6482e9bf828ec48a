#include "core/LogHooks.h"

#include "core/DateTime.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/TextIds.h"

std::string LogRecreateQuestion() { return GetText(TextId::MsgFileExists); }

void DeliverLogNotices(const TLogHooks& hooks, const TLogNotices& notices, std::string_view location) {
  if (!notices.ErrorLogLine.empty() && hooks.WriteErrorLog) hooks.WriteErrorLog(notices.ErrorLogLine);
  if (notices.Beep && hooks.Beep) hooks.Beep();
  if (notices.Unchecked && hooks.Unchecked) hooks.Unchecked();
  if (notices.Unchecked && !notices.Error.empty() && hooks.Stopped) hooks.Stopped(notices.Error);
  if (!notices.Error.empty()) ReportError(location, notices.Error);
  if (!notices.Warning.empty()) {
    if (hooks.StatusLine) hooks.StatusLine(notices.Warning);
    ReportError(location, notices.Warning);
  }
}

double LogNow(const TLogHooks& hooks) { return hooks.Now ? hooks.Now() : NowDateTime(); }

std::string LogDevicePath(const TLogHooks& hooks, const TLogDeviceName& device) {
  return hooks.DevicePath ? hooks.DevicePath(device) : DefaultLogDevicePath(device);
}

#include "core/OnlineLog.h"

#include "core/DateTime.h"
#include "core/ErrorReport.h"
#include "core/LogNames.h"
#include "core/LogStart.h"

namespace {
constexpr std::string_view kLocation = "25";
}

TOnlineLog::TOnlineLog(TLogHooks hooks) : hooks_(std::move(hooks)) {}

TOnlineLog::~TOnlineLog() {
  TLogNotices notices;
  {
    std::lock_guard lock(lock_);
    CloseLocked(notices);
  }
  if (!notices.Error.empty()) ReportError(kLocation, notices.Error);
}

void TOnlineLog::SetFileChoice(const TLogFileChoice& choice) {
  std::lock_guard lock(lock_);
  choice_ = choice;
}

TLogFileChoice TOnlineLog::FileChoice() const {
  std::lock_guard lock(lock_);
  return choice_;
}

void TOnlineLog::SetLimit(const TLogLimit& limit) {
  std::lock_guard lock(lock_);
  limit_ = limit;
}

void TOnlineLog::SetLineEndSource(std::function<std::string()> lineEnd) {
  std::lock_guard lock(lock_);
  lineEnd_ = std::move(lineEnd);
}

bool TOnlineLog::LogRtf() const {
  std::lock_guard lock(lock_);
  return logRtf_;
}

bool TOnlineLog::LogDevice() const {
  std::lock_guard lock(lock_);
  return logDevice_;
}

double TOnlineLog::LogStart() const {
  std::lock_guard lock(lock_);
  return logStart_;
}

TNameKind TOnlineLog::LogNameKind() const {
  std::lock_guard lock(lock_);
  return logNameKind_;
}

std::string TOnlineLog::CurrentPath() const {
  std::lock_guard lock(lock_);
  return file_.Path();
}

TOnlineLog::TPlan TOnlineLog::MakePlan(const TLogFileChoice& choice, double now) const {
  TPlan plan;
  if (const auto device = ParseLogDeviceName(choice.FileName)) {
    plan.Device = true;
    plan.Com = device->Com;
    plan.Path = LogDevicePath(hooks_, *device);
    return plan;
  }
  const TExpandedName expanded = ExpandLogName(choice.FileName, now, choice.FilterIndex == 2 ? ".rtf" : ".txt");
  plan.Path = expanded.Name;
  plan.Kind = expanded.Kind;
  plan.Rtf = EndsWithNoCase(plan.Path, ".rtf");
  return plan;
}

bool TOnlineLog::Start(TLogStartMode mode) {
  TLogFileChoice choice = FileChoice();
  choice.FilterIndex = OnlineLogFilterFor(choice.FileName, choice.FilterIndex);
  TPlan plan;
  TLogStartSteps steps;
  steps.Plan = [&](const TLogFileChoice& chosen, double now) {
    plan = MakePlan(chosen, now);
    return plan.Device ? std::vector<std::string>{} : std::vector<std::string>{plan.Path};
  };
  steps.TakeChoiceLocked = [&](const TLogFileChoice& chosen, TLogNotices& notices) {
    choice_ = chosen;
    CloseLocked(notices);
  };
  steps.OpenLocked = [&](double now, TLogNotices& notices) { return OpenLocked(plan, now, notices); };
  steps.FailLocked = [&](const std::string& error, TLogNotices& notices) { FailLocked(error, notices); };
  TLogNotices notices;
  const bool ok = StartLog(hooks_, mode, choice, "UserAction: Start online-log.", lock_, checked_, steps, notices);
  DeliverLogNotices(hooks_, notices, kLocation);
  return ok;
}

bool TOnlineLog::OpenLocked(const TPlan& plan, double now, TLogNotices& notices) {
  std::string error;
  if (plan.Device) {
    const int fd = OpenLogDevice(plan.Path, plan.Com, error);
    if (fd < 0) {
      FailLocked(error, notices);
      return false;
    }
    file_.AdoptDevice(fd, plan.Path);
  } else if (!file_.OpenFile(plan.Path, error)) {
    FailLocked(error, notices);
    return false;
  }
  logDevice_ = plan.Device;
  logRtf_ = plan.Rtf;
  logNameKind_ = plan.Kind;
  logStart_ = now;
  // Every file gets its own colour tags from its first run on.
  rtf_.Reset();
  std::string opening;
  if (file_.Size() > 0) {
    if (logRtf_ && !file_.CutClosingBrace(error)) {
      FailLocked(error, notices);
      return false;
    }
    std::string line = "\r\nNeustart Tamarik ";
    line.append(FormatDateTime(ShortDateFmt() + " " + BuildTimeFmt(false), now)).append(":\r\n");
    opening = logRtf_ ? rtf_.Run(line, clGreen) : line;
  } else if (logRtf_) {
    opening = RtfHeader();
  }
  logReady_.store(true);
  return opening.empty() || WriteLocked(opening, notices);
}

void TOnlineLog::CloseLocked(TLogNotices& notices) {
  logReady_.store(false);
  std::string error;
  if (file_.IsOpen() && logRtf_ && !file_.Append("}", error) && notices.Error.empty()) notices.Error = error;
  file_.Close();
  logDevice_ = false;
}

void TOnlineLog::FailLocked(const std::string& error, TLogNotices& notices) {
  logReady_.store(false);
  checked_.store(false);
  std::string ignored;
  // Still try to end the document; a full disk will refuse this too.
  if (file_.IsOpen() && logRtf_) file_.Append("}", ignored);
  file_.Close();
  logDevice_ = false;
  notices.Beep = true;
  notices.Unchecked = true;
  if (notices.Error.empty()) notices.Error = error;
}

void TOnlineLog::CloseOnlineFile() {
  TLogNotices notices;
  {
    std::lock_guard lock(lock_);
    checked_.store(false);
    CloseLocked(notices);
  }
  DeliverLogNotices(hooks_, notices, kLocation);
}

void TOnlineLog::RotateIfDueLocked(TLogNotices& notices) {
  if (logDevice_ || logNameKind_ == nkNone || !limit_.chkLogFile) return;
  const double now = LogNow(hooks_);
  if (!LogRotationDue(limit_, logNameKind_, logStart_, now, file_.Size())) return;
  const TPlan plan = MakePlan(choice_, now);
  // More than 1 MB within one second gives the same name again: keep this
  // file until the name changes rather than reopen it for every run.
  if (plan.Path == file_.Path()) return;
  notices.ErrorLogLine = "UserAction: Start online-log.";
  CloseLocked(notices);
  OpenLocked(plan, now, notices);
}

bool TOnlineLog::WriteLocked(std::string_view bytes, TLogNotices& notices) {
  std::string error;
  if (file_.Append(bytes, error)) return true;
  FailLocked(error, notices);
  return false;
}

void TOnlineLog::WriteStreamData(std::string_view text, TColor color) { WriteStreamData(text, color, false); }

void TOnlineLog::WriteStreamData(std::string_view text, TColor color, bool addLineEnd) {
  if (!checked_.load() || !logReady_.load()) return;
  std::string withEnd;
  if (addLineEnd) {
    std::function<std::string()> lineEnd;
    {
      std::lock_guard lock(lock_);
      lineEnd = lineEnd_;
    }
    withEnd.reserve(text.size() + 2);
    withEnd.append(text).append(lineEnd ? lineEnd() : std::string("\r\n"));
    text = withEnd;
  }
  TLogNotices notices;
  {
    std::lock_guard lock(lock_);
    if (!checked_.load() || !logReady_.load()) return;
    if (!file_.IsOpen()) {
      logReady_.store(false);
      checked_.store(false);
      notices.Unchecked = true;
    } else {
      RotateIfDueLocked(notices);
      if (logReady_.load()) {
        if (logRtf_)
          WriteLocked(rtf_.Run(text, color), notices);
        else
          WriteLocked(text, notices);
      }
    }
  }
  DeliverLogNotices(hooks_, notices, kLocation);
}

#include "core/RawLog.h"

#include "core/LogNames.h"
#include "core/LogStart.h"

namespace {
constexpr std::string_view kLocation = "19";
}

TRawLog::TRawLog(TLogHooks hooks) : hooks_(std::move(hooks)) {}

TRawLog::~TRawLog() {
  std::lock_guard lock(lock_);
  CloseLocked();
}

void TRawLog::SetFileChoice(const TLogFileChoice& choice) {
  std::lock_guard lock(lock_);
  choice_ = choice;
}

TLogFileChoice TRawLog::FileChoice() const {
  std::lock_guard lock(lock_);
  return choice_;
}

void TRawLog::SetLimit(const TLogLimit& limit) {
  std::lock_guard lock(lock_);
  limit_ = limit;
}

double TRawLog::RawStart() const {
  std::lock_guard lock(lock_);
  return rawStart_;
}

TNameKind TRawLog::RawNameKind() const {
  std::lock_guard lock(lock_);
  return rawNameKind_;
}

std::string TRawLog::PathA() const {
  std::lock_guard lock(lock_);
  return fileA_.Path();
}

std::string TRawLog::PathB() const {
  std::lock_guard lock(lock_);
  return fileB_.Path();
}

TRawLog::TPlan TRawLog::MakePlan(const TLogFileChoice& choice, double now) const {
  const TExpandedName expanded = ExpandLogName(choice.FileName, now, choice.FilterIndex == 2 ? ".roh" : "");
  TRawLogPaths paths = SplitRawLogName(expanded.Name);
  return TPlan{std::move(paths.A), std::move(paths.B), expanded.Kind};
}

bool TRawLog::Start(TLogStartMode mode, bool portBInUse) {
  TPlan plan;
  TLogStartSteps steps;
  steps.Plan = [&](const TLogFileChoice& chosen, double now) {
    plan = MakePlan(chosen, now);
    return std::vector<std::string>{plan.A, plan.B};
  };
  steps.TakeChoiceLocked = [&](const TLogFileChoice& chosen, TLogNotices&) {
    choice_ = chosen;
    CloseLocked();
  };
  steps.OpenLocked = [&](double now, TLogNotices& notices) { return OpenLocked(plan, now, notices); };
  steps.FailLocked = [&](const std::string& error, TLogNotices& notices) { FailLocked(error, notices); };
  TLogNotices notices;
  const bool ok = StartLog(hooks_, mode, FileChoice(), "UserAction: Start RAW-data-log.", lock_, checked_, steps, notices);
  // Stored names keep their meaning, but port B's bytes must not vanish unseen.
  if (ok && portBInUse && plan.B.empty())
    notices.Warning = "The raw-data log " + plan.A + " has no [AB] in its name: it keeps port A's bytes only, port B's are not logged";
  DeliverLogNotices(hooks_, notices, kLocation);
  return ok;
}

bool TRawLog::OpenLocked(const TPlan& plan, double now, TLogNotices& notices) {
  std::string error;
  if (!fileA_.OpenFile(plan.A, error) || (!plan.B.empty() && !fileB_.OpenFile(plan.B, error))) {
    FailLocked(error, notices);
    return false;
  }
  rawStart_ = now;
  rawNameKind_ = plan.Kind;
  rawReady_.store(true);
  return true;
}

void TRawLog::CloseLocked() {
  rawReady_.store(false);
  fileA_.Close();
  fileB_.Close();
}

void TRawLog::FailLocked(const std::string& error, TLogNotices& notices) {
  checked_.store(false);
  CloseLocked();
  notices.Beep = true;
  notices.Unchecked = true;
  if (notices.Error.empty()) notices.Error = error;
}

void TRawLog::Stop() {
  std::lock_guard lock(lock_);
  checked_.store(false);
  CloseLocked();
}

void TRawLog::RotateIfDueLocked(TLogNotices& notices) {
  if (rawNameKind_ == nkNone || !limit_.chkLogFile) return;
  const double now = LogNow(hooks_);
  if (!LogRotationDue(limit_, rawNameKind_, rawStart_, now, fileA_.Size())) return;
  const TPlan plan = MakePlan(choice_, now);
  if (plan.A == fileA_.Path()) return;  // same second: the name has not moved on yet
  notices.ErrorLogLine = "UserAction: Start RAW-data-log.";
  CloseLocked();
  OpenLocked(plan, now, notices);
}

bool TRawLog::AppendLocked(TLogFile& file, std::string_view bytes, TLogNotices& notices) {
  if (bytes.empty() || !file.IsOpen()) return true;
  std::string error;
  if (file.Append(bytes, error)) return true;
  FailLocked(error, notices);
  return false;
}

void TRawLog::WriteStreamDataRoh(std::string_view bytesA, std::string_view bytesB) {
  if (!checked_.load() || !rawReady_.load()) return;
  TLogNotices notices;
  {
    std::lock_guard lock(lock_);
    if (!checked_.load() || !rawReady_.load()) return;
    RotateIfDueLocked(notices);
    if (rawReady_.load() && AppendLocked(fileA_, bytesA, notices)) AppendLocked(fileB_, bytesB, notices);
  }
  DeliverLogNotices(hooks_, notices, kLocation);
}

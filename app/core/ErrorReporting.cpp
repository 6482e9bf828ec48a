#include "core/ErrorReporting.h"

#include <mutex>
#include <utility>
#include <vector>

#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "core/ErrorList.h"
#include "core/ErrorLogFile.h"
#include "core/ErrorReport.h"
#include "core/IniFile.h"

namespace {

constexpr std::string_view kSection = "ErrorsIntern";
constexpr std::size_t kMaxPending = 26;

// Set while this thread is making a report.
thread_local bool reporting = false;

std::string FlatMessage(std::string_view message) {
  std::string flat;
  flat.reserve(message.size());
  for (std::size_t i = 0; i < message.size(); ++i) {
    if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n') {
      flat.push_back('^');
      ++i;
    } else {
      flat.push_back(message[i]);
    }
  }
  return flat;
}

}  // namespace

struct TErrorReport::TState {
  TErrorLogFile* Log = nullptr;
  TClock Now;

  mutable std::mutex Lock;  // everything below but Delivery
  TErrorList List;
  std::shared_ptr<TIniFile> Ini;
  std::vector<std::pair<double, std::string>> Pending;  // ErrorsIntern entries before the file is attached
  TListChanged Changed;

  std::mutex Delivery;  // one list-changed call at a time

  void Report(std::string_view location, std::string_view message);
  bool IniWritable() const { return Ini && !Ini->ReadOnly() && !IniReadOnly.load(); }
  void StoreLocked(double now, const std::string& value);
  void Deliver();
};

void AddErrorsInternEntry(TIniFile& ini, double now, const std::string& value) {
  for (const std::string& key : ErrorsInternKeysToDrop(ini.ReadSection(kSection))) ini.DeleteKey(kSection, key);
  // Two reports within microseconds would share a key; the later one moves on.
  std::string key = ErrorsInternKey(now);
  for (int step = 1; ini.ValueExists(kSection, key) && step < 1000; ++step) key = ErrorsInternKey(now + step * 1e-10);
  ini.WriteString(kSection, key, value);
}

void TErrorReport::TState::StoreLocked(double now, const std::string& value) {
  if (!Ini) {
    if (Pending.size() == kMaxPending) Pending.erase(Pending.begin());
    Pending.emplace_back(now, value);
    return;
  }
  if (!IniWritable()) return;
  // Only the new entry goes to the file as it is now: another instance's or
  // the user's changes since the start stay.
  const bool written = Ini->UpdateKeysInFile([&](TIniFile& ini) { AddErrorsInternEntry(ini, now, value); });
  if (!written) Log->Write("ErrorsIntern not written: " + Ini->LastError(), now);
}

void TErrorReport::TState::Report(std::string_view location, std::string_view message) {
  const double now = Now();
  {
    std::string line;
    line.reserve(location.size() + message.size() + 3);
    line.append(location).append(" / ").append(message);
    Log->Write(line, now);
  }
  {
    std::lock_guard lock(Lock);
    if (!List.Add(location, message, now)) return;
    std::string value(location);
    value.append("/").append(FlatMessage(message));
    StoreLocked(now, value);
  }
  Deliver();
}

void TErrorReport::TState::Deliver() {
  std::lock_guard delivery(Delivery);
  TListChanged changed;
  std::string text;
  {
    std::lock_guard lock(Lock);
    changed = Changed;
    text = List.DisplayText();
  }
  if (changed) changed(text);
}

namespace {

void GuardedReport(TErrorReport::TState& state, std::string_view location, std::string_view message) {
  if (reporting) return;
  reporting = true;
  try {
    state.Report(location, message);
  } catch (...) {
    // A report must never become an error of its own caller.
  }
  reporting = false;
}

}  // namespace

TErrorReport::TErrorReport(TErrorLogFile& log, TClock now) : state_(std::make_shared<TState>()) {
  state_->Log = &log;
  state_->Now = now ? std::move(now) : TClock(NowDateTime);
}

TErrorReport::~TErrorReport() { Uninstall(); }

void TErrorReport::Install() {
  // The reporter keeps the state alive while a report on another thread is
  // still running.
  std::shared_ptr<TState> state = state_;
  SetErrorReporter([state](const std::string& location, const std::string& message) {
    GuardedReport(*state, location, message);
  });
  installed_ = true;
}

void TErrorReport::Uninstall() {
  if (!installed_) return;
  SetErrorReporter(nullptr);
  installed_ = false;
}

void TErrorReport::Report(std::string_view location, std::string_view message) {
  GuardedReport(*state_, location, message);
}

void TErrorReport::AttachIni(std::shared_ptr<TIniFile> ini) {
  std::lock_guard lock(state_->Lock);
  state_->Ini = std::move(ini);
  if (!state_->Ini) return;
  std::vector<std::pair<double, std::string>> pending;
  pending.swap(state_->Pending);
  if (pending.empty() || !state_->IniWritable()) return;
  const bool written = state_->Ini->UpdateKeysInFile([&](TIniFile& ini) {
    for (const auto& [now, value] : pending) AddErrorsInternEntry(ini, now, value);
  });
  if (!written) state_->Log->Write("ErrorsIntern not written: " + state_->Ini->LastError());
}

void TErrorReport::DetachIni() {
  std::lock_guard lock(state_->Lock);
  state_->Ini.reset();
}

void TErrorReport::SetListChanged(TListChanged changed) {
  std::lock_guard lock(state_->Lock);
  state_->Changed = std::move(changed);
}

std::string TErrorReport::DisplayText() const {
  std::lock_guard lock(state_->Lock);
  return state_->List.DisplayText();
}

std::string TErrorReport::ListText() const {
  std::lock_guard lock(state_->Lock);
  return state_->List.Text();
}

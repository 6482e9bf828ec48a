// The program's ReportError: the error log line, the error list of the Info
// page and the latest reports kept in Tamarik.ini (section ErrorsIntern).
// Any thread may report; a report made on a thread while that thread is
// already making one (a failure inside the report itself) is dropped.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class TErrorLogFile;
class TIniFile;

class TErrorReport {
 public:
  using TClock = std::function<double()>;
  using TListChanged = std::function<void(const std::string& displayText)>;

  // log must outlive every report; now defaults to NowDateTime.
  explicit TErrorReport(TErrorLogFile& log, TClock now = {});
  ~TErrorReport();  // uninstalls itself
  TErrorReport(const TErrorReport&) = delete;
  TErrorReport& operator=(const TErrorReport&) = delete;

  // Makes this the target of ReportError; Uninstall restores the default.
  void Install();
  void Uninstall();

  void Report(std::string_view location, std::string_view message);

  // The settings file that keeps ErrorsIntern (nothing is stored while it is
  // read-only). Reports made before it is attached are stored then.
  void AttachIni(std::shared_ptr<TIniFile> ini);
  void DetachIni();

  // Called after the list changed, on the reporting thread, with the list as
  // the label shows it. It must hand the text to its own thread and return,
  // never wait for another thread that may be reporting. Calls come one at a
  // time and the last one always carries the newest list.
  void SetListChanged(TListChanged changed);

  // The list as the label shows it, and as stored (sErrorString).
  std::string DisplayText() const;
  std::string ListText() const;

  struct TState;

 private:
  std::shared_ptr<TState> state_;
  bool installed_ = false;
};

// Stores one entry in section ErrorsIntern of ini: the oldest entries go
// until 25 remain, then the new one is added under the key of now.
void AddErrorsInternEntry(TIniFile& ini, double now, const std::string& value);

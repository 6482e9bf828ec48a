// The online log: every text run of the trace, as plain text (UTF-8), as
// rich text (Windows-1252) or straight to a port device; a new file every
// hour, every day or after 1 MB when the name carries the date.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "core/LogFile.h"
#include "core/LogHooks.h"
#include "core/LogOptions.h"
#include "core/RtfWriter.h"
#include "core/TraceSink.h"

class TOnlineLog final : public TStreamSink {
 public:
  explicit TOnlineLog(TLogHooks hooks = {});
  ~TOnlineLog() override;

  // --- window thread ---
  // The save dialog's name (INI key SDlg_FileName) and filter.
  void SetFileChoice(const TLogFileChoice& choice);
  TLogFileChoice FileChoice() const;
  void SetLimit(const TLogLimit& limit);
  // The text that ends a line (the trace's line end of an empty text).
  // Missing: CR LF.
  void SetLineEndSource(std::function<std::string()> lineEnd);

  // chkOnlineLog checked. False when the dialog was cancelled or opening
  // failed; the check state is then cleared and the hooks told.
  bool Start(TLogStartMode mode);
  // chkOnlineLog unchecked, and closing the window.
  void CloseOnlineFile();

  // --- the thread that writes the trace, in the trace's order ---
  // Never throws and never waits for the window: a failing file stops the
  // log (reported once), the trace goes on.
  void WriteStreamData(std::string_view text, TColor color) override;
  void WriteStreamData(std::string_view text, TColor color, bool addLineEnd);

  // State, for the status bar and tests.
  bool Checked() const { return checked_.load(); }
  bool LogReady() const { return logReady_.load(); }
  bool LogRtf() const;
  bool LogDevice() const;
  double LogStart() const;
  TNameKind LogNameKind() const;
  std::string CurrentPath() const;

 private:
  struct TPlan {
    bool Device = false;
    bool Com = false;
    std::string Path;
    TNameKind Kind = nkNone;
    bool Rtf = false;
  };

  TPlan MakePlan(const TLogFileChoice& choice, double now) const;
  bool OpenLocked(const TPlan& plan, double now, TLogNotices& notices);
  void CloseLocked(TLogNotices& notices);
  void FailLocked(const std::string& error, TLogNotices& notices);
  void RotateIfDueLocked(TLogNotices& notices);
  bool WriteLocked(std::string_view bytes, TLogNotices& notices);

  const TLogHooks hooks_;
  mutable std::mutex lock_;  // everything below but the atomics
  TLogFileChoice choice_{"Tamarik.txt", 1};
  TLogLimit limit_;
  std::function<std::string()> lineEnd_;
  TLogFile file_;
  TRtfRunWriter rtf_;
  bool logRtf_ = false;
  bool logDevice_ = false;
  double logStart_ = 0.0;
  TNameKind logNameKind_ = nkNone;
  std::atomic<bool> checked_{false};
  std::atomic<bool> logReady_{false};
};

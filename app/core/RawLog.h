// The raw-data log: the received bytes of each side, unframed, in a file of
// their own ("[AB]" in the name) or side A's bytes alone.
#pragma once

#include <atomic>
#include <mutex>
#include <string>

#include "core/LogFile.h"
#include "core/LogHooks.h"
#include "core/LogOptions.h"
#include "core/TraceSink.h"

class TRawLog final : public TRawSink {
 public:
  explicit TRawLog(TLogHooks hooks = {});
  ~TRawLog() override;

  // --- window thread ---
  // The dialog SDlgRoh's name (INI key SDlgRoh_FileName) and filter
  // (1 "Alle Dateien", 2 "Rohdaten").
  void SetFileChoice(const TLogFileChoice& choice);
  TLogFileChoice FileChoice() const;
  void SetLimit(const TLogLimit& limit);

  // chkOnlineRohLog checked; false when cancelled or failed (the check
  // state is then cleared and the hooks told). A name without "[AB]" keeps
  // side A only; with portBInUse the user is told so once.
  bool Start(TLogStartMode mode, bool portBInUse = false);
  // chkOnlineRohLog unchecked, and closing the window.
  void Stop();

  // --- the consumer thread ---
  void WriteStreamDataRoh(std::string_view bytesA, std::string_view bytesB) override;

  bool Checked() const { return checked_.load(); }
  bool RawReady() const { return rawReady_.load(); }
  double RawStart() const;
  TNameKind RawNameKind() const;
  std::string PathA() const;
  std::string PathB() const;

 private:
  struct TPlan {
    std::string A, B;
    TNameKind Kind = nkNone;
  };

  TPlan MakePlan(const TLogFileChoice& choice, double now) const;
  bool OpenLocked(const TPlan& plan, double now, TLogNotices& notices);
  void CloseLocked();
  void FailLocked(const std::string& error, TLogNotices& notices);
  void RotateIfDueLocked(TLogNotices& notices);
  bool AppendLocked(TLogFile& file, std::string_view bytes, TLogNotices& notices);

  const TLogHooks hooks_;
  mutable std::mutex lock_;
  TLogFileChoice choice_{"Tamarik.roh", 1};
  TLogLimit limit_;
  TLogFile fileA_;
  TLogFile fileB_;
  double rawStart_ = 0.0;
  TNameKind rawNameKind_ = nkNone;
  std::atomic<bool> checked_{false};
  std::atomic<bool> rawReady_{false};
};

// The window's receive handler without the window: turns each batch of ring
// records into coloured text runs for the trace and the online log. Runs on
// the ring's consumer thread; the front end publishes options and reads the
// runs on its own thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "SeriellData.h"
#include "core/RxOptions.h"
#include "core/TraceSink.h"

class ReceiveRing;
class TSerialThreadOut;

struct TTimeDifference {
  double Days = 0.0;
  int Microseconds = 0;
};

struct TSoundTick {
  bool Beep = false;
  bool SwitchSoundOff = false;
};

class TReceivePipeline {
 public:
  TReceivePipeline(TTraceSink& trace, TStreamSink* stream = nullptr);

  // --- window thread ---
  void SetOptions(const TRxOptions& options);
  TRxOptions Options() const;
  void SetRelayPorts(TTxPort* portA, TTxPort* portB);
  void SetStreamSink(TStreamSink* stream);
  // Called per delivery after rendering (the TCP coupling hooks in here).
  void SetBatchForward(std::function<void(const ReceiveRing&, int start, int count)> forward);
  // The service page's pointer labels.
  void SetServiceCounters(std::function<void(int claim, int read, int count)> show);
  void SetPaused(bool paused) { pauseActive_.store(paused); }
  bool Paused() const { return pauseActive_.load(); }
  // Clearing the trace: the next record starts a fresh line.
  void RequestLineReset() { lineResetRequested_.store(true); }
  // Once a second (Timer1): the sound rule.
  TSoundTick SoundTick(bool soundChecked);
  // A status line (green: sent data, lost records; blue: the periodic date
  // entry), in order with the runs.
  void ShowStatusLine(std::string_view text, bool withTime, TColor color = clGreen);
  // The protocol window state ("An"/"Aus" in the status bar).
  bool ProtActive() const { return protActiveShown_.load(); }
  void ResetProtActive(bool active) { protResetRequested_.store(active ? 1 : 0); }

  // --- consumer thread ---
  void RxData(TSerialThreadOut& sender);
  // The same, given the ring and a batch directly.
  void RxData(const ReceiveRing& ring, int batchStart, int batchCount);
  void RxData_Serial(const TSeriellData& r);
  void RxData_Debug(const ReceiveRing& ring, int batchStart, int batchCount);

  // Texts of a line (also used by the window thread for status lines).
  std::string LinePrefix(const TSeriellData& r, const TTimeDifference& diff);
  std::string LineEndText(std::string_view endText) const;
  TTimeDifference TimeDiff(const TSeriellData& r) const;
  std::string SideText(std::uint8_t dir) const;

  // State, for tests and the display commands.
  const std::optional<TSeriellData>& LastRec() const { return lastRec_; }
  int LineChars() const { return lineChars_; }
  bool LineOpen() const { return lineOpen_; }
  TColor LineColor() const { return lineColor_; }
  std::uint16_t PrevSignals() const { return prevSignals_; }
  int SoundCount() const { return soundCount_.load(); }

 private:
  void TakeOptionsSnapshot();
  void ApplyRequests();
  void Emit(std::string_view text, TColor color);
  void Flush(TColor color);
  bool ForwardToPartner(const TSeriellData& r);
  bool BreakBeforeByte(const TSeriellData& r, const TTimeDifference& diff) const;
  bool BreakAfterByte(const TSeriellData& r);
  void AppendSignalChanges(const TSeriellData& r, std::uint16_t changeMask);
  void AppendLineErrors(const TSeriellData& r, TColor errorColor);
  std::string LineEndTextAt(std::string_view endText, const TSeriellData* endRec) const;
  static std::string LineEndFor(const TRxOptions& opt, std::string_view endText, double endTime);

  TTraceSink& trace_;
  std::atomic<TStreamSink*> stream_;

  mutable std::mutex optionsLock_;  // guards published_, ports, hooks
  TRxOptions published_;
  TRxOptions opt_;  // the consumer's snapshot for the current batch
  bool startCharsUsed_ = false;
  bool stopCharsUsed_ = false;
  TTxPort* portA_ = nullptr;
  TTxPort* portB_ = nullptr;
  std::function<void(const ReceiveRing&, int, int)> forward_;
  std::function<void(int, int, int)> serviceCounters_;

  std::atomic<bool> pauseActive_{false};
  std::atomic<bool> lineResetRequested_{false};
  std::atomic<int> protResetRequested_{-1};
  std::atomic<bool> protActiveShown_{false};
  std::atomic<int> soundCount_{0};
  std::atomic<double> lastRecTime_{0.0};

  // Consumer-thread state.
  std::optional<TSeriellData> lastRec_;  // a copy: the slot may be reused
  std::uint16_t prevSignals_ = 0;
  int lineChars_ = 0;
  bool lineOpen_ = false;
  TColor lineColor_ = clBlack;
  bool protActive_ = false;
  std::string pending_;
  TColor currentColor_ = clBlack;
};

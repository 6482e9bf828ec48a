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
class TReceivePipeline;

// A stage that renders whole batches in place of the record handlers (the
// conversion plug-in), used while chkUsePlugin is set.
class TBatchRenderer {
 public:
  virtual ~TBatchRenderer() = default;
  // False while it has nothing to render with; the records are then rendered
  // as usual, so nothing received goes unseen.
  virtual bool Active() const = 0;
  virtual void RenderBatch(TReceivePipeline& pipeline, const ReceiveRing& ring, int batchStart, int batchCount) = 0;
};

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
  // The raw-data log: each shown byte of a serial record, once per batch.
  void SetRawSink(TRawSink* raw);
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
  // Applied before the next batch; shown at once.
  void ResetProtActive(bool active) {
    protResetRequested_.store(active ? 1 : 0);
    protActiveShown_.store(active);
  }

  // Set before the consumer runs, or after it stopped.
  void SetBatchRenderer(TBatchRenderer* renderer) { batchRenderer_.store(renderer); }
  // Runs fn with the line state to itself, between batches (a renderer's
  // own timer). Never from the window thread: a batch may wait for it.
  void RunExclusive(const std::function<void()>& fn);

  // --- consumer thread, or inside RunExclusive: a batch renderer's access ---
  const TRxOptions& RenderOptions() const { return opt_; }
  void SetLineState(int chars, bool open, TColor color) {
    lineChars_ = chars;
    lineOpen_ = open;
    lineColor_ = color;
  }
  void SetLastRec(const TSeriellData& r) { lastRec_ = r; }
  // Straight to the trace and the online log.
  void EmitRun(std::string_view text, TColor color) { EmitNow(text, color); }

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
  const std::string& SideText(std::uint8_t dir) const;

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
  // toLog: the text also goes to the online log (false for a port whose
  // data stay out of the logs).
  void Emit(std::string_view text, TColor color, bool toLog = true);
  void EmitNow(std::string_view text, TColor color, bool toLog = true);
  void FlushBatch();
  void Flush(TColor color);
  void FlushRaw();
  bool LogExcluded(std::uint8_t dir) const;
  void RelayBatch(const ReceiveRing& ring, int batchStart, int batchCount);
  void QueueForPartner(const TSeriellData& r);
  bool HandOverRelay(bool wait);
  bool BreakBeforeByte(const TSeriellData& r) const;
  bool BreakAfterByte(const TSeriellData& r);
  void AppendSignalChanges(const TSeriellData& r, std::uint16_t changeMask);
  void AppendLineErrors(const TSeriellData& r, TColor errorColor);
  // The line texts appended to out: no allocation per record once the
  // buffer has grown.
  void AppendLinePrefix(std::string& out, const TSeriellData& r, const TTimeDifference& diff);
  static void AppendLineEnd(std::string& out, const TRxOptions& opt, std::string_view endText, double endTime);
  static std::string LineEndFor(const TRxOptions& opt, std::string_view endText, double endTime);

  TTraceSink& trace_;
  std::atomic<TBatchRenderer*> batchRenderer_{nullptr};
  std::mutex renderLock_;  // one batch, or one RunExclusive, at a time
  std::atomic<TStreamSink*> stream_;
  std::atomic<TRawSink*> raw_{nullptr};

  mutable std::mutex optionsLock_;  // guards published_, ports, hooks
  std::mutex relayLock_;            // held while bytes are handed to a port
  std::string relayToA_;            // received on B, waiting for port A's slot
  std::string relayToB_;
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
  bool logRecord_ = true;  // the record being rendered goes to the logs
  std::string rawA_;       // shown bytes of this batch, PC side
  std::string rawB_;       // and SPS side
  // Text of the batch under way, not yet handed to the sinks.
  static constexpr std::size_t kBatchTextLimit = 64 * 1024;
  bool batching_ = false;
  std::string batchText_;
  TColor batchColor_ = clBlack;
  bool batchToLog_ = true;
};

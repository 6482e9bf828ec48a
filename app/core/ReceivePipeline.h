// The window's receive handler without the window: turns each batch of ring
// records into coloured text runs for the trace and the online log. Runs on
// the ring's consumer thread; the front end publishes options and reads the
// runs on its own thread.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "SeriellData.h"
#include "core/RelayStage.h"
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

// Sees every batch before it is rendered, paused or not (the automation
// objects' receive buffers). It must never wait for anything outside.
class TBatchTap {
 public:
  virtual ~TBatchTap() = default;
  virtual void TapBatch(const ReceiveRing& ring, int batchStart, int batchCount) = 0;
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
  // Clearing the trace, in order with the records: text rendered before it
  // never shows after it (the logs keep it), and the next record starts a
  // fresh line.
  void ClearTrace();
  // The next record starts a fresh line.
  void RequestLineReset();
  // Once a second (Timer1): the sound rule.
  TSoundTick SoundTick(bool soundChecked);
  // A status line (green: sent data, lost records; blue: the periodic date
  // entry) after the text of every record handed out before it. Shown at
  // once between batches, at the end of the batch under way otherwise.
  void ShowStatusLine(std::string_view text, bool withTime, TColor color = clGreen);
  // The protocol window state ("An"/"Aus" in the status bar).
  bool ProtActive() const { return protActive_.load(std::memory_order_relaxed); }
  // Applied before the next record.
  void ResetProtActive(bool active);
  // Records of a type nobody renders, counted (index 0 for types above
  // rtFQMess).
  std::uint64_t SkippedRecords(std::uint8_t recType) const;
  // CAN frames whose sequence number showed frames lost before them.
  std::uint64_t CanLostFrames() const { return canLostFrames_.load(); }
  // Lost frames seen while the USB test page was shown, since the last
  // call: the window beeps for them.
  int TakeCanBeeps() { return canBeeps_.exchange(0); }
  // Bytes the relay had to drop because a port took no more.
  std::uint64_t RelayDropped() const { return relay_.DroppedTotal(); }

  // Any thread; a batch under way keeps the old tap alive to its end.
  void SetBatchTap(std::shared_ptr<TBatchTap> tap);
  // A second tap of the same kind, for the programmer's answers from the bus.
  void SetAnswerTap(std::shared_ptr<TBatchTap> tap);
  // Set before the consumer runs, or after it stopped.
  void SetBatchRenderer(TBatchRenderer* renderer) { batchRenderer_.store(renderer); }
  // Runs fn with the line state to itself, between batches (a renderer's
  // own timer); window-thread commands wait for its end as for a batch's.
  // Never from the window thread: a batch may wait for it.
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
  // CAN frames and bus events, the frequency and the baud-rate lines.
  void RxData_Can(const TSeriellData& r);
  void RxData_BaudMess(const TSeriellData& r);
  void RxData_FQMess(const TSeriellData& r);
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
  // The signal word of the source handled last; each port is compared
  // with its own previous word.
  std::uint16_t PrevSignals() const { return prevSignals_[lastSignalSource_]; }
  int SoundCount() const { return soundCount_.load(); }

 private:
  void TakeOptionsSnapshot();
  // The line state to this thread until RunWaitingCommands ends the batch;
  // waits while another batch (or RunExclusive) holds it.
  void BeginBatch();
  void ApplyRequests();
  void RenderBatch(const ReceiveRing& ring, int batchStart, int batchCount);
  void Dispatch(const TSeriellData& r);
  // toLog: the text also goes to the online log (false for a port whose
  // data stay out of the logs).
  void Emit(std::string_view text, TColor color, bool toLog = true);
  void EmitNow(std::string_view text, TColor color, bool toLog = true);
  void FlushBatch();
  void Flush(TColor color);
  void FlushRaw();
  bool LogExcluded(std::uint8_t dir) const;
  bool BreakBeforeByte(const TSeriellData& r) const;
  bool BreakAfterByte(const TSeriellData& r);
  void AppendSignalChanges(const TSeriellData& r, std::uint16_t changeMask);
  void AppendLineErrors(const TSeriellData& r, TColor errorColor);
  // A whole line for one record: prefix, text, line end, in one colour.
  void EmitRecordLine(const TSeriellData& r, std::string_view text, TColor color);
  static std::string CanFrameText(const TSeriellData& r);
  // Empty when the event adds nothing (or only repeats what was shown).
  std::string CanEventText(const TSeriellData& r);
  // The line texts appended to out: no allocation per record once the
  // buffer has grown.
  void AppendLinePrefix(std::string& out, const TSeriellData& r, const TTimeDifference& diff);
  static void AppendLineEnd(std::string& out, const TRxOptions& opt, std::string_view endText, double endTime);
  static std::string LineEndFor(const TRxOptions& opt, std::string_view endText, double endTime);
  std::string StatusLineText(std::string_view text, bool withTime, double lastTime) const;
  // Commands of the window thread that wait for the batch under way.
  void RunWaitingCommands();
  void ApplyClear();
  void EndLineByStatus();
  std::size_t SignalSource(std::uint8_t dir) const { return dir < kSignalSources ? dir : 0; }

  // Fast path (RxPlainRun.cpp): records from index on that no rule can
  // stop, rendered straight from the byte table.
  int PlainRunLength(const ReceiveRing& ring, int index, int end) const;
  void RenderPlainRun(const ReceiveRing& ring, int index, int count);
  void BuildPlainTable();

  TTraceSink& trace_;
  std::atomic<TBatchRenderer*> batchRenderer_{nullptr};
  std::mutex tapLock_;
  std::shared_ptr<TBatchTap> batchTap_;  // guarded by tapLock_
  std::shared_ptr<TBatchTap> answerTap_;  // guarded by tapLock_
  std::atomic<TStreamSink*> stream_;
  std::atomic<TRawSink*> raw_{nullptr};
  TRelayStage relay_;

  mutable std::mutex optionsLock_;  // guards published_, hooks
  TRxOptions published_;
  std::atomic<std::uint64_t> publishedVersion_{1};
  std::uint64_t snapshotVersion_ = 0;
  TRxOptions opt_;  // the consumer's snapshot for the current batch
  bool startCharsUsed_ = false;
  bool stopCharsUsed_ = false;
  std::function<void(const ReceiveRing&, int, int)> forward_;
  std::function<void(int, int, int)> serviceCounters_;

  // Window-thread commands in order with the records: between batches they
  // run at once, during a batch the consumer runs them at its end.
  struct TStatusLine {
    std::string Text;
    bool WithTime = false;
    TColor Color = clGreen;
  };
  mutable std::mutex stateLock_;
  // One batch, or one RunExclusive, at a time.
  std::condition_variable batchEnded_;
  bool inBatch_ = false;               // guarded by stateLock_
  std::vector<TStatusLine> waiting_;  // guarded by stateLock_
  std::atomic<bool> clearRequested_{false};
  std::atomic<bool> lineResetRequested_{false};

  std::atomic<bool> pauseActive_{false};
  std::atomic<int> soundCount_{0};
  std::atomic<bool> protActive_{false};
  std::array<std::atomic<std::uint64_t>, rtFQMess + 1> skipped_{};
  std::atomic<std::uint64_t> canLostFrames_{0};
  std::atomic<int> canBeeps_{0};

  // Consumer-thread state (also read under stateLock_ between batches).
  std::optional<TSeriellData> lastRec_;  // a copy: the slot may be reused
  static constexpr std::size_t kSignalSources = 9;
  std::array<std::uint16_t, kSignalSources> prevSignals_{};
  std::size_t lastSignalSource_ = 0;
  int batchCount_ = 0;  // records of the delivery under way
  // Sequence number of the last CAN frame (-1: none yet) and the bus-error
  // values shown last, so unchanged ones are not repeated.
  int lastCanSeq_ = -1;
  int lastCanALC_ = -1;
  int lastCanStatus_ = 0;
  int lastCanRxErrors_ = 0;
  int lastCanTxErrors_ = 0;
  int lineChars_ = 0;
  bool lineOpen_ = false;
  TColor lineColor_ = clBlack;
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
  // Byte texts of the current page for the fast path; Len 0: not plain.
  struct TPlainText {
    char Text[15];
    std::uint8_t Len;
  };
  std::array<TPlainText, 256> plain_{};
};

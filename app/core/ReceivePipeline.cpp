#include "core/ReceivePipeline.h"

#include "core/AppFlags.h"
#include "core/ReceiveRing.h"
#include "core/SerialThreadOut.h"

TReceivePipeline::TReceivePipeline(TTraceSink& trace, TStreamSink* stream) : trace_(trace), stream_(stream) {
  pending_.reserve(256);
}

void TReceivePipeline::SetOptions(const TRxOptions& options) {
  std::lock_guard lock(optionsLock_);
  published_ = options;
  publishedVersion_.fetch_add(1);
}

TRxOptions TReceivePipeline::Options() const {
  std::lock_guard lock(optionsLock_);
  return published_;
}

void TReceivePipeline::SetRelayPorts(TTxPort* portA, TTxPort* portB) { relay_.SetPorts(portA, portB); }

void TReceivePipeline::SetStreamSink(TStreamSink* stream) { stream_.store(stream); }

void TReceivePipeline::SetRawSink(TRawSink* raw) { raw_.store(raw); }

void TReceivePipeline::SetBatchForward(std::function<void(const ReceiveRing&, int, int)> forward) {
  std::lock_guard lock(optionsLock_);
  forward_ = std::move(forward);
}

void TReceivePipeline::SetBatchTap(std::shared_ptr<TBatchTap> tap) {
  std::lock_guard lock(tapLock_);
  batchTap_ = std::move(tap);
}

void TReceivePipeline::SetAnswerTap(std::shared_ptr<TBatchTap> tap) {
  std::lock_guard lock(tapLock_);
  answerTap_ = std::move(tap);
}

void TReceivePipeline::SetServiceCounters(std::function<void(int, int, int)> show) {
  std::lock_guard lock(optionsLock_);
  serviceCounters_ = std::move(show);
}

TSoundTick TReceivePipeline::SoundTick(bool soundChecked) {
  TSoundTick tick;
  const int count = soundCount_.exchange(0);
  if (soundChecked) {
    tick.Beep = count > 0;
    tick.SwitchSoundOff = count > 20;
  }
  return tick;
}

// Copied only when the window published a change: a batch may be one record.
void TReceivePipeline::TakeOptionsSnapshot() {
  const std::uint64_t version = publishedVersion_.load();
  if (version == snapshotVersion_) return;
  {
    std::lock_guard lock(optionsLock_);
    opt_ = published_;
    snapshotVersion_ = publishedVersion_.load();
  }
  if (!opt_.Codes) opt_.Codes = DefaultCodeEntries();
  startCharsUsed_ = stopCharsUsed_ = false;
  for (const TCodeEntry& e : *opt_.Codes) {
    startCharsUsed_ = startCharsUsed_ || e.StartChar;
    stopCharsUsed_ = stopCharsUsed_ || e.StopChar;
  }
  BuildPlainTable();
}

void TReceivePipeline::Emit(std::string_view text, TColor color, bool toLog) {
  if (text.empty()) return;
  if (!batching_) return EmitNow(text, color, toLog);
  // Within a batch, neighbouring runs of one colour go out as one: the sinks
  // then lock and copy once per run instead of once per record.
  if (!batchText_.empty() &&
      (batchColor_ != color || batchToLog_ != toLog || batchText_.size() >= kBatchTextLimit))
    FlushBatch();
  batchColor_ = color;
  batchToLog_ = toLog;
  batchText_.append(text);
}

void TReceivePipeline::EmitNow(std::string_view text, TColor color, bool toLog) {
  if (text.empty()) return;
  trace_.AppendText(text, color);
  if (!toLog) return;
  if (TStreamSink* stream = stream_.load()) stream->WriteStreamData(text, color);
}

void TReceivePipeline::FlushBatch() {
  if (batchText_.empty()) return;
  EmitNow(batchText_, batchColor_, batchToLog_);
  batchText_.clear();
}

void TReceivePipeline::Flush(TColor color) {
  if (pending_.empty()) return;
  Emit(pending_, color, logRecord_);
  pending_.clear();
}

void TReceivePipeline::FlushRaw() {
  if (rawA_.empty() && rawB_.empty()) return;
  TRawSink* raw = raw_.load();
  try {
    if (raw) raw->WriteStreamDataRoh(rawA_, rawB_);
  } catch (...) {
    rawA_.clear();
    rawB_.clear();
    throw;
  }
  rawA_.clear();
  rawB_.clear();
}

// Records without a side (signal changes alone) always go to the logs.
bool TReceivePipeline::LogExcluded(std::uint8_t dir) const {
  if (IsSpsSide(dir)) return opt_.chkNoPortB;
  return dir != dirNone && opt_.chkNoPortA;
}

void TReceivePipeline::RxData(TSerialThreadOut& sender) {
  RxData(sender.Ring(), sender.BatchStart, sender.BatchCount);
}

void TReceivePipeline::RunExclusive(const std::function<void()>& fn) {
  BeginBatch();
  try {
    TakeOptionsSnapshot();
    fn();
  } catch (...) {
    RunWaitingCommands();
    throw;
  }
  RunWaitingCommands();
}

void TReceivePipeline::BeginBatch() {
  std::unique_lock lock(stateLock_);
  batchEnded_.wait(lock, [this] { return !inBatch_; });
  inBatch_ = true;
}

void TReceivePipeline::RxData(const ReceiveRing& ring, int batchStart, int batchCount) {
  BeginBatch();
  try {
    TakeOptionsSnapshot();
    if (!(opt_.UsbModeSelected && UsbError.load()) && !AppClosing.load() && batchCount > 0)
      RenderBatch(ring, batchStart, batchCount);
  } catch (...) {
    RunWaitingCommands();
    throw;
  }
  RunWaitingCommands();
}

void TReceivePipeline::RenderBatch(const ReceiveRing& ring, int batchStart, int batchCount) {
  ApplyRequests();
  std::function<void(const ReceiveRing&, int, int)> forward;
  std::function<void(int, int, int)> serviceCounters;
  {
    std::lock_guard lock(optionsLock_);
    forward = forward_;
    serviceCounters = serviceCounters_;
  }
  if (ServiceMode.load() && serviceCounters)
    serviceCounters(ring.ClaimIndex(), ring.ReadIndex(), batchCount);

  // The monitor in the line passes every byte on before it is shown, and
  // goes on while the display is paused.
  const bool usbMode = opt_.WorkMode >= 400 && opt_.WorkMode <= 500;
  if (opt_.RelayPorts && !usbMode) relay_.Feed(ring, batchStart, batchCount);
  std::shared_ptr<TBatchTap> tap;
  std::shared_ptr<TBatchTap> answerTap;
  {
    std::lock_guard lock(tapLock_);
    tap = batchTap_;
    answerTap = answerTap_;
  }
  if (tap) tap->TapBatch(ring, batchStart, batchCount);
  if (answerTap) answerTap->TapBatch(ring, batchStart, batchCount);

  const auto forwardBatch = [&] {
    if (!TcpOff.load() && forward) forward(ring, batchStart, batchCount);
  };

  if (pauseActive_.load()) {
    lastRec_ = ring.Slot(batchStart + batchCount - 1);
    forwardBatch();
    return;
  }
  if (opt_.chkSound) soundCount_.fetch_add(1);

  TBatchRenderer* renderer = opt_.chkUsePlugin ? batchRenderer_.load() : nullptr;
  if (DebugMode.load()) {
    RxData_Debug(ring, batchStart, batchCount);
  } else if (renderer && renderer->Active()) {
    // A plug-in renders; the relay stage above has passed every byte on.
    renderer->RenderBatch(*this, ring, batchStart, batchCount);
  } else {
    batching_ = true;
    batchCount_ = batchCount;
    try {
      const int end = batchStart + batchCount;
      for (int i = batchStart; i < end;) {
        if (clearRequested_.load(std::memory_order_relaxed) || lineResetRequested_.load(std::memory_order_relaxed))
          ApplyRequests();
        const TSeriellData& r = ring.Slot(i);
        if (r.RecType == rtSeriell) {
          const int plain = PlainRunLength(ring, i, end);
          if (plain > 0) {
            RenderPlainRun(ring, i, plain);
            i += plain;
            continue;
          }
        }
        Dispatch(r);
        lastRec_ = r;
        ++i;
      }
    } catch (...) {
      // What was rendered before the fault goes out, to the raw logs too,
      // and nothing of this batch is kept for the next.
      batching_ = false;
      try {
        FlushBatch();
      } catch (...) {
        batchText_.clear();
      }
      FlushRaw();
      throw;
    }
    batching_ = false;
    try {
      FlushBatch();
    } catch (...) {
      FlushRaw();
      throw;
    }
    FlushRaw();
  }
  forwardBatch();
}

void TReceivePipeline::Dispatch(const TSeriellData& r) {
  switch (r.RecType) {
    case rtSeriell:
      return RxData_Serial(r);
    case rtCAN:
      return RxData_Can(r);
    case rtBaudMess:
      return RxData_BaudMess(r);
    case rtFQMess:
      return RxData_FQMess(r);
    default:
      skipped_[0].fetch_add(1, std::memory_order_relaxed);
  }
}

void TReceivePipeline::RxData_Serial(const TSeriellData& r) {
  pending_.clear();
  currentColor_ = lineColor_;
  logRecord_ = !LogExcluded(r.Dir);

  // 2. Each port reports its own lines: compare with that port's last word.
  const std::size_t source = SignalSource(r.Dir);
  const std::uint16_t changeMask = r.Signals ^ prevSignals_[source];
  if (changeMask == 0 && r.Dir == dirNone) return;

  // 3. Data colour.
  const bool spsColour = r.Dir == dirUSB2 || r.Dir == dirPortB ||
                         (r.Dir == dirNone && (changeMask & (msCTS2 | msDSR2)) != 0);
  const TColor dataColor = spsColour ? clRed : clBlack;
  if (dataColor != currentColor_) {
    Flush(currentColor_);
    currentColor_ = dataColor;
  }

  // 4. Logging window: the start gate.
  const TCodeEntries& codes = *opt_.Codes;
  const std::uint8_t b = r.Data[0];
  if (!startCharsUsed_) protActive_.store(true, std::memory_order_relaxed);
  if (!protActive_.load(std::memory_order_relaxed) && codes[b].StartChar && r.Count > 0) {
    protActive_.store(true, std::memory_order_relaxed);
    const TColor startColor = spsColour ? clMaroon : clGray;
    if (startColor != currentColor_) {
      Flush(currentColor_);
      currentColor_ = startColor;
    }
  }
  if (!protActive_.load(std::memory_order_relaxed)) {
    prevSignals_[source] = r.Signals;
    lastSignalSource_ = source;
    return;
  }

  // 5., 6. Line break before the byte. The line it closes is the last
  // record's, so that record's side decides whether its end is logged.
  const TTimeDifference diff = TimeDiff(r);
  if (BreakBeforeByte(r)) {
    pending_.clear();
    AppendLineEnd(pending_, opt_, opt_.chkTextEnde && lastRec_ ? SideText(lastRec_->Dir) : std::string_view(),
                  lastRec_ ? lastRec_->Time : 0.0);
    lineChars_ = 0;
    lineOpen_ = false;
    Emit(pending_, lineColor_, !(lastRec_ && LogExcluded(lastRec_->Dir)));
    pending_.clear();
  }

  // 7. Line prefix.
  AppendLinePrefix(pending_, r, diff);

  // 8. Signal changes.
  if (opt_.chkCTSDSR && changeMask != 0) AppendSignalChanges(r, changeMask);

  // 9. The byte.
  if (r.Ready > 0 && r.Count > 0) {
    if (currentColor_ != dataColor) {
      Flush(currentColor_);
      currentColor_ = dataColor;
    }
    pending_ += codes[b].Text;
    ++lineChars_;
    lineOpen_ = true;
    if (logRecord_) (IsSpsSide(r.Dir) ? rawB_ : rawA_).push_back(static_cast<char>(b));
  }

  // 10. Line errors.
  if (opt_.chkError && (r.LineFlags & (seOE | sePE | seFE | seBI)) != 0)
    AppendLineErrors(r, spsColour ? clMaroon : clGray);

  // 11., 12. Line break after the byte.
  const bool lineEnds = BreakAfterByte(r);
  if (currentColor_ != dataColor) {
    Flush(currentColor_);
    currentColor_ = dataColor;
  }
  if (lineEnds) {
    lineChars_ = 0;
    lineOpen_ = false;
    // The line ends with this record, so its end time is this record's.
    AppendLineEnd(pending_, opt_, opt_.chkTextEnde ? SideText(r.Dir) : std::string_view(), r.Time);
  }

  // 13.
  prevSignals_[source] = r.Signals;
  lastSignalSource_ = source;
  lineColor_ = currentColor_;
  Flush(currentColor_);
}

void TReceivePipeline::AppendSignalChanges(const TSeriellData& r, std::uint16_t changeMask) {
  struct TSignalName {
    std::uint16_t Bit;
    const char* Name;
    TColor Color;
  };
  static constexpr TSignalName kSignals[] = {
      {msCTS1, "CTS", clGray}, {msCTS2, "CTS", clMaroon}, {msDSR1, "DSR", clGray},
      {msDSR2, "DSR", clMaroon}, {msCD, "CD", clNavy},     {msRing, "RING", clNavy}};
  bool any = false;
  for (const TSignalName& s : kSignals) any = any || (changeMask & s.Bit) != 0;
  if (!any) return;

  Flush(currentColor_);
  lineOpen_ = true;
  pending_ = "[";
  bool first = true;
  TColor segmentColor = clBlack;
  for (const TSignalName& s : kSignals) {
    if ((changeMask & s.Bit) == 0) continue;
    if (first) {
      segmentColor = s.Color;
    } else {
      if (s.Color != segmentColor) {
        Flush(segmentColor);
        segmentColor = s.Color;
      }
      pending_ += ' ';
    }
    first = false;
    pending_ += s.Name;
    pending_ += (r.Signals & s.Bit) ? "-ON" : "-OFF";
  }
  pending_ += ']';
  Flush(segmentColor);
}

void TReceivePipeline::AppendLineErrors(const TSeriellData& r, TColor errorColor) {
  Flush(currentColor_);
  pending_ = "[";
  bool first = true;
  const std::pair<std::uint16_t, const char*> kErrors[] = {{seOE, "OE"}, {sePE, "PE"}, {seFE, "FE"}, {seBI, "BI"}};
  for (const auto& [bit, name] : kErrors) {
    if ((r.LineFlags & bit) == 0) continue;
    if (!first) pending_ += ',';
    pending_ += name;
    first = false;
  }
  pending_ += ']';
  Flush(errorColor);
  lineOpen_ = true;
}

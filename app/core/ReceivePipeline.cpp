#include "core/ReceivePipeline.h"

#include <chrono>
#include <thread>

#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "serial/SerialThreadOut.h"

TReceivePipeline::TReceivePipeline(TTraceSink& trace, TStreamSink* stream) : trace_(trace), stream_(stream) {
  pending_.reserve(256);
}

void TReceivePipeline::SetOptions(const TRxOptions& options) {
  std::lock_guard lock(optionsLock_);
  published_ = options;
}

TRxOptions TReceivePipeline::Options() const {
  std::lock_guard lock(optionsLock_);
  return published_;
}

void TReceivePipeline::SetRelayPorts(TTxPort* portA, TTxPort* portB) {
  // Waits for a hand-over under way, so the old ports may go away after.
  std::lock_guard relay(relayLock_);
  std::lock_guard lock(optionsLock_);
  portA_ = portA;
  portB_ = portB;
}

void TReceivePipeline::SetStreamSink(TStreamSink* stream) { stream_.store(stream); }

void TReceivePipeline::SetRawSink(TRawSink* raw) { raw_.store(raw); }

void TReceivePipeline::SetBatchForward(std::function<void(const ReceiveRing&, int, int)> forward) {
  std::lock_guard lock(optionsLock_);
  forward_ = std::move(forward);
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

void TReceivePipeline::TakeOptionsSnapshot() {
  {
    std::lock_guard lock(optionsLock_);
    opt_ = published_;
  }
  if (!opt_.Codes) opt_.Codes = DefaultCodeEntries();
  startCharsUsed_ = stopCharsUsed_ = false;
  for (const TCodeEntry& e : *opt_.Codes) {
    startCharsUsed_ = startCharsUsed_ || e.StartChar;
    stopCharsUsed_ = stopCharsUsed_ || e.StopChar;
  }
}

void TReceivePipeline::ApplyRequests() {
  if (lineResetRequested_.exchange(false)) {
    lineChars_ = 0;
    lineOpen_ = false;
  }
  const int prot = protResetRequested_.exchange(-1);
  if (prot >= 0) protActive_ = prot == 1;
}

void TReceivePipeline::Emit(std::string_view text, TColor color, bool toLog) {
  if (text.empty()) return;
  if (!batching_) {
    HandOverRelay(true);
    return EmitNow(text, color, toLog);
  }
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
  // A relayed byte leaves on the other port before its text is shown.
  HandOverRelay(true);
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
  if (TRawSink* raw = raw_.load()) raw->WriteStreamDataRoh(rawA_, rawB_);
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

void TReceivePipeline::RxData(const ReceiveRing& ring, int batchStart, int batchCount) {
  TakeOptionsSnapshot();
  if ((opt_.UsbModeSelected && UsbError.load()) || AppClosing.load() || batchCount <= 0) return;
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

  const auto forwardBatch = [&] {
    if (!TcpOff.load() && forward) forward(ring, batchStart, batchCount);
  };

  if (pauseActive_.load()) {
    // Pausing the display must not cut the line the monitor sits in.
    RelayBatch(ring, batchStart, batchCount);
    lastRec_ = ring.Slot(batchStart + batchCount - 1);
    lastRecTime_.store(lastRec_->Time);
    forwardBatch();
    return;
  }
  if (opt_.chkSound) soundCount_.fetch_add(1);

  if (DebugMode.load()) {
    RxData_Debug(ring, batchStart, batchCount);
  } else {
    batching_ = true;
    try {
      for (int i = batchStart; i < batchStart + batchCount; ++i) {
        const TSeriellData& r = ring.Slot(i);
        switch (r.RecType) {
          case rtSeriell:
            RxData_Serial(r);
            break;
          default:
            // CAN and measurement records are rendered by their own handlers.
            break;
        }
        lastRec_ = r;
      }
    } catch (...) {
      batching_ = false;
      FlushBatch();
      throw;
    }
    batching_ = false;
    FlushBatch();
    if (lastRec_) lastRecTime_.store(lastRec_->Time);
    FlushRaw();
  }
  protActiveShown_.store(protActive_);
  forwardBatch();
}

void TReceivePipeline::RelayBatch(const ReceiveRing& ring, int batchStart, int batchCount) {
  const bool usbMode = opt_.WorkMode >= 400 && opt_.WorkMode <= 500;
  if (!opt_.RelayPorts || usbMode) return;
  for (int i = batchStart; i < batchStart + batchCount; ++i) {
    const TSeriellData& r = ring.Slot(i);
    if (r.RecType == rtSeriell && r.Count > 0) QueueForPartner(r);
  }
  HandOverRelay(true);
}

void TReceivePipeline::QueueForPartner(const TSeriellData& r) {
  (r.Dir == dirPortB ? relayToA_ : relayToB_).push_back(static_cast<char>(r.Data[0]));
  HandOverRelay(false);
}

// Bytes go to the other port in blocks: one hand-over per byte would cap
// the relay at the rate the send thread can be woken.
bool TReceivePipeline::HandOverRelay(bool wait) {
  if (relayToA_.empty() && relayToB_.empty()) return true;
  std::lock_guard relay(relayLock_);
  TTxPort* portA = nullptr;
  TTxPort* portB = nullptr;
  {
    std::lock_guard lock(optionsLock_);
    portA = portA_;
    portB = portB_;
  }
  bool handedAll = true;
  for (auto [target, pending] : {std::pair{portA, &relayToA_}, std::pair{portB, &relayToB_}}) {
    if (pending->empty()) continue;
    if (target == nullptr) {
      pending->clear();
      continue;
    }
    if (!wait && !target->CanAddTxOut()) continue;
    bool abandoned = false;
    while (!target->WaitCanAddTxOut(std::chrono::milliseconds(2))) {
      if (AppClosing.load() || SendAbort.load()) {
        abandoned = true;
        break;
      }
    }
    if (abandoned) {
      pending->clear();
      handedAll = false;
      continue;
    }
    target->AddTxOut(*pending);
    pending->clear();
  }
  return handedAll;
}

void TReceivePipeline::RxData_Serial(const TSeriellData& r) {
  pending_.clear();
  currentColor_ = lineColor_;
  logRecord_ = !LogExcluded(r.Dir);

  // 1. The monitor in the line passes every byte on to the other port.
  const bool usbMode = opt_.WorkMode >= 400 && opt_.WorkMode <= 500;
  if (opt_.RelayPorts && !usbMode && r.Count > 0) QueueForPartner(r);

  // 2.
  const std::uint16_t changeMask = r.Signals ^ prevSignals_;
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
  if (!startCharsUsed_) protActive_ = true;
  if (!protActive_ && codes[b].StartChar && r.Count > 0) {
    protActive_ = true;
    const TColor startColor = spsColour ? clMaroon : clGray;
    if (startColor != currentColor_) {
      Flush(currentColor_);
      currentColor_ = startColor;
    }
  }
  if (!protActive_) {
    prevSignals_ = r.Signals;
    return;
  }

  // 5., 6. Line break before the byte.
  const TTimeDifference diff = TimeDiff(r);
  if (BreakBeforeByte(r)) {
    pending_.clear();
    AppendLineEnd(pending_, opt_, opt_.chkTextEnde && lastRec_ ? SideText(lastRec_->Dir) : std::string_view(),
                  lastRec_ ? lastRec_->Time : 0.0);
    lineChars_ = 0;
    lineOpen_ = false;
    Emit(pending_, lineColor_, logRecord_);
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
  prevSignals_ = r.Signals;
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

void TReceivePipeline::ShowStatusLine(std::string_view text, bool withTime, TColor color) {
  TRxOptions opt;
  {
    std::lock_guard lock(optionsLock_);
    opt = published_;
  }
  const double lastTime = lastRecTime_.load();
  std::string line;
  if (!trace_.LastLineEmpty()) line = LineEndFor(opt, "", lastTime);
  if (withTime && opt.chkProtZeit) {
    line += FormatDateTime(opt.TimeFmt, NowDateTime());
    line += ": ";
  }
  line += text;
  line += LineEndFor(opt, "", lastTime);
  EmitNow(line, color);
  // The status line ended the open line: the next record starts a new one
  // and must not end it again.
  RequestLineReset();
}

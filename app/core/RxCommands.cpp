// The display commands of the window thread (clear, line reset, status
// lines) in order with the records: between batches they take effect at
// once, during a batch at the next record or at the batch's end.
#include "core/DateTime.h"
#include "core/ReceivePipeline.h"

void TReceivePipeline::ClearTrace() {
  std::lock_guard lock(stateLock_);
  if (inBatch_) {
    clearRequested_.store(true);
    return;
  }
  lineChars_ = 0;
  lineOpen_ = false;
  trace_.ClearTrace();
}

void TReceivePipeline::RequestLineReset() {
  std::lock_guard lock(stateLock_);
  if (inBatch_) {
    lineResetRequested_.store(true);
    return;
  }
  lineChars_ = 0;
  lineOpen_ = false;
}

void TReceivePipeline::ResetProtActive(bool active) { protActive_.store(active); }

// Consumer thread, between two records.
void TReceivePipeline::ApplyRequests() {
  if (clearRequested_.exchange(false)) ApplyClear();
  if (lineResetRequested_.exchange(false)) {
    lineChars_ = 0;
    lineOpen_ = false;
  }
}

// The batch's text not yet handed out was rendered before the clear: the
// logs still take it, the trace never shows it.
void TReceivePipeline::ApplyClear() {
  if (!batchText_.empty() && batchToLog_)
    if (TStreamSink* stream = stream_.load()) stream->WriteStreamData(batchText_, batchColor_);
  batchText_.clear();
  lineChars_ = 0;
  lineOpen_ = false;
  trace_.ClearTrace();
}

std::string TReceivePipeline::StatusLineText(std::string_view text, bool withTime, double lastTime) const {
  TRxOptions opt;
  {
    std::lock_guard lock(optionsLock_);
    opt = published_;
  }
  std::string line;
  if (!trace_.LastLineEmpty()) line = LineEndFor(opt, "", lastTime);
  if (withTime && opt.chkProtZeit) {
    line += FormatDateTime(opt.TimeFmt, NowDateTime());
    line += ": ";
  }
  line += text;
  line += LineEndFor(opt, "", lastTime);
  return line;
}

void TReceivePipeline::ShowStatusLine(std::string_view text, bool withTime, TColor color) {
  std::lock_guard lock(stateLock_);
  if (inBatch_) {
    waiting_.push_back({std::string(text), withTime, color});
    return;
  }
  // Between batches the consumer leaves the line state alone.
  EmitNow(StatusLineText(text, withTime, lastRec_ ? lastRec_->Time : 0.0), color);
  EndLineByStatus();
}

// A status line ended the open line: the next record starts a new one and
// must not end it again.
void TReceivePipeline::EndLineByStatus() {
  lineChars_ = 0;
  lineOpen_ = false;
}

// Consumer thread, at the end of a batch: status lines that came during it
// follow its text; the batch is over once none waits.
void TReceivePipeline::RunWaitingCommands() {
  for (;;) {
    std::vector<TStatusLine> lines;
    {
      std::lock_guard lock(stateLock_);
      if (waiting_.empty()) {
        if (clearRequested_.exchange(false)) ApplyClear();
        inBatch_ = false;
        batchEnded_.notify_all();
        return;
      }
      lines.swap(waiting_);
    }
    if (clearRequested_.exchange(false)) ApplyClear();
    const double lastTime = lastRec_ ? lastRec_->Time : 0.0;
    for (const TStatusLine& line : lines) EmitNow(StatusLineText(line.Text, line.WithTime, lastTime), line.Color);
    EndLineByStatus();
  }
}

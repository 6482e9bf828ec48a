// The fast path: a run of plain data bytes of one side, where no line rule
// can fire inside the run, is written straight from a table of byte texts.
#include <algorithm>
#include <cstring>

#include "core/ReceivePipeline.h"
#include "core/ReceiveRing.h"

namespace {
constexpr int kPlainRunMax = 4096;  // bounds the text reserved at once
constexpr std::uint16_t kShownErrors = seOE | sePE | seFE | seBI;

TColor DataColor(std::uint8_t dir) { return dir == dirUSB2 || dir == dirPortB ? clRed : clBlack; }
}  // namespace

// Bytes that end a line (A1) or the logging window (S1) never take the fast
// path, nor texts too long for the table.
void TReceivePipeline::BuildPlainTable() {
  const TCodeEntries& codes = *opt_.Codes;
  const bool stopsMatter = startCharsUsed_ && stopCharsUsed_;
  for (std::size_t b = 0; b < plain_.size(); ++b) {
    const TCodeEntry& e = codes[b];
    TPlainText& p = plain_[b];
    p.Len = 0;
    if (e.LineBreak || (stopsMatter && e.StopChar) || e.Text.empty() || e.Text.size() > sizeof p.Text) continue;
    std::memcpy(p.Text, e.Text.data(), e.Text.size());
    p.Len = static_cast<std::uint8_t>(e.Text.size());
  }
}

// A record continues the run when it is a shown byte of the same side with
// unchanged lines and no shown line error, arriving with the last record's
// time (no pause can lie between), while the line is open, the logging
// window active and the character limits still some bytes away.
int TReceivePipeline::PlainRunLength(const ReceiveRing& ring, int index, int end) const {
  if (!lastRec_ || !lineOpen_ || !protActive_.load(std::memory_order_relaxed)) return 0;
  const TSeriellData& last = *lastRec_;
  const std::uint8_t dir = last.Dir;
  if (last.RecType != rtSeriell || lineColor_ != DataColor(dir)) return 0;
  int room = std::min(end - index, kPlainRunMax);
  if (opt_.chkZeichBegr) room = std::min(room, opt_.CharLimit - lineChars_ - 1);  // A2
  if (startCharsUsed_ && opt_.StopAfterChars > 0) room = std::min(room, opt_.StopAfterChars - lineChars_ - 1);  // S2
  const std::uint16_t signals = prevSignals_[SignalSource(dir)];
  const std::uint16_t shownErrors = opt_.chkError ? kShownErrors : 0;
  const bool pauseRule = opt_.chkZwPause;
  int n = 0;
  for (; n < room; ++n) {
    const TSeriellData& r = ring.Slot(index + n);
    if (r.RecType != rtSeriell || r.Count <= 0 || r.Ready <= 0 || r.Dir != dir || r.Signals != signals ||
        (r.LineFlags & shownErrors) != 0 || plain_[r.Data[0]].Len == 0 || (pauseRule && r.Time != last.Time))
      break;
  }
  return n;
}

void TReceivePipeline::RenderPlainRun(const ReceiveRing& ring, int index, int count) {
  const std::uint8_t dir = ring.Slot(index).Dir;
  const bool toLog = !LogExcluded(dir);
  const TColor color = lineColor_;
  if (!batchText_.empty() && (batchColor_ != color || batchToLog_ != toLog)) FlushBatch();
  batchColor_ = color;
  batchToLog_ = toLog;

  const std::size_t at = batchText_.size();
  batchText_.resize(at + static_cast<std::size_t>(count) * sizeof(TPlainText));
  char* out = batchText_.data() + at;
  std::string* raw = toLog ? (IsSpsSide(dir) ? &rawB_ : &rawA_) : nullptr;
  const std::size_t rawAt = raw ? raw->size() : 0;
  if (raw) raw->resize(rawAt + static_cast<std::size_t>(count));
  for (int k = 0; k < count; ++k) {
    const std::uint8_t b = ring.Slot(index + k).Data[0];
    const TPlainText& p = plain_[b];
    // Whole table entries are copied; the room reserved covers the overlap.
    std::memcpy(out, p.Text, sizeof p.Text);
    out += p.Len;
    if (raw) (*raw)[rawAt + static_cast<std::size_t>(k)] = static_cast<char>(b);
  }
  batchText_.resize(static_cast<std::size_t>(out - batchText_.data()));
  lineChars_ += count;
  lineOpen_ = true;
  lastRec_ = ring.Slot(index + count - 1);
  lastSignalSource_ = SignalSource(dir);
  if (batchText_.size() >= kBatchTextLimit) FlushBatch();
}

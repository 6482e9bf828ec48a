// Where a trace line ends: before a byte (direction change, pause) and after
// it (break byte, character limit, stop of the logging window).
#include <cmath>

#include "core/ReceivePipeline.h"

bool TReceivePipeline::BreakBeforeByte(const TSeriellData& r) const {
  if (!(lineChars_ > 0 && lineOpen_) || !lastRec_) return false;
  if (opt_.chkDatenAend && r.Dir != lastRec_->Dir) return true;
  if (opt_.chkZwPause) {
    // Whole milliseconds of the record times, truncated; the microseconds
    // (SubMs) are not used, so neither is the time difference shown, which
    // borrows a millisecond from them. Rounded to microseconds first: a
    // date-time double carries about half a microsecond of noise, enough to
    // turn 51 ms into 50.9999.
    const long long pauseUs = std::llround((r.Time - lastRec_->Time) * 86'400'000'000.0);
    const long long pauseMs = pauseUs >= 0 ? pauseUs / 1000 : -((-pauseUs + 999) / 1000);
    if (pauseMs > opt_.PauseLimitMs) return true;
  }
  return false;
}

bool TReceivePipeline::BreakAfterByte(const TSeriellData& r) {
  const TCodeEntries& codes = *opt_.Codes;
  const std::uint8_t b = r.Data[0];
  const bool carriesByte = r.Count > 0;
  bool lineEnds = false;
  if (carriesByte && codes[b].LineBreak) lineEnds = true;                          // A1
  if (opt_.chkZeichBegr && lineChars_ >= opt_.CharLimit) lineEnds = true;           // A2

  if (startCharsUsed_ && protActive_) {
    bool stopped = false;
    if (carriesByte && codes[b].StopChar && stopCharsUsed_) stopped = true;         // S1
    if (opt_.StopAfterChars > 0 && lineChars_ >= opt_.StopAfterChars) stopped = true;  // S2
    if (stopped) {
      protActive_ = false;
      if (opt_.chkProtWechsel) lineEnds = true;                                     // S3
    }
  }
  return lineEnds;
}

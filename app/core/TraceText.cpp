// The texts that open and close a trace line.
#include <cmath>

#include "core/DateTime.h"
#include "core/ReceivePipeline.h"

namespace {
// As "%0*lld" would print it, without the cost of the format machinery.
void AppendDigits(std::string& out, long long value, int digits) {
  char buf[24];
  int n = 0;
  const bool negative = value < 0;
  unsigned long long v = negative ? 0ULL - static_cast<unsigned long long>(value) : static_cast<unsigned long long>(value);
  do {
    buf[n++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v != 0);
  if (negative) out += '-';
  for (int i = n + (negative ? 1 : 0); i < digits; ++i) out += '0';
  while (n > 0) out += buf[--n];
}
}  // namespace

TTimeDifference TReceivePipeline::TimeDiff(const TSeriellData& r) const {
  TTimeDifference diff;
  if (!lastRec_) return diff;
  diff.Days = r.Time - lastRec_->Time;
  diff.Microseconds = r.SubMs - lastRec_->SubMs;
  if (diff.Microseconds < 0) {
    diff.Days -= 1.0 / 86'400'000.0;
    diff.Microseconds += 1000;
  }
  return diff;
}

const std::string& TReceivePipeline::SideText(std::uint8_t dir) const {
  return IsSpsSide(dir) ? opt_.edtTextSPS : opt_.edtTextPC;
}

std::string TReceivePipeline::LinePrefix(const TSeriellData& r, const TTimeDifference& diff) {
  std::string prefix;
  AppendLinePrefix(prefix, r, diff);
  return prefix;
}

void TReceivePipeline::AppendLinePrefix(std::string& out, const TSeriellData& r, const TTimeDifference& diff) {
  if (lineChars_ != 0 || lineOpen_) return;
  bool any = false;
  if (opt_.chkProtZeit) {
    AppendDateTime(out, opt_.TimeFmt, r.Time);
    if (opt_.chkMs) {
      out += '.';
      AppendDigits(out, r.SubMs, 3);
    }
    out += ' ';
    any = true;
  }
  if (opt_.chkProtZeitDiff && lastRec_ && lastRec_->Time > 0) {
    // Rounded once, then split: rounding the milliseconds alone would
    // carry into a minute the truncated minutes do not show.
    long long totalMs = std::llround(diff.Days * 86'400'000.0);
    if (totalMs < 0) {  // a clock set back, or records that brought their own times
      out += '-';
      totalMs = -totalMs;
    }
    const long long minutes = totalMs / 60'000;
    if (minutes > 0) {
      AppendDigits(out, minutes, 1);
      out += ':';
    }
    AppendDigits(out, (totalMs / 1000) % 60, 2);
    out += '.';
    AppendDigits(out, totalMs % 1000, 3);
    out += '.';
    AppendDigits(out, diff.Microseconds, 3);
    out += ' ';
    any = true;
  }
  if (opt_.chkTextBegin && opt_.DataPageShown) {
    out += SideText(r.Dir);
    out += ' ';
    any = true;
  }
  if (any) {
    out += ": ";
    lineOpen_ = true;
  }
}

void TReceivePipeline::AppendLineEnd(std::string& out, const TRxOptions& opt, std::string_view endText,
                                     double endTime) {
  if (opt.chkProtZeitEnde && endTime > 0) {
    out += " :";
    AppendDateTime(out, opt.TimeFmt, endTime);
    out += ' ';
    out += endText;
  } else if (!endText.empty()) {
    out += " :";
    out += endText;
  }
  out += "\r\n";
}

std::string TReceivePipeline::LineEndFor(const TRxOptions& opt, std::string_view endText, double endTime) {
  std::string text;
  AppendLineEnd(text, opt, endText, endTime);
  return text;
}

std::string TReceivePipeline::LineEndText(std::string_view endText) const {
  return LineEndFor(opt_, endText, lastRec_ ? lastRec_->Time : 0.0);
}

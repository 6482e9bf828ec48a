// The texts that open and close a trace line.
#include <cmath>
#include <cstdio>

#include "core/DateTime.h"
#include "core/ReceivePipeline.h"

namespace {
void AppendDigits(std::string& out, long long value, int digits) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%0*lld", digits, value);
  out += buf;
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

std::string TReceivePipeline::SideText(std::uint8_t dir) const {
  return IsSpsSide(dir) ? opt_.edtTextSPS : opt_.edtTextPC;
}

std::string TReceivePipeline::LinePrefix(const TSeriellData& r, const TTimeDifference& diff) {
  std::string prefix;
  if (lineChars_ != 0 || lineOpen_) return prefix;
  bool any = false;
  if (opt_.chkProtZeit) {
    prefix += FormatDateTime(opt_.TimeFmt, r.Time);
    if (opt_.chkMs) {
      prefix += '.';
      AppendDigits(prefix, r.SubMs, 3);
    }
    prefix += ' ';
    any = true;
  }
  if (opt_.chkProtZeitDiff && lastRec_ && lastRec_->Time > 0) {
    const long long totalMs = std::llround(diff.Days * 86'400'000.0);
    const long long minutes = static_cast<long long>(diff.Days * 1440.0);
    if (minutes > 0) {
      AppendDigits(prefix, minutes, 1);
      prefix += ':';
    }
    AppendDigits(prefix, (totalMs / 1000) % 60, 2);
    prefix += '.';
    AppendDigits(prefix, totalMs % 1000, 3);
    prefix += '.';
    AppendDigits(prefix, diff.Microseconds, 3);
    prefix += ' ';
    any = true;
  }
  if (opt_.chkTextBegin && opt_.DataPageShown) {
    prefix += SideText(r.Dir);
    prefix += ' ';
    any = true;
  }
  if (any) {
    prefix += ": ";
    lineOpen_ = true;
  }
  return prefix;
}

std::string TReceivePipeline::LineEndFor(const TRxOptions& opt, std::string_view endText, double endTime) {
  std::string text;
  if (opt.chkProtZeitEnde && endTime > 0) {
    text += " :";
    text += FormatDateTime(opt.TimeFmt, endTime);
    text += ' ';
    text += endText;
  } else if (!endText.empty()) {
    text += " :";
    text += endText;
  }
  text += "\r\n";
  return text;
}

std::string TReceivePipeline::LineEndText(std::string_view endText) const {
  return LineEndTextAt(endText, lastRec_ ? &*lastRec_ : nullptr);
}

std::string TReceivePipeline::LineEndTextAt(std::string_view endText, const TSeriellData* endRec) const {
  return LineEndFor(opt_, endText, endRec ? endRec->Time : 0.0);
}

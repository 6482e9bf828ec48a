#include "core/TraceStatusLines.h"

#include "core/Colors.h"
#include "core/DateTime.h"
#include "core/ErrorReport.h"
#include "core/ReceivePipeline.h"

void TPeriodicDateEntry::Arm(double now) { nextDateRef_ = now - minutes_ / 1440.0; }

std::optional<std::string> TPeriodicDateEntry::Check(double now, const std::string& dateFmt,
                                                     const std::string& timeFmt) {
  if (minutes_ <= 0 || now - minutes_ / 1440.0 < nextDateRef_) return std::nullopt;
  TDateTimeParts minute = DecodeDateTime(now);
  minute.Second = 0;
  minute.Millisecond = 0;
  nextDateRef_ = EncodeDateTime(minute);
  return FormatDateTime(dateFmt + ' ' + timeFmt, now) + ": ";
}

void TPeriodicDateEntry::Tick(TReceivePipeline& pipeline, double now, const std::string& dateFmt,
                              const std::string& timeFmt) {
  if (const auto text = Check(now, dateFmt, timeFmt)) pipeline.ShowStatusLine(*text, false, clBlue);
}

std::string LostRecordsText(std::uint64_t lost) {
  return std::to_string(lost) + " records lost: the receive ring was full";
}

void ShowLostRecords(TReceivePipeline& pipeline, std::uint64_t lost) {
  const std::string text = LostRecordsText(lost);
  pipeline.ShowStatusLine(text, true);
  ReportError("2.3", text);
}

#include "core/LogOptions.h"

#include "core/DateTime.h"

namespace {

// The whole date and hour, not just the hour of the day: a log that stays
// silent for exactly a day (or a month) still gets its new file.
bool SameHour(const TDateTimeParts& a, const TDateTimeParts& b) {
  return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day && a.Hour == b.Hour;
}

bool SameDay(const TDateTimeParts& a, const TDateTimeParts& b) {
  return a.Year == b.Year && a.Month == b.Month && a.Day == b.Day;
}

}  // namespace

bool LogRotationDue(const TLogLimit& limit, TNameKind kind, double start, double now, std::uint64_t fileSize) {
  if (!limit.chkLogFile) return false;
  switch (limit.rbLogFile) {
    case 1:
      return kind == nkDateTime && !SameHour(DecodeDateTime(start), DecodeDateTime(now));
    case 2:
      return (kind == nkDate || kind == nkDateTime) && !SameDay(DecodeDateTime(start), DecodeDateTime(now));
    case 3:
      return kind == nkDateTime && fileSize > kLogFileSizeLimit;
    default:
      return false;
  }
}

TNoPortFlags ClickNoPort(TNoPortFlags current, bool portA, bool checked) {
  if (portA) {
    current.chkNoPortA = checked;
    if (checked) current.chkNoPortB = false;
  } else {
    current.chkNoPortB = checked;
    if (checked) current.chkNoPortA = false;
  }
  return current;
}

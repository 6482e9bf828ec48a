// Local date-time values as the program stores them: days since 1899-12-30,
// the fraction being the time of day.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

struct TDateTimeParts {
  int Year = 1899, Month = 12, Day = 30;
  int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Seconds are the wall clock in the local zone.
double NowDateTime();
// Seconds east of UTC in the local zone at that moment.
long LocalOffsetSeconds(std::int64_t unixSeconds);
double EncodeDateTime(const TDateTimeParts& parts);
TDateTimeParts DecodeDateTime(double value);

// Format tokens: yyyy yy mm dd (date), hh nn ss zzz (time); anything else,
// and text in double quotes, is copied.
std::string FormatDateTime(std::string_view format, double value);
// The same, appended to out (no allocation once out has room).
void AppendDateTime(std::string& out, std::string_view format, double value);

// The system's long time format as hour, minute and second fields in the
// system's order, two digits each, joined by its separator; ".zzz" follows
// the seconds when withMs. Falls back to "hh:nn:ss" (ok = false).
std::string BuildTimeFmt(bool withMs, bool* ok = nullptr);
// The system's short date format in the same tokens ("dd.mm.yyyy" fallback).
std::string ShortDateFmt();

// Turns a format into one built from an strftime pattern (for tests).
std::string TimeFmtFromStrftime(std::string_view pattern, bool withMs, bool* ok = nullptr);

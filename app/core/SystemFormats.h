// The system's date and time formats as the program uses them: read from
// the locale (LC_TIME) once at start.
#pragma once

#include <string>
#include <string_view>

struct TSystemFormats {
  std::string FoundShortDate;  // the locale's patterns as found (strftime form)
  std::string FoundLongTime;
  std::string ShortDateFmt;    // "dd", "mm", "yyyy" in the system's order and separator
  bool ShortDateOk = true;     // false: the pattern could not be read, "dd.mm.yyyy" taken
};

// Reads the locale's patterns and normalises the date format.
TSystemFormats ReadSystemFormats();

// A date pattern in strftime form as "dd", "mm", "yyyy" in its order, joined
// by the text between its first two fields. "dd.mm.yyyy" (ok = false) when
// it does not hold day, month and year once each.
std::string ShortDateFmtFromStrftime(std::string_view pattern, bool* ok = nullptr);

// The log options of the "Zeit/PlugIn" page: when a log starts a new file,
// and which port's data stay out of the logs.
#pragma once

#include <cstdint>

#include "core/FileNamePlaceholders.h"

// A file grows past this many bytes before the size rule starts a new one.
inline constexpr std::uint64_t kLogFileSizeLimit = 1'000'000;

struct TLogLimit {
  bool chkLogFile = true;  // "Logdatei begrenzen:"
  int rbLogFile = 3;       // 1: every hour, 2: every day, 3: after 1 MB
};

// Whether a log opened at `start` under a name of `kind` needs a new file
// before writing at `now`. The hourly and the size rule need "[DATETIME]";
// the daily rule "[DATE]" or "[DATETIME]" (other names would not change).
bool LogRotationDue(const TLogLimit& limit, TNameKind kind, double start, double now, std::uint64_t fileSize);

struct TNoPortFlags {
  bool chkNoPortA = false;  // "Daten von Port A nicht loggen"
  bool chkNoPortB = false;  // "Daten von Port B nicht loggen"
};

// A click on one of the two boxes: leaving out both ports would log nothing,
// so checking one unchecks the other.
TNoPortFlags ClickNoPort(TNoPortFlags current, bool portA, bool checked);

#include "core/ErrorLog.h"

#include "core/DateTime.h"
#include "core/ErrorLogFile.h"

// The short calls the window uses; the program has one error log.
void SetErrorLogFile(std::string path) { ProgramErrorLog().SetPath(std::move(path)); }

void SetErrorLogEnabled(bool enabled) { ProgramErrorLog().SetEnabled(enabled); }

bool ErrorLogEnabled() { return ProgramErrorLog().Enabled(); }

std::string ErrorLogLine(std::string_view text, double now) {
  std::string line = FormatDateTime("yy.mm.dd hh:nn:ss", now);
  line.push_back(' ');
  line.append(text);
  return line;
}

void WriteErrorLog(std::string_view text) { ProgramErrorLog().Write(text); }

// The error and user-action log (TamarikErr.log). It is written only while
// switched on; every line is appended with the file opened and closed at
// once, so the log survives a crash. Any thread may write.
#pragma once

#include <string>
#include <string_view>

void SetErrorLogFile(std::string path);
void SetErrorLogEnabled(bool enabled);
bool ErrorLogEnabled();

// Appends "yy.mm.dd hh:nn:ss", a space and the text as one line.
void WriteErrorLog(std::string_view text);

// The line as written for a moment `now` (local date-time), without line end.
std::string ErrorLogLine(std::string_view text, double now);

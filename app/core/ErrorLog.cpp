#include "core/ErrorLog.h"

#include <atomic>
#include <cstdio>
#include <mutex>

#include "core/DateTime.h"

namespace {
std::mutex logLock;
std::string logPath;  // guarded by logLock
std::atomic<bool> logEnabled{false};
}  // namespace

void SetErrorLogFile(std::string path) {
  std::lock_guard lock(logLock);
  logPath = std::move(path);
}

void SetErrorLogEnabled(bool enabled) { logEnabled.store(enabled); }

bool ErrorLogEnabled() { return logEnabled.load(); }

std::string ErrorLogLine(std::string_view text, double now) {
  std::string line = FormatDateTime("yy.mm.dd hh:nn:ss", now);
  line.push_back(' ');
  line.append(text);
  return line;
}

void WriteErrorLog(std::string_view text) {
  if (!logEnabled.load()) return;
  std::string line = ErrorLogLine(text, NowDateTime());
  line.append("\r\n");
  std::lock_guard lock(logLock);
  if (logPath.empty()) return;
  if (std::FILE* file = std::fopen(logPath.c_str(), "ab")) {
    std::fwrite(line.data(), 1, line.size(), file);
    std::fclose(file);
  }
}

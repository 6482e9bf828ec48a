// TamarikErr.log: one line per event, "yy.mm.dd hh:nn:ss" + blank + text.
// The file is opened and closed for every line so that it survives a crash.
// Any thread may write.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <string_view>

class TErrorLogFile {
 public:
  static constexpr std::string_view kFileName = "TamarikErr.log";

  // On with "/ERRLOG" or a double click on the error list.
  void SetEnabled(bool enabled) { enabled_.store(enabled); }
  bool Enabled() const { return enabled_.load(); }

  void SetPath(std::string path);
  std::string Path() const;

  // Appends the line when the log is on (creating the file); a line break
  // in text becomes "^", so every event stays one line. False when off or
  // the file could not be written.
  bool Write(std::string_view text, double now);
  bool Write(std::string_view text);  // at the current time

 private:
  std::atomic<bool> enabled_{false};
  mutable std::mutex lock_;
  std::string path_;
};

// The program's error log (WriteErrorLog).
TErrorLogFile& ProgramErrorLog();

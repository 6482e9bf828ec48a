// Helpers for the settings, error report and start-up tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/ErrorReport.h"

// Runs the test body in another working directory and returns to the old one.
class TChangeDir {
 public:
  explicit TChangeDir(const std::filesystem::path& dir) : old_(std::filesystem::current_path()) {
    std::filesystem::current_path(dir);
  }
  ~TChangeDir() {
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
  }

 private:
  std::filesystem::path old_;
};

// Collects every ReportError while it lives.
struct TReports {
  TReports() {
    SetErrorReporter([this](const std::string& location, const std::string& message) {
      All.push_back(location + "/" + message);
    });
  }
  ~TReports() { SetErrorReporter(nullptr); }
  bool Contains(const std::string& part) const {
    for (const std::string& r : All)
      if (r.find(part) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> All;
};

// The lines of a file, without their CR LF.
inline std::vector<std::string> FileLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) end = bytes.size();
    lines.push_back(bytes.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

// Helpers shared by the log tests: a scratch folder, file contents, a
// captured error report, a trace that keeps everything.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <vector>

#include "core/ErrorReport.h"
#include "core/TraceSink.h"

struct TScratchDir {
  std::filesystem::path Path;
  TScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tamarik-log-XXXXXX").string();
    Path = ::mkdtemp(pattern.data());
  }
  ~TScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  std::string operator/(const std::string& name) const { return (Path / name).string(); }
  std::vector<std::string> Files() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(Path)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

inline std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteWhole(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct TReportedError {
  std::string Location, Message;
};

// Installs a reporter for the test's lifetime.
class TErrorCapture {
 public:
  TErrorCapture() {
    SetErrorReporter([this](const std::string& location, const std::string& message) {
      std::lock_guard lock(lock_);
      errors_.push_back({location, message});
    });
  }
  ~TErrorCapture() { SetErrorReporter(nullptr); }
  std::vector<TReportedError> Errors() const {
    std::lock_guard lock(lock_);
    return errors_;
  }

 private:
  mutable std::mutex lock_;
  std::vector<TReportedError> errors_;
};

class TKeepTrace final : public TTraceSink {
 public:
  void AppendText(std::string_view text, TColor) override { Text.append(text); }
  bool LastLineEmpty() const override { return Text.empty() || Text.ends_with("\r\n"); }
  std::string Text;
};

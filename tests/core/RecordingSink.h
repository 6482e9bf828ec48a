// A trace sink that keeps every run, for checking texts and colours.
#pragma once

#include <string>
#include <vector>

#include "core/TraceSink.h"

struct TRecordedRun {
  std::string Text;
  TColor Color;
  bool operator==(const TRecordedRun&) const = default;
};

class TRecordingSink : public TTraceSink {
 public:
  void AppendText(std::string_view text, TColor color) override {
    Runs.push_back({std::string(text), color});
    All += text;
  }
  bool LastLineEmpty() const override { return All.empty() || All.ends_with("\r\n") || All.ends_with(kCleared); }
  void ClearTrace() override {
    Runs.push_back({kCleared, clBlack});
    All += kCleared;
  }
  static constexpr const char* kCleared = "|cleared|";
  std::vector<TRecordedRun> Runs;
  std::string All;
};

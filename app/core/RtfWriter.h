// The rich-text format of saved traces and rich-text online logs: a fixed
// header and colour table, runs escaped and tagged with their colour.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/Colors.h"
#include "core/RunQueue.h"

// The three header lines (the third without a line end).
std::string RtfHeader();
// "\cfN " for the colour's entry in the header's colour table.
std::string_view RtfColorTag(TColor color);
// Escapes a UTF-8 run: "\" "{" "}" and CR LF ("\par "); characters of
// Windows-1252 become its bytes, any other one "\uN?".
std::string RtfEscape(std::string_view utf8);

// Tags a run with its colour only when it differs from the previous run's.
class TRtfRunWriter {
 public:
  std::string Run(std::string_view utf8, TColor color);
  void Reset() { lastRtfColor_ = clWhite; }

 private:
  TColor lastRtfColor_ = clWhite;
};

// A whole document: header, runs, closing brace.
std::string RtfDocument(const std::vector<TTextRun>& runs);

// Writes trace runs to a terminal in ANSI colours (plain text when the
// output is not a terminal).
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "core/Colors.h"

class TAnsiTerminal {
 public:
  TAnsiTerminal(std::FILE* out, bool colours);
  // Text as it goes to the pane: CR LF line ends, colours as RGB.
  void Write(std::string_view text, TColor color);
  void Finish();

  // The run as the terminal gets it (for tests).
  static std::string Render(std::string_view text, TColor color, bool colours);

 private:
  static void WriteTo(std::FILE* out, std::string_view text, TColor color, bool colours);

  std::FILE* out_;
  bool colours_;
};

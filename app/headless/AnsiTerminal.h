// Writes trace runs to a terminal in ANSI colours (plain text when the
// output is not a terminal). Whatever the data hold, the terminal gets no
// control character but the writer's own line ends and colour sequences:
// a device on the line must not be able to drive the user's terminal.
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
  // The text with every control character shown by its name: C0 and DEL as
  // on the page "ASC-II" ("[ESC]", "[DEL]"), C1 and bytes that are no UTF-8
  // as their number ("[155]"). CR LF becomes a line end when lineEnds is set.
  static std::string Visible(std::string_view text, bool lineEnds);
  static void AppendVisible(std::string& out, std::string_view text, bool lineEnds);

 private:
  static void AppendRun(std::string& out, std::string_view text, TColor color, bool colours);
  static void WriteTo(std::FILE* out, std::string_view text, TColor color, bool colours);

  std::FILE* out_;
  bool colours_;
};

// The terminal's built-in demo as a user starts it: the first line names the
// interface that runs, and the trace follows Tamarik.ini (on the very first
// start, the demo's own presets).
#include <gtest/gtest.h>


#include "ProgramRun.h"
#include "core/IniFile.h"
#include "core/TempDir.h"

namespace {

TProgramResult RunDemo(const TTempDir& work, const char* seconds = "1") {
  TProgramRun run(TamarikProgram(), {"--headless", "--demo", "--seconds", seconds}, work.Path().string());
  return run.Finish();
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }
bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}
bool Digit(char c) { return c >= '0' && c <= '9'; }

// A line of its own that ends in a time and ": " ("… 08:10:27: ").
bool HasDateEntry(const std::string& text) {
  std::size_t from = 0;
  for (std::size_t end; (end = text.find('\n', from)) != std::string::npos; from = end + 1) {
    const std::string line = text.substr(from, end - from);
    const std::size_t n = line.size();
    if (n >= 12 && Digit(line[0]) && EndsWith(line, ": ") && line[n - 5] == ':' && line[n - 8] == ':' &&
        Digit(line[n - 3]) && Digit(line[n - 4]) && Digit(line[n - 6]) && Digit(line[n - 9]))
      return true;
  }
  return false;
}

}  // namespace

TEST(HeadlessDemo, FirstStartBringsThePresetsWhichAreStoredAndTheStartLineNamesTheDemo) {
  TTempDir work;
  const TProgramResult first = RunDemo(work);
  ASSERT_EQ(first.ExitStatus, 0) << first.Err;
  const std::string startLine = FirstLine(first.Out);
  EXPECT_TRUE(StartsWith(startLine, "Mode 200: port A pts/")) << first.Out;
  EXPECT_NE(startLine.find(", port B pts/"), std::string::npos) << first.Out;
  EXPECT_TRUE(EndsWith(startLine, ", 115200 Bd (demo)")) << first.Out;
  EXPECT_NE(first.Out.find("> von PC : "), std::string::npos) << first.Out;
  const TIniFile stored(work.File("Tamarik.ini"));
  EXPECT_TRUE(stored.ReadBool("FrmMain", "chkTextBegin_Checked", false));
  EXPECT_TRUE(stored.ReadBool("FrmMain", "chkMs_Checked", false));
  EXPECT_EQ(stored.ReadString("FrmMain", "Zeilenw", "").substr(10, 1), "1");
  // The demo's pseudo-terminals are not the user's ports.
  EXPECT_EQ(stored.ReadString("FrmMain", "grpSSA_ItemIndex_S", ""), "");
}

TEST(HeadlessDemo, AnExistingFileRulesTheTraceAndItsPeriodicDateEntry) {
  TTempDir work;
  TTempDir::Write(work.File("Tamarik.ini"),
                  "[FrmMain]\r\nchkTextBegin_Checked=0\r\nchkProtZyk_Checked=1\r\nedProtZyk_Value=1\r\nCodeSeite=4\r\n");
  const TProgramResult run = RunDemo(work, "1.5");
  ASSERT_EQ(run.ExitStatus, 0) << run.Err;
  EXPECT_EQ(run.Out.find("von PC"), std::string::npos) << run.Out;
  // Hexadecimal page: the demo's first byte, STX, shows as "02 ".
  EXPECT_NE(run.Out.find("\n02 "), std::string::npos) << run.Out;
  EXPECT_TRUE(HasDateEntry(run.Out)) << run.Out;
}

// The terminal's built-in demo as a user starts it: the first line names the
// interface that runs, and the trace follows Tamarik.ini (on the very first
// start, the demo's own presets).
#include <gtest/gtest.h>

#include <regex>

#include "ProgramRun.h"
#include "core/IniFile.h"
#include "core/TempDir.h"

namespace {

TProgramResult RunDemo(const TTempDir& work, const char* seconds = "1") {
  TProgramRun run(TamarikProgram(), {"--headless", "--demo", "--seconds", seconds}, work.Path().string());
  return run.Finish();
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

}  // namespace

TEST(HeadlessDemo, FirstStartBringsThePresetsWhichAreStoredAndTheStartLineNamesTheDemo) {
  TTempDir work;
  const TProgramResult first = RunDemo(work);
  ASSERT_EQ(first.ExitStatus, 0) << first.Err;
  EXPECT_TRUE(std::regex_match(FirstLine(first.Out),
                               std::regex("Mode 200: port A pts/[0-9]+, port B pts/[0-9]+, 115200 Bd \\(demo\\)")))
      << first.Out;
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
  // Hexadecimal page: the demo's text shows as hex pairs.
  EXPECT_TRUE(std::regex_search(run.Out, std::regex("([0-9A-F]{2} ){4}"))) << run.Out;
  // The date entry: a line of its own, date and time followed by ": ".
  EXPECT_TRUE(std::regex_search(run.Out, std::regex("\\n[0-9][^\\n]* [0-9]{2}:[0-9]{2}:[0-9]{2}: \\n"))) << run.Out;
}

#include <gtest/gtest.h>

#include "core/CommandLine.h"

TEST(CommandLine, SlashSwitchesIgnoreCaseExceptTheServiceSwitch) {
  TCommandLine line = ParseCommandLine({"/errlog", "/DebugMode", "/tcpoff", "/quorvent"});
  EXPECT_TRUE(line.ErrLog);
  EXPECT_TRUE(line.DebugMode);
  EXPECT_TRUE(line.TcpOff);
  EXPECT_FALSE(line.ServiceMode);
  EXPECT_EQ(line.Unknown, std::vector<std::string>{"/quorvent"});
  EXPECT_TRUE(ParseCommandLine({"/Quorvent"}).ServiceMode);
  // Compared in full: a longer word is not the switch.
  EXPECT_FALSE(ParseCommandLine({"/ERRLOGS"}).ErrLog);
}

TEST(CommandLine, HelpFormsAndTheStartupLine) {
  EXPECT_TRUE(ParseCommandLine({"/?"}).ShowAbout);
  EXPECT_TRUE(ParseCommandLine({"?"}).ShowAbout);
  EXPECT_TRUE(ParseCommandLine({"--help"}).ShowAbout);
  const TCommandLine line = ParseCommandLine({"/ERRLOG", "--seconds", "3"});
  EXPECT_EQ(StartupLogLine(line), "Startup Tamarik. /ERRLOG --seconds 3");
}

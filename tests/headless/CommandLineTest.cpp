#include <gtest/gtest.h>

#include "headless/CommandLine.h"

TEST(CommandLine, PortsReplaceTheDemoAndNamesLoseTheirDevPrefix) {
  TCommandLine cl = ParseCommandLine({"--headless", "--mode", "200", "--port-a", "/dev/pts/3", "--port-b", "pts/4",
                                      "--baud", "115200", "--flow", "rtscts"},
                                     true);
  EXPECT_TRUE(cl.Error.empty()) << cl.Error;
  EXPECT_TRUE(cl.Headless);
  EXPECT_FALSE(cl.Options.Demo);
  EXPECT_EQ(cl.Options.WorkMode, 200);
  EXPECT_EQ(cl.Options.PortA, "pts/3");
  EXPECT_EQ(cl.Options.PortB, "pts/4");
  EXPECT_EQ(cl.Options.Baudrate, 115200);
  EXPECT_EQ(cl.Options.FlowMode, fcRTS_CTS);

  cl = ParseCommandLine({}, false);
  EXPECT_TRUE(cl.Headless);  // no display: the terminal
  EXPECT_TRUE(cl.Options.Demo);
}

TEST(CommandLine, BadValuesAreRefusedWithAMessage) {
  EXPECT_FALSE(ParseCommandLine({"--mode", "two hundred"}, true).Error.empty());
  EXPECT_FALSE(ParseCommandLine({"--baud", "0"}, true).Error.empty());
  EXPECT_FALSE(ParseCommandLine({"--flow", "maybe"}, true).Error.empty());
  EXPECT_FALSE(ParseCommandLine({"--port-a"}, true).Error.empty());
  EXPECT_FALSE(ParseCommandLine({"--seconds", "x"}, true).Error.empty());
}

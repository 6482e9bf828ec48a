#include <gtest/gtest.h>

#include "headless/HeadlessCommandLine.h"

TEST(CommandLine, PortsReplaceTheDemoAndNamesLoseTheirDevPrefix) {
  THeadlessCommandLine cl = ParseHeadlessCommandLine({"--headless", "--mode", "200", "--port-a", "/dev/pts/3", "--port-b", "pts/4",
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

  cl = ParseHeadlessCommandLine({}, false);
  EXPECT_TRUE(cl.Headless);  // no display: the terminal
  EXPECT_TRUE(cl.Options.Demo);
}

TEST(CommandLine, BadValuesAreRefusedWithAMessage) {
  EXPECT_FALSE(ParseHeadlessCommandLine({"--mode", "two hundred"}, true).Error.empty());
  EXPECT_FALSE(ParseHeadlessCommandLine({"--baud", "0"}, true).Error.empty());
  EXPECT_FALSE(ParseHeadlessCommandLine({"--flow", "maybe"}, true).Error.empty());
  EXPECT_FALSE(ParseHeadlessCommandLine({"--port-a"}, true).Error.empty());
  EXPECT_FALSE(ParseHeadlessCommandLine({"--seconds", "x"}, true).Error.empty());
}

TEST(CommandLine, UnknownOptionsAreNamedSlashSwitchesPass) {
  EXPECT_EQ(ParseHeadlessCommandLine({"--demo", "--colour"}, true).Error, "unknown option: --colour");
  EXPECT_EQ(ParseHeadlessCommandLine({"-x"}, true).Error, "unknown option: -x");
  const THeadlessCommandLine cl = ParseHeadlessCommandLine({"/ERRLOG", "/?", "?", "/COMON", "--version", "-h", "--desktop"}, true);
  EXPECT_TRUE(cl.Error.empty()) << cl.Error;
  EXPECT_TRUE(cl.Version);
  EXPECT_TRUE(cl.Help);
  EXPECT_TRUE(cl.Desktop);
  EXPECT_FALSE(ParseHeadlessCommandLine({"/?"}, true).Help) << "\"/?\" shows the version and runs on";
}

TEST(CommandLine, UsbEmulationTakesAnOptionalCount) {
  EXPECT_EQ(ParseHeadlessCommandLine({"--usb-emu"}, true).UsbEmu, 1);
  EXPECT_EQ(ParseHeadlessCommandLine({"--usb-emu", "3", "--headless"}, true).UsbEmu, 3);
  const THeadlessCommandLine cl = ParseHeadlessCommandLine({"--usb-emu", "--headless"}, false);
  EXPECT_EQ(cl.UsbEmu, 1);
  EXPECT_TRUE(cl.Headless);
  EXPECT_EQ(ParseHeadlessCommandLine({}, true).UsbEmu, 0);
  EXPECT_FALSE(ParseHeadlessCommandLine({"--usb-emu", "9"}, true).Error.empty());
  EXPECT_FALSE(ParseHeadlessCommandLine({"--usb-emu", "0"}, true).Error.empty());
}

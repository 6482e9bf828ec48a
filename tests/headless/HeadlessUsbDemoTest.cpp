// The terminal in the USB modes as a user starts it: "--demo usb" shows the
// emulated box's trace; "--mode 410" without a box says so and ends.
#include <gtest/gtest.h>

#include "ProgramRun.h"
#include "core/TempDir.h"
#include "headless/HeadlessCommandLine.h"

namespace {

TEST(HeadlessUsbDemo, TheEmulatedBoxShowsBothSidesWithTheirTimesToTheMicrosecond) {
  TTempDir work;
  TProgramRun run(TamarikProgram(), {"--headless", "--demo", "usb", "--seconds", "2"}, work.Path().string());
  const TProgramResult result = run.Finish();
  ASSERT_EQ(result.ExitStatus, 0) << result.Err;
  const std::string& out = result.Out;
  EXPECT_EQ(out.rfind("Mode 410: USB \\\\.\\tamarik-emu-", 0), 0u) << out;
  EXPECT_NE(out.find(", 115200 Bd (demo)"), std::string::npos) << out;
  const size_t pc = out.find("> von PC : [STX]RD");
  const size_t sps = out.find("< von SPS : [STX]DB10.DBW");
  ASSERT_NE(pc, std::string::npos) << out;
  ASSERT_NE(sps, std::string::npos) << out;
  // "hh:nn:ss.zzz.uuu": the box's ticks are 200 µs, so the last digits
  // are a multiple of 200.
  const std::string stamp = out.substr(pc - 17, 16);
  ASSERT_EQ(stamp[12], '.') << stamp;
  EXPECT_EQ(std::stoi(stamp.substr(13, 3)) % 200, 0) << stamp;
  EXPECT_EQ(result.Err.find("3."), std::string::npos) << result.Err;  // no USB error reported
}

TEST(HeadlessUsbDemo, AUsbModeWithoutABoxEndsWithTheDeviceError) {
  TTempDir work;
  TProgramRun run(TamarikProgram(), {"--headless", "--mode", "410", "--device", "tamarik-7", "--seconds", "1"},
                  work.Path().string());
  const TProgramResult result = run.Finish();
  EXPECT_EQ(result.ExitStatus, 1);
  EXPECT_NE(result.Err.find("USB"), std::string::npos) << result.Err;
}

TEST(HeadlessUsbDemo, TheFrequencyModeStartsWithTheStoredPanel) {
  // No page to fill in the terminal: the stored input and cycle set the
  // image up, and the mode runs instead of being refused.
  TTempDir work;
  TTempDir::Write(work.File("Tamarik.ini"), "[USB-FQ]\r\ngrpFQIN_ItemIndex=2\r\nedFQZyk_Text=3\r\n");
  TProgramRun run(TamarikProgram(), {"--headless", "--usb-emu", "--mode", "430", "--seconds", "1"}, work.Path().string());
  const TProgramResult result = run.Finish();
  EXPECT_EQ(result.ExitStatus, 0) << result.Err;
  EXPECT_EQ(result.Out.rfind("Mode 430: USB \\\\.\\tamarik-0", 0), 0u) << result.Out;
  EXPECT_EQ(result.Err.find("1.7"), std::string::npos) << result.Err;
}

TEST(CommandLineUsb, UsbModesAndTheDemoChooseTheirSource) {
  auto parse = [](std::vector<std::string> args) { return ParseHeadlessCommandLine(args, false); };
  const auto demo = parse({"--demo", "usb", "--seconds", "3"});
  EXPECT_TRUE(demo.Error.empty()) << demo.Error;
  EXPECT_TRUE(demo.Options.DemoUsb);
  EXPECT_EQ(demo.Options.RunSeconds, 3);
  EXPECT_FALSE(parse({"--demo", "--seconds", "3"}).Options.DemoUsb);
  const auto box = parse({"--mode", "450", "--device", "\\\\.\\tamarik-1", "--baud", "19200"});
  EXPECT_FALSE(box.Options.Demo);
  EXPECT_EQ(box.Options.UsbDevice, "\\\\.\\tamarik-1");
  EXPECT_EQ(box.Options.WorkMode, 450);
  EXPECT_FALSE(parse({"--device"}).Error.empty());
}

}  // namespace

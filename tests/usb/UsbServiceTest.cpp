// The USB page's window-free logic and the access check, against emulated
// interfaces through the real driver library and access layer.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "TamarikUsb.h"
#include "UsbAccessCheck.h"
#include "UsbService.h"
#include "core/TempDir.h"

using namespace tamarikusb;

namespace {

class UsbServiceTest : public ::testing::Test {
 protected:
  void SetUp() override { chip = AttachEmulated(true, false); }
  void TearDown() override {
    usb.UsbClose();
    DetachAllEmulated();
  }
  TEzUsb usb;
  std::shared_ptr<TEzUsbDevice> chip;
};

TEST_F(UsbServiceTest, MemoryReadShowsCountPlusOneBytesAndStopsAtAnAccessError) {
  const uint8_t bytes[] = {0x12, 0xAB, 0x05, 0xFF, 0x77};
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(usb.UsbWriteRam(static_cast<uint16_t>(0x100 + i), bytes[i]));
  const TMemoryRead r = ReadMemoryBytes(usb, 0x0100, 3);
  EXPECT_TRUE(r.Ok);
  EXPECT_EQ(r.Text, "0100:12 AB 05 FF ");

  DetachAllEmulated();
  const TMemoryRead gone = ReadMemoryBytes(usb, 0x0100, 3);
  EXPECT_FALSE(gone.Ok);
  EXPECT_EQ(gone.Text, "0100:");
}

TEST_F(UsbServiceTest, DeviceChoiceSecondInterfaceDoesNotScanAndVersionReads) {
  const TUsbDeviceChoice second = DeviceForChoice(udSecond, "");
  usb.UsbDeviceName = second.Name;
  usb.UsbFixedName = second.Fixed;
  EXPECT_FALSE(usb.UsbOpen()) << "only the first interface is attached";
  EXPECT_EQ(usb.UsbDeviceName, "\\\\.\\tamarik-1");

  const TUsbDeviceChoice first = DeviceForChoice(udFirst, "");
  usb.UsbDeviceName = first.Name;
  usb.UsbFixedName = first.Fixed;
  EXPECT_TRUE(usb.UsbReopen());
  uint16_t major = 0, minor = 0, build = 0;
  ASSERT_TRUE(usb.UsbGetDriverVersion(major, minor, build));
  EXPECT_EQ(DriverVersionText(major, minor, build), "V1.1.3A15");

  const TUsbDeviceChoice free = DeviceForChoice(udFree, "\\\\.\\tamarik-emu-0");
  EXPECT_TRUE(free.Fixed);
  EXPECT_EQ(DeviceForChoice(udChip, "").Name, "\\\\.\\ezusb-0");
}

TEST_F(UsbServiceTest, TimerReportsAnUnpluggedBoxOnceAndRestartsTheModeOnReplug) {
  int errors = 0, restarts = 0;
  bool okEnabled = false;
  TUsbTimerHooks hooks;
  hooks.MonitorActive = [] { return true; };
  hooks.UsbModeChosen = [] { return true; };
  hooks.OkEnabled = [&] { return okEnabled; };
  hooks.EnableOk = [&] { okEnabled = true; };
  hooks.RunOk = [&] {
    ++restarts;
    okEnabled = false;
  };
  hooks.DeviceError = [&] { ++errors; };
  TUsbTimerDuty duty(usb, hooks);
  ASSERT_TRUE(usb.UsbWriteRam(0x100, 1));
  duty.Tick();
  EXPECT_EQ(duty.Lamp(), TUsbLamp::Green);

  DetachAllEmulated();  // unplugged
  usb.UsbReadRam(0x100);
  for (int i = 0; i < 3; ++i) duty.Tick();
  EXPECT_EQ(errors, 1);
  EXPECT_EQ(restarts, 0);
  EXPECT_EQ(duty.Lamp(), TUsbLamp::Red);

  chip = AttachEmulated(true, false);  // plugged in again
  duty.Tick();
  EXPECT_EQ(restarts, 1);
  EXPECT_EQ(errors, 1);
  duty.Tick();
  EXPECT_EQ(duty.Lamp(), TUsbLamp::Green);
}

TEST(UsbAccessCheckTest, VerdictsAndDriverVersions) {
  EXPECT_TRUE(DriverOutdated(1, 1, 14868));
  EXPECT_FALSE(DriverOutdated(1, 1, 14869));
  EXPECT_FALSE(DriverOutdated(1, 2, 0));
  EXPECT_TRUE(DriverOutdated(0, 9, 65535));
  EXPECT_FALSE(DriverOutdated(2, 0, 0));

  EXPECT_EQ(AccessVerdict({true, 0, 0, 1, 1, 14869}), TAccessVerdict::Fine);
  EXPECT_EQ(AccessVerdict({true, 0, 0, 1, 1, 14868}), TAccessVerdict::Outdated);
  EXPECT_EQ(AccessVerdict({false, 1, 1}), TAccessVerdict::NoPermission);
  EXPECT_EQ(AccessVerdict({false, 1, 0}), TAccessVerdict::NoDevice);
  EXPECT_EQ(AccessVerdict({false, 0, 0}), TAccessVerdict::NoDevice);
}

TEST(UsbAccessCheckTest, GatheredFactsForAnEmulatedBoxAndForNone) {
  TEzUsb usb;
  EXPECT_EQ(AccessVerdict(GatherAccessFacts(usb)), TAccessVerdict::NoDevice);  // no box on this machine's USB
  AttachEmulatedBoxes(2);
  EXPECT_EQ(AccessVerdict(GatherAccessFacts(usb)), TAccessVerdict::Fine);
  usb.UsbDeviceName = "\\\\.\\tamarik-1";
  usb.UsbFixedName = true;
  EXPECT_TRUE(usb.UsbReopen()) << "--usb-emu 2 puts a second box behind tamarik-1";
  usb.UsbClose();
  DetachAllEmulated();
}

TEST(UsbAccessCheckTest, RuleIsWrittenWholeIntoANewFolderAndTheUserToldHowToReload) {
  TTempDir dir;
  const std::string folder = (dir.Path() / "rules" / "here").string();
  const TRuleWrite w = WriteUdevRule(folder);
  ASSERT_TRUE(w.Ok) << w.Error;
  EXPECT_EQ(w.Path, folder + "/60-tamarik.rules");
  const std::string text = TTempDir::Read(w.Path);
  EXPECT_EQ(text, UdevRuleText());
  EXPECT_NE(text.find("ATTR{idVendor}==\"0547\""), std::string::npos);
  EXPECT_NE(text.find("ATTR{idProduct}==\"7a31\""), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(w.Path + ".new"));

  EXPECT_NE(ReloadInstructions(w.Path).find("sudo cp '" + w.Path + "' /etc/udev/rules.d/"), std::string::npos);
  const std::string inSystem = ReloadInstructions(folder + "/60-tamarik.rules", folder);
  EXPECT_EQ(inSystem.find("cp "), std::string::npos);
  EXPECT_NE(inSystem.find("udevadm control --reload-rules"), std::string::npos);

  TTempDir::Write(dir.File("plain"), "x");
  const TRuleWrite bad = WriteUdevRule(dir.File("plain") + "/sub");
  EXPECT_FALSE(bad.Ok);
  EXPECT_TRUE(bad.FolderFailed);

  EXPECT_EQ(DefaultRuleFolder("/fallback", "/nonexistent/rules.d"), "/fallback");
  EXPECT_EQ(DefaultRuleFolder("/fallback", folder), folder);
}

}  // namespace

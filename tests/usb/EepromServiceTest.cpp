// The EEPROM service program in the emulator, driven by the host side as
// the USB page drives it, against the emulated EEPROM on the chip's I2C bus.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "EZUSB.h"
#include "Eeprom24C.h"
#include "EepromService.h"
#include "EzUsbDevice.h"
#include "FirmwareLoad.h"
#include "TamarikUsb.h"

using namespace tamarikusb;
namespace mb = eeprom_mailbox;

namespace {

class EepromServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A bare chip (the service runs with "ezusb-N"), its core stepped by the waits.
    chip = AttachEmulated(false, false);
    usb.UsbDeviceName = "\\\\.\\tamarik-emu-0";
    usb.UsbFixedName = true;
  }
  void TearDown() override {
    usb.UsbClose();
    chip->DetachI2c(&rom);
    chip->DetachI2c(&oldRom);
    DetachAllEmulated();
  }
  void RunMs(int ms) {
    chip->WithCore([&](emu8051::TCore8051& core) { core.RunUntilCycle(core.Cycles() + 6000ull * static_cast<uint64_t>(ms)); });
  }
  TEepromServiceUi Ui() {
    TEepromServiceUi ui;
    ui.StatusLine = [this](std::string_view t) { status.emplace_back(t); };
    ui.DeviceError = [this] { ++deviceErrors; };
    ui.UserAction = [this](std::string_view t) { actions.emplace_back(t); };
    ui.Wait = [this](int ms) {
      RunMs(ms);
      waitedMs += ms;
      return waitedMs < closeAfterMs;
    };
    return ui;
  }
  static std::vector<uint8_t> Pattern(size_t n) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(i * 7 + 3);
    return v;
  }

  std::shared_ptr<TEzUsbDevice> chip;
  TEzUsb usb;
  TEeprom24C rom{k24C64, 0x51};
  TEeprom24C oldRom{k24C16, 0x50};
  std::vector<std::string> status, actions;
  int deviceErrors = 0;
  int waitedMs = 0;
  int closeAfterMs = 1 << 30;
};

TEST_F(EepromServiceTest, FileOf300BytesGoesDownAsTwoPagesFilledUpWithFF) {
  chip->AttachI2c(&rom);
  rom.Load(0x200, std::vector<uint8_t>{0x5A});
  const auto file = Pattern(300);
  TEepromService service(usb, Ui());
  ASSERT_TRUE(service.WriteBytes(file, "Box.iic")) << (status.empty() ? "" : status.back());
  const auto m = rom.Contents();
  EXPECT_TRUE(std::equal(file.begin(), file.end(), m.begin()));
  EXPECT_TRUE(std::all_of(m.begin() + 300, m.begin() + 0x200, [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(m[0x200], 0x5A);  // beyond the second page nothing was touched
  EXPECT_EQ(rom.PageWrites(), 16u);  // 2 × 256 bytes in pages of 32
  EXPECT_GT(rom.BusyRefusals(), 0u);  // the program polled through the write cycles
  EXPECT_NE(std::find(status.begin(), status.end(), "0000"), status.end());
  EXPECT_NE(std::find(status.begin(), status.end(), "0100"), status.end());
  EXPECT_EQ(status.back(), "Datei ist in EEPROM gespeichert. (300)");
  ASSERT_EQ(actions.size(), 1u);
  EXPECT_EQ(actions[0], "UserAction: USB-Test File into EEROM \"Box.iic\"");
  EXPECT_EQ(deviceErrors, 0);
}

TEST_F(EepromServiceTest, EraseFillsTheWholePartAndDetectSeesIt) {
  chip->AttachI2c(&rom);
  rom.Load(0, Pattern(k24C64.size));
  TEepromService service(usb, Ui());
  ASSERT_TRUE(service.Erase()) << (status.empty() ? "" : status.back());
  EXPECT_TRUE(std::all_of(rom.Contents().begin(), rom.Contents().end(), [](uint8_t b) { return b == 0xFF; }));
  EXPECT_EQ(status.back(), "EEPROM gelöscht.");
  EXPECT_EQ(actions, std::vector<std::string>{"UserAction: USB-Test erase EEPROM."});
  bool found = false;
  ASSERT_TRUE(service.Detect(found));
  EXPECT_TRUE(found);
}

TEST_F(EepromServiceTest, MissingOrStuckEepromIsAnErrorNotASuccess) {
  TEepromService service(usb, Ui());
  bool found = true;
  ASSERT_TRUE(service.Detect(found));
  EXPECT_FALSE(found);
  EXPECT_FALSE(service.WriteBytes(Pattern(10), "a.iic"));
  EXPECT_EQ(status.back(), "EEPROM antwortet nicht!");
  chip->AttachI2c(&rom);
  chip->SetI2cBusFault(true);
  EXPECT_FALSE(service.Erase());
  EXPECT_EQ(status.back(), "EEPROM antwortet nicht!");
  EXPECT_EQ(deviceErrors, 0);
}

TEST_F(EepromServiceTest, BadFilesWriteNothingAndClosingEndsTheWait) {
  chip->AttachI2c(&rom);
  TEepromService service(usb, Ui());
  EXPECT_FALSE(service.WriteFile("/nonexistent/x.iic"));
  EXPECT_EQ(status.back(), "Datei leer oder nicht lesbar, nichts geschrieben: /nonexistent/x.iic");
  EXPECT_FALSE(service.WriteBytes(std::vector<uint8_t>(0x10001), "big.iic"));
  EXPECT_EQ(status.back(), "Die Datei ist größer als das EEPROM, nichts mehr geschrieben ab 0000");
  EXPECT_EQ(rom.PageWrites(), 0u);
  EXPECT_TRUE(chip->TakeWriteLog().empty());  // not even the service program went down
  closeAfterMs = 30;
  EXPECT_FALSE(service.Erase());
  EXPECT_LE(waitedMs, 40);
  EXPECT_NE(status.back(), "EEPROM gelöscht.");
  EXPECT_EQ(deviceErrors, 0);
}

TEST_F(EepromServiceTest, OlderBoardImageWritesItsSmallPartAndStopsAtItsEnd) {
  chip->AttachI2c(&oldRom);
  TEepromService service(usb, Ui(), "TESTCHIP_OLD");
  const auto file = Pattern(0x900);
  EXPECT_FALSE(service.WriteBytes(file, "big.iic"));
  EXPECT_EQ(status.back(), "Die Datei ist größer als das EEPROM, nichts mehr geschrieben ab 0800");
  EXPECT_TRUE(std::equal(file.begin(), file.begin() + 0x800, oldRom.Contents().begin()));
  EXPECT_EQ(oldRom.PageWrites(), 0x800u / 16);
}

}  // namespace

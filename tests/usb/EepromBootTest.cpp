// The chip's loader at power-up reading the configuration EEPROM: "BOOTEE"
// loads and runs, 0xB0 gives identifiers only, anything else is the bare chip.
#include <gtest/gtest.h>

#include <vector>

#include "EZUSB.h"
#include "Eeprom24C.h"
#include "EepromService.h"
#include "EzUsbDevice.h"
#include "FirmwareImages.h"
#include "InterfaceBoard.h"
#include "TamarikUsb.h"

using namespace tamarikusb;

namespace {

// Port A after BOOTEE: LED on (low), crystal 11.0592 MHz, RS-4xx and CAN
// transceivers off, the unused PA7 floating high.
constexpr uint8_t kQuietPortA = 0xD0;

uint16_t Word(const std::array<uint8_t, 18>& d, int at) { return static_cast<uint16_t>(d[at] | d[at + 1] << 8); }

class EepromBootTest : public ::testing::Test {
 protected:
  void PowerUp(TEeprom24C& rom) {
    chip.AttachI2c(&rom);
    chip.Replug();
  }
  void TearDown() override {
    chip.DetachI2c(&big);
    chip.DetachI2c(&small);
  }
  uint16_t Pc() { return chip.WithCore([](emu8051::TCore8051& c) { return c.Pc(); }); }

  TEzUsbDevice chip{false};
  TInterfaceBoard board{chip};
  TEeprom24C big{k24C64, 0x51};
  TEeprom24C small{k24C16, 0x50};
};

TEST_F(EepromBootTest, BooteeIsLoadedFromEitherPartAndReleasesTheCore) {
  const auto image = FirmwareImage("BOOTEE");
  ASSERT_GT(image.size(), 20u);
  EXPECT_EQ(image[0], 0xB2);
  for (TEeprom24C* rom : {&big, &small}) {
    SCOPED_TRACE(rom->Type().addressBytes);
    chip.Unplug();
    rom->Load(0, image);
    PowerUp(*rom);
    EXPECT_FALSE(chip.Held());
    const auto d = chip.DeviceDescriptor();
    EXPECT_EQ(Word(d, 8), kVendorId);
    EXPECT_EQ(Word(d, 10), kTamarikProductId);
    EXPECT_EQ(Word(d, 12), 0x0001);
    board.RunCycles(6000);
    EXPECT_TRUE(board.LedOn());
    EXPECT_EQ(board.PortA(), kQuietPortA);
    EXPECT_GE(Pc(), 0x0110);  // idling in the loaded code
    EXPECT_LT(Pc(), 0x0200);
    chip.DetachI2c(rom);
  }
}

TEST_F(EepromBootTest, IdentifiersOnlyOrAForeignFirstByteLeaveTheCoreHeld) {
  big.Load(0, std::vector<uint8_t>{0xB0, 0x34, 0x12, 0x78, 0x56, 0x02, 0x01, 0x00, 0x01, 0x7F, 0x92, 0x00});
  chip.WithCore([](emu8051::TCore8051& c) { c.Code()[0x7F] = 0xEE; return 0; });
  PowerUp(big);
  EXPECT_TRUE(chip.Held());
  EXPECT_EQ(Word(chip.DeviceDescriptor(), 8), 0x1234);
  EXPECT_EQ(Word(chip.DeviceDescriptor(), 10), 0x5678);
  EXPECT_EQ(Word(chip.DeviceDescriptor(), 12), 0x0102);
  EXPECT_EQ(chip.WithCore([](emu8051::TCore8051& c) { return c.Code()[0x7F]; }), 0xEE);  // nothing loaded

  big.Load(0, std::vector<uint8_t>{0xC2});
  chip.Replug();
  EXPECT_TRUE(chip.Held());
  EXPECT_EQ(Word(chip.DeviceDescriptor(), 10), kUnconfiguredProductId);
}

TEST_F(EepromBootTest, NoAnsweringEepromIsTheBareChip) {
  TEeprom24C elsewhere{k24C64, 0x57};
  elsewhere.Load(0, FirmwareImage("BOOTEE"));
  PowerUp(elsewhere);
  chip.DetachI2c(&elsewhere);
  EXPECT_TRUE(chip.Held());
  EXPECT_EQ(Word(chip.DeviceDescriptor(), 10), kUnconfiguredProductId);
}

// The whole chain: the service program writes BOOTEE into the EEPROM of a
// bare chip; at the next power-up the chip boots from it.
TEST(EepromChainTest, BooteeWrittenByTheServiceBootsAtTheNextPowerUp) {
  auto chip = AttachEmulated(false, false);
  TInterfaceBoard board(*chip);
  const TEeprom24C& rom = chip->FitEeprom(k24C64, 0x51);
  TEzUsb usb;
  usb.UsbDeviceName = "\\\\.\\tamarik-emu-0";
  usb.UsbFixedName = true;
  TEepromServiceUi ui;
  ui.Wait = [&](int ms) {
    board.RunCycles(6000ull * static_cast<uint64_t>(ms));
    return true;
  };
  TEepromService service(usb, ui);
  const auto image = FirmwareImage("BOOTEE");
  ASSERT_TRUE(service.WriteBytes(image, "BOOTEE.iic"));
  usb.UsbClose();
  chip->Unplug();
  chip->Replug();
  EXPECT_FALSE(chip->Held());
  EXPECT_EQ(Word(chip->DeviceDescriptor(), 10), kTamarikProductId);
  board.RunCycles(6000);
  EXPECT_EQ(board.PortA(), kQuietPortA);
  EXPECT_EQ(rom.Contents()[0], 0xB2);
  DetachAllEmulated();
}

}  // namespace

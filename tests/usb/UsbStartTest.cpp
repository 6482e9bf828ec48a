// The USB start: image table, rate divisors, configuration bytes, and the
// sequence against the emulated box.
#include <gtest/gtest.h>

#include "UsbMonitorRig.h"
#include "core/Language.h"
#include "core/TextIds.h"

namespace {

TEST(UsbDivisorsTest, BaseAndDivisorFollowTheRatesIncludingThoseNeitherBaseDivides) {
  const struct {
    uint32_t b1, b2, base;
    uint8_t flag;
    uint16_t d1, d2;
  } cases[] = {
      {9600, 9600, 691200, 0, 72, 72},
      {115200, 115200, 691200, 0, 6, 6},
      {250000, 250000, 750000, 1, 3, 3},       // only 750000 divides
      {250000, 9600, 691200, 0, 3, 72},        // input 2's rate chooses the base; input 1 rounded
      {491520, 491520, 691200, 0, 1, 1},       // neither divides: 691200 is nearer
      {700000, 9600, 691200, 0, 1, 72},        // 9600 divides 691200 first
      {720600, 720600, 750000, 1, 1, 1},       // the rule at 720600 picks the fast base
      {720599, 720599, 691200, 0, 1, 1},       // just below it the nearer one
      {3000000, 3000000, 750000, 1, 1, 1},     // above both: never a divisor of 0
      {45, 45, 691200, 0, 15360, 15360},
  };
  for (const auto& c : cases) {
    const TUsbDivisors d = UsbDivisorsFor(c.b1, c.b2);
    EXPECT_EQ(d.Base, c.base) << c.b1 << "/" << c.b2;
    EXPECT_EQ(d.ClockFlag, c.flag) << c.b1 << "/" << c.b2;
    EXPECT_EQ(d.Divisor1, c.d1) << c.b1 << "/" << c.b2;
    EXPECT_EQ(d.Divisor2, c.d2) << c.b1 << "/" << c.b2;
  }
  EXPECT_EQ(UsbDivisorsFor(250000, 9600).Rate1(), 230400u);  // what edOtherBaud then shows
}

TEST(UsbStartConfigTest, ConfigurationBytesCarryDivisorsAndFormatsOfBothInputs) {
  TUsbStartRequest r;
  r.Input1 = {115200, 8, 1, UsbParityCode(1)};  // 8E2
  r.Input2 = {300, 7, 0, UsbParityCode(2)};     // 7O1
  const auto bytes = UsbSerialConfigBytes(r, UsbDivisorsFor(115200, 300));
  const std::vector<std::pair<uint16_t, uint8_t>> want = {{0x101, 0x00}, {0x102, 6},    {0x103, 0},    {0x104, 8},
                                                          {0x105, 1},    {0x106, 0x18}, {0x7B, 0x09},  {0x7C, 0x00},
                                                          {0x7D, 7},     {0x7E, 0},     {0x7F, 0x08}};
  ASSERT_EQ(bytes.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(bytes[i].Address, want[i].first) << i;
    EXPECT_EQ(bytes[i].Value, want[i].second) << i;
  }
  EXPECT_EQ(UsbParityCode(3), 0x28);
  EXPECT_EQ(UsbParityCode(4), 0x38);
}

TEST(UsbStartConfigTest, EachModeLoadsItsImageAndMeasuringTheRateOverridesIt) {
  const struct {
    int mode;
    const char* image;
    int type, transceiver;
  } cases[] = {{410, "V24", 0, 0}, {420, "RS4XX", 1, 3}, {450, "RS4XX", 1, 1}, {460, "RS4XX", 1, 2},
               {440, "CAN", 2, 0}, {470, "CAN", 2, 0},   {430, "FQ", 3, 0},    {500, "", -1, 0}};
  for (const auto& c : cases) {
    const TUsbImage image = UsbImageFor(c.mode, false);
    EXPECT_EQ(image.Image, c.image) << c.mode;
    EXPECT_EQ(image.FirmwareType, c.type) << c.mode;
    EXPECT_EQ(image.TransceiverMode, c.transceiver) << c.mode;
  }
  EXPECT_EQ(UsbImageFor(420, true).Image, "BAUDMESS");
  EXPECT_EQ(UsbImageFor(420, true).FirmwareType, 4);
  EXPECT_EQ(UsbImageFor(200, true).FirmwareType, -1);
}

TEST(UsbStartConfigTest, TheRequestComesFromTheStoredPortRecords) {
  const std::vector<std::string> items = {"Andere", "Messen", "300", "9600", "115200"};
  TPortABSettings ports;
  ports.PortASettings.Baudrate = 0;
  ports.PortASettings.OtherBaud = " 491520 ";
  ports.PortASettings.DataBits = 2;  // 7
  ports.PortASettings.Parity = 4;    // space
  ports.PortBSettings.Baudrate = 4;
  ports.PortBSettings.StopBits = 1;
  TUsbStartRequest r;
  std::string error;
  ASSERT_TRUE(UsbStartRequestFrom(410, ports, items, "Messen", r, error)) << error;
  EXPECT_TRUE(r.RateSelected);
  EXPECT_FALSE(r.MeasureBaud);
  EXPECT_EQ(r.Input1.Baud, 491520u);
  EXPECT_EQ(r.Input1.DataBits, 7);
  EXPECT_EQ(r.Input1.ParityCode, 0x38);
  EXPECT_EQ(r.Input2.Baud, 115200u);
  EXPECT_EQ(r.Input2.StopChoice, 1);

  ports.PortBSettings.Baudrate = 1;  // "Messen" on port B
  ASSERT_TRUE(UsbStartRequestFrom(410, ports, items, "Messen", r, error));
  EXPECT_TRUE(r.MeasureBaud);

  ports.PortBSettings.Baudrate = 7;  // no such item
  ASSERT_TRUE(UsbStartRequestFrom(410, ports, items, "Messen", r, error));
  EXPECT_FALSE(r.RateSelected);

  ports.PortBSettings.Baudrate = 3;
  ports.PortASettings.OtherBaud = "fast";
  EXPECT_FALSE(UsbStartRequestFrom(410, ports, items, "Messen", r, error));
  EXPECT_NE(error.find("fast"), std::string::npos);
}

class UsbStartSequenceTest : public ::testing::Test {
 protected:
  TUsbStartResult Run(const TUsbStartRequest& request) {
    TUsbStartUi ui;
    ui.Lamp = [&](int lamp) { lamps.push_back(lamp); };
    ui.StatusLine = [&](std::string_view text) { status = text; };
    ui.RateObtained = [&](int input, uint32_t rate) { rates[input - 1] = rate; };
    return TUsbStart(rig.usb, *rig.monitor, *rig.loader, ui).Run(request);
  }
  TUsbMonitorRig rig;
  std::vector<int> lamps;
  std::string status;
  uint32_t rates[2] = {};
};

TEST_F(UsbStartSequenceTest, TheRunningImageHoldsTheConfigurationAndTheMonitorRuns) {
  TUsbStartRequest r;
  r.WorkMode = 450;
  r.Input1 = {250000, 7, 1, 0x18};
  r.Input2 = {9600, 8, 0, 0x08};
  ASSERT_EQ(Run(r), usStarted);
  EXPECT_TRUE(rig.monitor->Active());
  EXPECT_EQ(rig.monitor->FirmwareType.load(), 1);
  EXPECT_EQ(lamps, (std::vector<int>{1, 2}));
  EXPECT_EQ(rates[0], 230400u);
  EXPECT_EQ(rates[1], 9600u);
  EXPECT_FALSE(rig.chip->Held());
  EXPECT_EQ(rig.usb.UsbReadRam(0x10D), 1);
  const std::pair<uint16_t, uint8_t> want[] = {{0x101, 0}, {0x102, 3}, {0x103, 0}, {0x104, 7}, {0x105, 1},
                                               {0x106, 0x18}, {0x7C, 72}, {0x7F, 0x08}};
  for (const auto& [address, value] : want) EXPECT_EQ(rig.usb.UsbReadRam(address), value) << std::hex << address;
  // The image followed them: the UART of input 2 runs at 9600 Bd.
  EXPECT_TRUE(rig.WaitUntil([&] { return rig.board->InputBaud(2) == 9600; }, std::chrono::seconds(5)));
}

TEST_F(UsbStartSequenceTest, WithoutARateNothingHappensAndWithoutAUsbModeTheCoreIsHeld) {
  TUsbStartRequest r;
  r.RateSelected = false;
  rig.chip->TakeWriteLog();
  EXPECT_EQ(Run(r), usNoRate);
  EXPECT_TRUE(rig.chip->TakeWriteLog().empty());
  EXPECT_TRUE(lamps.empty());

  rig.usb.Run8051();
  r.RateSelected = true;
  r.WorkMode = 200;
  EXPECT_EQ(Run(r), usNoMode);
  EXPECT_TRUE(rig.chip->Held());
  EXPECT_EQ(status, GetText(TextId::MsgChooseUsbMode));
  EXPECT_FALSE(rig.monitor->Active());
}

TEST_F(UsbStartSequenceTest, AnAbsentBoxFailsWithTheCoreHeldAndTheMonitorOff) {
  rig.chip->Unplug();
  TUsbStartRequest r;
  EXPECT_EQ(Run(r), usDeviceError);
  EXPECT_FALSE(rig.monitor->Active());
  EXPECT_EQ(lamps.back(), 3);
}

}  // namespace

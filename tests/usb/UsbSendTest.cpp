// Sending through the emulated interface: DatenSenden's USB path with the
// frame handshake against our "V24" image, and a device that never takes a
// frame.
#include <gtest/gtest.h>

#include "FirmwareRig.h"
#include "UsbSendDevice.h"
#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/SendData.h"

namespace {

// Loses the first download of a frame: 0x87 then holds what was there
// before, as if the transfer had not arrived.
class TLosingDevice final : public TUsbSendDevice {
 public:
  TLosingDevice(TUsbSendDevice& inner, int lose) : inner_(inner), lose_(lose) {}
  void DownloadSmall(std::uint16_t address, const std::uint8_t* bytes, int length) override {
    if (lose_ > 0) {
      --lose_;
      return;
    }
    inner_.DownloadSmall(address, bytes, length);
  }
  bool WriteRam(std::uint16_t a, std::uint8_t v) override { return inner_.WriteRam(a, v); }
  std::uint8_t ReadRam(std::uint16_t a) override { return inner_.ReadRam(a); }
  bool ReadRamSmall(std::uint16_t a, int n, std::uint8_t* out) override { return inner_.ReadRamSmall(a, n, out); }
  bool Error() const override { return inner_.Error(); }
  void BeginDeviceAccess() override {
    ++Begun;
    inner_.BeginDeviceAccess();
  }
  void EndDeviceAccess() override {
    ++Ended;
    inner_.EndDeviceAccess();
  }
  void LoseNext(int count) { lose_ = count; }
  int Begun = 0, Ended = 0;

 private:
  TUsbSendDevice& inner_;
  int lose_;
};

class UsbSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SendAbort = false;
    AppClosing = false;
    SetErrorReporter([this](const std::string& location, const std::string& message) {
      reports.push_back(location + "/" + message);
    });
    // 115200 Bd 8N1 on both channels.
    const uint8_t in1[] = {0, 6, 0, 8, 0, 0}, in2[] = {0, 6, 8, 0, 0};
    for (int i = 0; i < 6; ++i) rig_.usb.UsbWriteRam(static_cast<uint16_t>(0x101 + i), in1[i]);
    for (int i = 0; i < 5; ++i) rig_.usb.UsbWriteRam(static_cast<uint16_t>(0x7B + i), in2[i]);
    rig_.RunMicroseconds(1000);
    routine_.SetUsb(&output_);
    routine_.SetEcho([this](const std::string& text) { echoed.push_back(text); });
  }
  void TearDown() override { SetErrorReporter(nullptr); }

  bool Send(int mode, bool targetB, std::string_view text, bool breakOrRtr = false, int rtrLength = 0,
            bool waitDone = false) {
    routine_.SetWorkMode(mode, true);
    return routine_.DatenSenden(targetB, text, false, false, false, waitDone, breakOrRtr, rtrLength, wait_);
  }
  std::vector<uint8_t> FrameHeader() {
    std::vector<uint8_t> header;
    for (uint16_t a = 0x80; a < 0x88; ++a) header.push_back(rig_.usb.UsbReadRam(a));
    return header;
  }
  std::string Transmitted(int input) {
    const auto bytes = rig_.board->TakeTransmitted(input);
    return {bytes.begin(), bytes.end()};
  }

  TFirmwareRig rig_{"V24"};
  TEzUsbSendDevice device_{rig_.usb};
  TLosingDevice losing_{device_, 0};
  TUsbHandshakeSend output_{losing_};
  TSendRoutine routine_;
  // The core runs while the sender waits, as the real interface would.
  TSendWait wait_ = [this](int ms) { rig_.RunMicroseconds(static_cast<uint64_t>(ms) * 1000); };
  std::vector<std::string> reports, echoed;
};

TEST_F(UsbSendTest, SerialDataGoesOutInFramesOfAtMost118BytesInOrder) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += static_cast<char>('A' + i % 26);
  ASSERT_TRUE(Send(410, true, text, false, 0, true));
  rig_.RunMicroseconds(30000);
  EXPECT_EQ(Transmitted(2), text);
  EXPECT_TRUE(Transmitted(1).empty());
  EXPECT_EQ(output_.UsbSequence(), 3);  // three frames: 118, 118, 64
  EXPECT_EQ(losing_.Begun, 1);
  EXPECT_EQ(losing_.Ended, 1);
  EXPECT_EQ(echoed, std::vector<std::string>{text});
  EXPECT_TRUE(reports.empty()) << reports.front();
  // Port A and the break flag: the break goes first, then the bytes.
  ASSERT_TRUE(Send(410, false, "0x55 ok", true));
  rig_.RunMicroseconds(5000);
  EXPECT_EQ(rig_.board->BreaksSent(1), 1);
  EXPECT_TRUE(Transmitted(1).ends_with("Uok"));
  EXPECT_EQ(FrameHeader()[4], 1);
}

TEST_F(UsbSendTest, AFrameTheInterfaceDidNotTakeIsSentAgain) {
  losing_.LoseNext(1);
  ASSERT_TRUE(Send(410, true, "once"));
  rig_.RunMicroseconds(5000);
  EXPECT_EQ(Transmitted(2), "once");
  EXPECT_EQ(output_.Repeats(), 1);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].starts_with("28.1/"));
}

TEST_F(UsbSendTest, CanFramesCarryTheIdentifierBytesAndTheFrameInformation) {
  ASSERT_TRUE(Send(440, false, "x10 1 2"));
  std::vector<uint8_t> header = FrameHeader();
  EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.begin() + 7),
            (std::vector<uint8_t>{0x83, 0x00, 0x00, 0x00, 0x80, 1, 3}));
  EXPECT_EQ(rig_.usb.UsbReadRam(0x88), '1');
  EXPECT_EQ(rig_.usb.UsbReadRam(0x8A), '2');
  // A remote frame of length 8 from a standard identifier: no data.
  ASSERT_TRUE(Send(440, false, "7FF 0x01", true, 8));
  header = FrameHeader();
  EXPECT_EQ(std::vector<uint8_t>(header.begin(), header.begin() + 7),
            (std::vector<uint8_t>{0x48, 0x00, 0x00, 0xFF, 0xE0, 1, 0}));
  EXPECT_EQ(header[7], output_.UsbSequence());
  // At most eight data bytes.
  ASSERT_TRUE(Send(470, false, "800 0x01 0x02 0x03 0x04 0x05 0x06 0x07 0x08 0x09"));
  EXPECT_EQ(FrameHeader()[0], 0x88);
  EXPECT_EQ(FrameHeader()[6], 8);
}

// Never takes a frame: every read of 0x87 answers 0.
class TDeafDevice final : public TUsbSendDevice {
 public:
  void DownloadSmall(std::uint16_t, const std::uint8_t*, int) override { ++Downloads; }
  bool WriteRam(std::uint16_t, std::uint8_t) override { return true; }
  std::uint8_t ReadRam(std::uint16_t) override { return 0; }
  bool ReadRamSmall(std::uint16_t, int n, std::uint8_t* out) override {
    std::fill(out, out + n, 0);
    return true;
  }
  bool Error() const override { return Failing; }
  void BeginDeviceAccess() override { ++Depth; }
  void EndDeviceAccess() override { --Depth; }
  int Downloads = 0, Depth = 0;
  bool Failing = false;
};

TEST(UsbSendFailures, AnInterfaceThatNeverTakesTheFrameEndsTheSendWithAReport) {
  std::vector<std::string> reports;
  SetErrorReporter([&](const std::string& location, const std::string&) { reports.push_back(location); });
  SendAbort = false;
  TDeafDevice deaf;
  TUsbHandshakeSend output(deaf);
  TSendRoutine routine;
  routine.SetUsb(&output);
  routine.SetWorkMode(410, true);
  bool echoed = false;
  routine.SetEcho([&](const std::string&) { echoed = true; });
  const TSendWait noWait = [](int) {};
  EXPECT_FALSE(routine.DatenSenden(false, "abc", false, false, false, false, false, 0, noWait));
  EXPECT_FALSE(echoed);
  EXPECT_EQ(deaf.Downloads, TUsbHandshakeSend::kMaxRepeats + 1);
  EXPECT_EQ(reports.back(), "28.2");
  EXPECT_EQ(deaf.Depth, 0);  // the device access ends also on failure
  // An access failure stops at once.
  deaf.Failing = true;
  deaf.Downloads = 0;
  EXPECT_FALSE(routine.DatenSenden(false, "abc", false, false, false, false, false, 0, noWait));
  EXPECT_EQ(deaf.Downloads, 1);
  EXPECT_EQ(deaf.Depth, 0);
  SetErrorReporter(nullptr);
}

}  // namespace

// "V24" in the emulator: bytes fed into the board's UARTs come out of the
// record buffers as the receive thread reads them.
#include <gtest/gtest.h>

#include <cmath>

#include "FirmwareRig.h"

namespace {

class V24Test : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(rig_.usb.UsbReadRam(0x100), 0) << "not ready";
    // 115200 Bd from the 691200 base (divisor 6), 8N1 on both inputs.
    const uint8_t in1[] = {0, 6, 0, 8, 0, 0}, in2[] = {0, 6, 8, 0, 0};
    for (int i = 0; i < 6; ++i) rig_.usb.UsbWriteRam(static_cast<uint16_t>(0x101 + i), in1[i]);
    for (int i = 0; i < 5; ++i) rig_.usb.UsbWriteRam(static_cast<uint16_t>(0x7B + i), in2[i]);
    rig_.RunMicroseconds(1000);
    ASSERT_EQ(rig_.board->InputBaud(1), 115200u);
    ASSERT_EQ(rig_.board->InputBaud(2), 115200u);
    rig_.Activate();
    rig_.RunPolling(20000, 5000);
    rig_.records.clear();
  }
  std::vector<TRawRecord> Of(int kind) {
    std::vector<TRawRecord> out;
    for (const TRawRecord& r : rig_.records)
      if ((r.status & 3) == kind) out.push_back(r);
    return out;
  }

  TFirmwareRig rig_{"V24"};
};

TEST_F(V24Test, TwoInputsAtFullRateArriveInOrderWithDataStatusAndTick) {
  const size_t n = 1500;  // 130 ms of back-to-back bytes on each input
  std::vector<uint8_t> a(n), b(n);
  for (size_t i = 0; i < n; ++i) {
    a[i] = static_cast<uint8_t>(i * 7);
    b[i] = static_cast<uint8_t>(255 - i);
  }
  const uint64_t start = rig_.Now() + 1000;
  rig_.board->SendToInput(1, start, a, 115200);
  rig_.board->SendToInput(2, start + 333, b, 115200);
  // The receive thread's pace: a pass, a pause of about 15 ms per four buffers.
  rig_.RunPolling(170000, 4000);

  EXPECT_EQ(rig_.board->Overruns(1) + rig_.board->Overruns(2), 0u);
  EXPECT_TRUE(Of(3).empty()) << "a line-status record without an error";
  for (uint8_t high : rig_.buffersHigh) EXPECT_EQ(high, 0) << "a buffer reports lost records";
  const auto one = Of(1), two = Of(2);
  ASSERT_EQ(one.size(), n);
  ASSERT_EQ(two.size(), n);
  const double frame = 10.0 * 6'000'000 / 115200;  // cycles per byte
  for (size_t i = 0; i < n; ++i) {
    ASSERT_EQ(one[i].data, a[i]) << i;
    ASSERT_EQ(two[i].data, b[i]) << i;
    // The tick is when the byte was read, within a tick of its stop bit.
    const double expected = i * frame / 1200.0;
    const int got = static_cast<uint8_t>(one[i].tick - one[0].tick);
    const double off = std::remainder(got - expected, 256.0);
    EXPECT_LE(std::fabs(off), 1.5) << "byte " << i;
    // The buffer's reference tick lies before its records, and close.
    EXPECT_LT(static_cast<uint8_t>(one[i].tick - one[i].ref), 60) << i;
  }
}

TEST_F(V24Test, ParityErrorAndBreakComeAsLineStatusRecordsBeforeTheirByte) {
  const uint8_t bytes[] = {'A', 'B', 0, 'C'};
  const uint8_t errors[] = {0, tamarikusb::kParityError, tamarikusb::kBreak, 0};
  rig_.board->SendToInput(2, rig_.Now() + 600, bytes, 115200, errors);
  rig_.RunPolling(30000, 5000);
  ASSERT_EQ(rig_.records.size(), 6u);
  const uint8_t want[6][2] = {{2, 'A'}, {3, 0x84}, {2, 'B'}, {3, 0x90}, {2, 0x00}, {2, 'C'}};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(rig_.records[i].status, want[i][0]) << i;
    EXPECT_EQ(rig_.records[i].data, want[i][1]) << i;
  }
}

TEST_F(V24Test, ModemLinesGoIntoTheStatusAndAChangeAloneIsAnEmptyRecord) {
  rig_.board->SetModemLines(1, rig_.Now() + 600, true, false, false, false);
  rig_.board->SetModemLines(2, rig_.Now() + 600, true, true, false, true);
  rig_.RunPolling(20000, 5000);
  const uint8_t x[] = {'x'};
  rig_.board->SendToInput(1, rig_.Now() + 600, x, 115200);
  rig_.RunPolling(20000, 5000);
  ASSERT_FALSE(rig_.records.empty());
  EXPECT_EQ(rig_.records.front().status & 3, 0);
  EXPECT_EQ(rig_.records.back().status, 0x04 | 0x08 | 0x20 | 0x80 | 1);
  EXPECT_EQ(rig_.records.back().data, 'x');
}

TEST_F(V24Test, TheSendFrameGoesOutAndIsAnsweredIn0x7A) {
  const std::string text = "Hello, controller";
  for (int breakFirst = 0; breakFirst < 2; ++breakFirst) {
    const uint8_t seq = static_cast<uint8_t>(breakFirst + 1);
    uint8_t header[8] = {0, 0, 0, 0, static_cast<uint8_t>(breakFirst), 1, static_cast<uint8_t>(text.size()), seq};
    std::copy(header, header + 8, rig_.usb.UsbSendBuffer.begin());
    std::copy(text.begin(), text.end(), rig_.usb.UsbSendBuffer.begin() + 8);
    rig_.usb.UsbDownloadSmall(0x80, static_cast<int>(8 + text.size()));
    rig_.usb.UsbWriteRam(0x77, seq);
    rig_.RunMicroseconds(1000);
    EXPECT_EQ(rig_.usb.UsbReadRam(0x87), seq);
    EXPECT_EQ(rig_.usb.UsbReadRam(0x77), seq);
    rig_.RunMicroseconds(5000);
    EXPECT_EQ(rig_.usb.UsbReadRam(0x7A), seq);
    const auto sent = rig_.board->TakeTransmitted(2);
    EXPECT_EQ(std::string(sent.begin() + 2 * breakFirst, sent.end()), text);
    EXPECT_EQ(rig_.board->BreaksSent(2), breakFirst);
    EXPECT_TRUE(rig_.board->TakeTransmitted(1).empty());
  }
}

}  // namespace

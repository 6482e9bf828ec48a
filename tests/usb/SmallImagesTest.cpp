// The smaller images in the emulator: the LED blinker and the RS-4xx
// monitor's transceiver modes.
#include <gtest/gtest.h>

#include "FirmwareRig.h"

namespace {

TEST(BlinkLedTest, TheLedChangesEveryQuarterSecond) {
  TFirmwareRig rig("BLINKLED");
  std::vector<bool> seen;
  for (int i = 0; i < 24; ++i) {  // 1.2 s in steps of 50 ms
    rig.RunMicroseconds(50000);
    seen.push_back(rig.board->LedOn());
  }
  int changes = 0, run = 0;
  for (size_t i = 1; i < seen.size(); ++i) {
    if (seen[i] != seen[i - 1]) {
      ++changes;
      if (changes > 1) {
        EXPECT_EQ(run, 5) << "steps of 50 ms between changes";
      }
      run = 1;
    } else {
      ++run;
    }
  }
  EXPECT_EQ(changes, 4);
}

TEST(Rs4xxTest, ModeByteDrivesTheTransceiverLinesAndBytesStillArrive) {
  TFirmwareRig rig("RS4XX");
  ASSERT_EQ(rig.usb.UsbReadRam(0x100), 0);
  for (uint8_t mode : {1, 2, 3}) {
    rig.usb.UsbWriteRam(0x10D, mode);
    rig.RunMicroseconds(1000);
    EXPECT_EQ((rig.board->PortA() >> 2) & 3, mode);
  }
  rig.usb.UsbWriteRam(0x102, 6);  // 115200 Bd on input 1
  rig.RunMicroseconds(1000);
  rig.Activate();
  rig.RunPolling(20000, 5000);
  const uint8_t bytes[] = {0x55, 0x00};
  const uint8_t errors[] = {0, tamarikusb::kBreak};  // a LIN header starts with a break
  rig.board->SendToInput(1, rig.Now() + 600, bytes, 115200, errors);
  rig.RunPolling(30000, 5000);
  ASSERT_EQ(rig.records.size(), 3u);
  EXPECT_EQ(rig.records[0].status & 3, 1);
  EXPECT_EQ(rig.records[0].data, 0x55);
  EXPECT_EQ(rig.records[1].status & 3, 3);
  EXPECT_EQ(rig.records[1].data, 0x10);
  EXPECT_EQ(rig.records[2].data, 0x00);
}

}  // namespace

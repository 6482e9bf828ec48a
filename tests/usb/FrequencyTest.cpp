// "FQ" in the emulator: a known frequency on the chosen input comes back
// as a 6-byte result within the one-edge resolution of the gate.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "FirmwareRig.h"

namespace {

TEST(FrequencyTest, AKnownFrequencyIsCountedOverTheGate) {
  TFirmwareRig rig("FQ");
  ASSERT_EQ(rig.usb.UsbReadRam(0x100), 0);
  rig.board->SetFrequency(3, 12345.0);
  rig.board->SetFrequency(2, 999.0);
  rig.usb.UsbWriteRam(0x101, 3);
  rig.usb.UsbWriteRam(0x102, 2);
  rig.Activate();
  std::vector<std::array<uint8_t, 6>> results;
  for (int i = 0; i < 70; ++i) {  // 7 s in steps of 100 ms
    rig.board->RunCycles(TFirmwareRig::Cycles(100000));
    rig.Poll();
  }
  // Each result is one buffer of length 6, its bytes the six record bytes.
  ASSERT_GE(rig.records.size(), 4u);  // two bytes of records per result as the rig splits them
  const size_t results_seen = rig.records.size() / 2;
  ASSERT_GE(results_seen, 2u);
  for (size_t r = 1; r < results_seen; ++r) {  // the first gate may have started before the input was chosen
    const TRawRecord& a = rig.records[2 * r];
    const TRawRecord& b = rig.records[2 * r + 1];
    const uint32_t n = (static_cast<uint32_t>(a.data) << 16) | (static_cast<uint32_t>(a.tick) << 8) | b.status;
    EXPECT_EQ(a.status, 0);
    EXPECT_NEAR(static_cast<double>(n), 2 * 12345.0, 1.0);
    EXPECT_EQ(b.data, 2);
    EXPECT_EQ(b.tick, 3);
  }
}

TEST(FrequencyTest, TheCoreThreadFeedsTheEdgesAsItRuns) {
  TFirmwareRig rig("FQ");
  rig.board->SetFrequency(0, 50000.0);
  rig.usb.UsbWriteRam(0x101, 0);
  rig.usb.UsbWriteRam(0x102, 1);
  rig.Activate();
  // In real time, as a box runs: at full speed the core could complete
  // buffers faster than this loop reads them.
  rig.chip->StartCore(true);
  const uint64_t end = rig.Now() + 6'000'000 * 35 / 10;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (rig.Now() < end && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    rig.Poll();
  }
  rig.chip->StopCore();
  ASSERT_GE(rig.records.size(), 6u);
  for (size_t r = 2; r + 1 < rig.records.size(); r += 2) {
    const uint32_t n = (static_cast<uint32_t>(rig.records[r].data) << 16) |
                       (static_cast<uint32_t>(rig.records[r].tick) << 8) | rig.records[r + 1].status;
    EXPECT_NEAR(static_cast<double>(n), 50000.0, 1.0);
    EXPECT_EQ(rig.records[r + 1].tick, 0);  // the input code
  }
}

}  // namespace

// "BAUDMESS" in the emulator: serial traffic on the measuring inputs, its
// edges scheduled by core cycles, comes back as the rate of each input
// within the resolution of the edge timing.
#include <gtest/gtest.h>

#include <map>

#include "FirmwareRig.h"

namespace {

std::vector<uint8_t> Traffic(size_t n) {
  std::vector<uint8_t> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = static_cast<uint8_t>(i * 37 + 11);
  return bytes;
}

TEST(BaudRateTest, EachMeasuringInputReportsTheRateOnItsLine) {
  TFirmwareRig rig("BAUDMESS");
  ASSERT_EQ(rig.usb.UsbReadRam(0x100), 0);
  rig.Activate();
  // 3 s of traffic: 9600 Bd on V.24 input 1, 115200 Bd on input 2, 19200
  // Bd on the first RS-485 input, nothing on the second.
  const uint64_t start = rig.Now() + 12000;
  rig.board->SendToInput(1, start, Traffic(3000), 9600);
  rig.board->SendToInput(2, start, Traffic(36000), 115200);
  rig.board->SendToMeasuringInput(0, start, Traffic(6000), 19200);
  // The host reads every 5 ms of the box's time, however fast this machine
  // runs the core; the board feeds the edges as the core runs.
  while (rig.Now() < start + 6'000'000 * 27 / 10) {
    rig.board->RunCycles(30'000);
    rig.Poll();
  }
  std::map<int, std::vector<uint32_t>> rates;  // by input code
  for (size_t r = 0; r + 1 < rig.records.size(); r += 2) {
    const TRawRecord& a = rig.records[r];
    const TRawRecord& b = rig.records[r + 1];
    rates[b.tick].push_back((static_cast<uint32_t>(a.data) << 16) | (static_cast<uint32_t>(a.tick) << 8) | b.status);
  }
  const std::map<int, double> expected = {{2, 9600}, {3, 115200}, {0, 19200}};
  for (const auto& [input, rate] : expected) {
    ASSERT_GE(rates[input].size(), 2u) << "input " << input;
    // The first window may have started before the traffic.
    for (size_t i = 1; i < rates[input].size(); ++i) EXPECT_NEAR(rates[input][i], rate, rate * 0.005) << "input " << input;
  }
  ASSERT_FALSE(rates[1].empty());
  for (uint32_t n : rates[1]) EXPECT_EQ(n, 222222u);  // no edges, no result
}

}  // namespace

// The monitor against the emulated box running our V24 image: activation,
// polling, stalls, single-buffer mode and a box unplugged while it runs.
#include <gtest/gtest.h>

#include <atomic>
#include <numeric>

#include "UsbMonitorRig.h"
#include "UsbWatch.h"

using namespace std::chrono_literals;

namespace {

std::vector<uint8_t> Pattern(size_t n, uint8_t seed) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = static_cast<uint8_t>(seed + i * 7 + i / 256);
  return v;
}

class UsbMonitorTest : public ::testing::Test {
 protected:
  TUsbMonitorRig rig;
};

TEST_F(UsbMonitorTest, BothInputsAt115200ArriveInOrderOnTheirSidesWithoutLoss) {
  ASSERT_EQ(rig.Start(410, 115200), usStarted);
  ASSERT_TRUE(rig.monitor->Active());
  // Both inputs back to back in bursts of 10 ms, each burst once the last
  // one arrived: the box and the image must keep up with the line; how
  // fast this machine's host side is, is measured by bench_usb_monitor.
  constexpr size_t kBurst = 115, kBursts = 40;
  const auto a = Pattern(kBurst * kBursts, 1), b = Pattern(kBurst * kBursts, 100);
  for (size_t i = 0; i < kBursts; ++i) {
    const auto from = static_cast<std::ptrdiff_t>(i * kBurst), to = from + static_cast<std::ptrdiff_t>(kBurst);
    rig.Feed(1, {a.begin() + from, a.begin() + to}, 115200);
    rig.Feed(2, {b.begin() + from, b.begin() + to}, 115200);
    ASSERT_TRUE(rig.CollectBytes(2 * static_cast<size_t>(to), 60s))
        << "burst " << i << ": " << rig.input1.size() << " + " << rig.input2.size();
  }
  EXPECT_EQ(rig.input1, a);
  EXPECT_EQ(rig.input2, b);
  EXPECT_EQ(rig.ring.LostTotal(), 0u);
  EXPECT_EQ(rig.board->Overruns(1) + rig.board->Overruns(2), 0u);
  for (const TSeriellData& r : rig.records) EXPECT_EQ(r.LineFlags, 0) << "line error in the trace";
  EXPECT_GT(rig.monitor->Load(), 0);
}

TEST_F(UsbMonitorTest, AStalledImageShowsZeroPassesAndSwitchingOffIdlesTheThread) {
  std::mutex lock;
  std::vector<std::string> shown;
  rig.monitor->SetPassCountChanged([&](const std::string& text) {
    std::lock_guard l(lock);
    shown.push_back(text);
  });
  auto last = [&] {
    std::lock_guard l(lock);
    return shown.empty() ? std::string() : shown.back();
  };
  ASSERT_EQ(rig.Start(410, 115200), usStarted);
  rig.Feed(1, Pattern(60000, 1), 115200);  // five seconds of traffic
  ASSERT_TRUE(rig.WaitUntil([&] { return !last().empty() && last() != "0"; }, 20s)) << last();
  // The image stops: its buffers never complete, the thread keeps polling
  // one of them and the count shows it.
  rig.usb.Hold8051();
  EXPECT_TRUE(rig.WaitUntil([&] { return last() == "0"; }, 20s)) << last();
  rig.monitor->SetActive(false);
  EXPECT_TRUE(rig.WaitUntil([&] { return last() == "-"; }, 20s)) << last();
  EXPECT_EQ(rig.monitor->PassText(), "-");
}

TEST_F(UsbMonitorTest, DestroyingTheMonitorWhilePollingAStalledBufferEnds) {
  ASSERT_EQ(rig.Start(410, 9600), usStarted);
  rig.usb.Hold8051();
  const uint64_t before = rig.monitor->BuffersDecoded();
  ASSERT_TRUE(rig.WaitUntil([&] { return rig.monitor->BuffersDecoded() == before; }, 5s));
  rig.monitor.reset();  // joins; a hang here fails the test by its time-out
  SUCCEED();
}

TEST_F(UsbMonitorTest, SingleBufferModeLetsOneBufferThroughPerStep) {
  ASSERT_EQ(rig.Start(410, 115200), usStarted);
  rig.monitor->StepAllowed = false;
  rig.monitor->StepMode = true;
  // 200 bytes fill three buffers (84, 84, then the rest when it ages),
  // which wait in the box; the one being polled when the mode came on may
  // still pass.
  const auto bytes = Pattern(200, 3);
  rig.Feed(1, bytes, 115200);
  std::this_thread::sleep_for(100ms);
  rig.TakeRecords();
  int steps = 0;
  while (rig.input1.size() < bytes.size() && steps < 4) {
    const uint64_t before = rig.monitor->BuffersDecoded();
    const size_t had = rig.input1.size();
    rig.monitor->StepAllowed = true;
    ASSERT_TRUE(rig.WaitUntil([&] { return !rig.monitor->StepAllowed.load(); }, 10s));
    rig.TakeRecords();
    ++steps;
    EXPECT_EQ(rig.monitor->BuffersDecoded(), before + 1);
    EXPECT_GT(rig.input1.size(), had);
    EXPECT_LE(rig.input1.size(), had + 84);
  }
  EXPECT_GE(steps, 2);
  EXPECT_EQ(rig.input1, bytes);
}

TEST_F(UsbMonitorTest, AnUnpluggedBoxIsReportedOnceAndMonitoredAgainAfterReplug) {
  ASSERT_EQ(rig.Start(410, 115200), usStarted);
  rig.Feed(2, Pattern(100, 5), 115200);
  ASSERT_TRUE(rig.CollectBytes(100, 30s));
  int restarts = 0;
  TUsbWatch watch(rig.usb, *rig.monitor, [&] {
    ++restarts;
    return rig.Start(410, 115200) == usStarted;
  });

  rig.chip->Unplug();
  ASSERT_TRUE(rig.WaitUntil([&] { return !rig.Reports().empty(); }, 20s));
  for (int tick = 0; tick < 4; ++tick) EXPECT_EQ(watch.Tick(), ulRed);
  EXPECT_EQ(restarts, 0);

  rig.chip->Replug();  // comes back held, its image gone
  EXPECT_EQ(watch.Tick(), ulGreen);
  EXPECT_EQ(restarts, 1);
  rig.Feed(2, Pattern(100, 9), 115200);
  ASSERT_TRUE(rig.CollectBytes(200, 30s));
  EXPECT_EQ(std::vector<uint8_t>(rig.input2.begin() + 100, rig.input2.end()), Pattern(100, 9));
  EXPECT_EQ(watch.Tick(), ulGreen);
  EXPECT_EQ(rig.Reports().size(), 1u) << rig.Reports().front();
}

}  // namespace

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <set>
#include <stdexcept>
#include <stop_token>
#include <thread>
#include <vector>

#include "core/SerialThreadOut.h"

namespace {

TSeriellData Byte(std::uint8_t b, std::uint8_t dir = dirPortA) {
  TSeriellData r;
  r.Count = 1;
  r.Data[0] = b;
  r.Dir = dir;
  return r;
}

}  // namespace

TEST(Ring, BatchStopsAtTheEndOfTheRingAndGoesOnFromSlotZero) {
  std::vector<std::pair<int, int>> batches;
  TSerialThreadOut consumer([&](TSerialThreadOut& s) { batches.emplace_back(s.BatchStart, s.BatchCount); });
  consumer.Ring().ResetTo(ReceiveRing::Size - 3);
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(consumer.Ring().Put(Byte(static_cast<std::uint8_t>(i))));
  EXPECT_TRUE(consumer.DeliverOnce());
  EXPECT_TRUE(consumer.DeliverOnce());
  EXPECT_FALSE(consumer.DeliverOnce());
  ASSERT_EQ(batches.size(), 2u);
  EXPECT_EQ(batches[0], std::make_pair(ReceiveRing::Size - 3, 3));
  EXPECT_EQ(batches[1], std::make_pair(0, 2));
  EXPECT_EQ(consumer.Ring().Slot(19999).Data[0], 2);
  EXPECT_EQ(consumer.Ring().Slot(0).Data[0], 3);
}

TEST(Ring, AnUncommittedClaimHoldsBackEveryLaterRecord) {
  int delivered = 0;
  TSerialThreadOut consumer([&](TSerialThreadOut& s) { delivered += s.BatchCount; });
  ReceiveRing& ring = consumer.Ring();
  const int open = ring.ClaimSlot();  // a producer still filling its slot
  ASSERT_GE(open, 0);
  ASSERT_TRUE(ring.Put(Byte('A')));
  ASSERT_TRUE(ring.Put(Byte('B')));
  EXPECT_FALSE(consumer.DeliverOnce());
  EXPECT_EQ(delivered, 0);
  ring.Slot(open) = Byte('x');
  ring.Slot(open).Ready = 1;
  ring.CommitSlot();
  EXPECT_TRUE(consumer.DeliverOnce());
  EXPECT_EQ(delivered, 3);
}

TEST(Ring, AThrowingHandlerStillConsumesItsBatch) {
  int calls = 0;
  TSerialThreadOut consumer([&](TSerialThreadOut&) {
    ++calls;
    throw std::runtime_error("faulty batch");
  });
  ASSERT_TRUE(consumer.Ring().Put(Byte(1)));
  EXPECT_TRUE(consumer.DeliverOnce());
  EXPECT_FALSE(consumer.DeliverOnce());  // not retried
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(consumer.Ring().ReadIndex(), 1);
}

TEST(Ring, HandlerMayConsumeFewerRecords) {
  std::vector<int> starts;
  TSerialThreadOut consumer([&](TSerialThreadOut& s) {
    starts.push_back(s.BatchStart);
    s.BatchCount = 1;
  });
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(consumer.Ring().Put(Byte(static_cast<std::uint8_t>(i))));
  while (consumer.DeliverOnce()) {
  }
  EXPECT_EQ(starts, (std::vector<int>{0, 1, 2}));
}

TEST(Ring, AFullRingDropsTheNewestRecordsAndCountsThem) {
  TSerialThreadOut consumer([](TSerialThreadOut&) {});
  ReceiveRing& ring = consumer.Ring();
  for (int i = 0; i < ReceiveRing::Size; ++i) ASSERT_TRUE(ring.Put(Byte(static_cast<std::uint8_t>(i))));
  EXPECT_FALSE(ring.Put(Byte(0xEE)));
  EXPECT_FALSE(ring.Put(Byte(0xEE)));
  // The unread slot 0 was not written over.
  EXPECT_EQ(ring.Slot(0).Data[0], 0);
  EXPECT_EQ(ring.TakeLostCount(), 2u);
  EXPECT_EQ(ring.TakeLostCount(), 0u);
  EXPECT_EQ(ring.LostTotal(), 2u);
  EXPECT_TRUE(consumer.DeliverOnce());
  EXPECT_TRUE(ring.Put(Byte(0x55)));
  EXPECT_EQ(ring.Slot(0).Data[0], 0x55);
}

TEST(Ring, StampedTimesFollowSlotOrder) {
  TSerialThreadOut consumer([](TSerialThreadOut&) {});
  ReceiveRing& ring = consumer.Ring();
  for (int i = 0; i < 1000; ++i) ASSERT_TRUE(ring.Put(Byte(1)));
  for (int i = 1; i < 1000; ++i) EXPECT_LE(ring.Slot(i - 1).Time, ring.Slot(i).Time);
  EXPECT_GT(ring.Slot(0).Time, 40000.0);  // a date after 2009: the clock is real
}

// Several producers against the running consumer thread: every record
// arrives exactly once, each producer's records in its own order.
TEST(RingConsumer, ManyProducersLoseAndDuplicateNothing) {
  constexpr int kProducers = 4;
  constexpr int kPerProducer = 30000;
  std::vector<std::vector<int>> seen(kProducers);
  std::atomic<int> total{0};
  TSerialThreadOut consumer([&](TSerialThreadOut& s) {
    for (int i = s.BatchStart; i < s.BatchStart + s.BatchCount; ++i) {
      const TSeriellData& r = s.Ring().Slot(i);
      ASSERT_EQ(r.Ready, 1);
      seen[r.Dir].push_back(r.Ident);
    }
    total += s.BatchCount;
  });
  consumer.Resume();
  std::vector<std::jthread> producers;
  for (int p = 0; p < kProducers; ++p)
    producers.emplace_back([&, p] {
      for (int n = 0; n < kPerProducer; ++n) {
        TSeriellData r = Byte(0, static_cast<std::uint8_t>(p));
        r.Ident = n;
        while (!consumer.Ring().Put(r)) std::this_thread::yield();  // full: retry, the test wants all
      }
    });
  producers.clear();
  // A lost record fails the test; it must not hang it.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (total.load() < kProducers * kPerProducer && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  consumer.Terminate();
  ASSERT_EQ(total.load(), kProducers * kPerProducer);
  for (int p = 0; p < kProducers; ++p) {
    ASSERT_EQ(seen[p].size(), static_cast<std::size_t>(kPerProducer));
    for (int n = 0; n < kPerProducer; ++n) ASSERT_EQ(seen[p][n], n);
  }
}

TEST(RingConsumer, LostRecordsAreReportedByTheRunningConsumer) {
  std::atomic<std::uint64_t> reported{0};
  std::atomic<bool> block{true};
  TSerialThreadOut consumer([&](TSerialThreadOut&) {
    while (block.load()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  });
  consumer.SetLostHandler([&](std::uint64_t lost) { reported += lost; });
  for (int i = 0; i < ReceiveRing::Size + 7; ++i) consumer.Ring().Put(Byte(1));
  consumer.Resume();
  block = false;
  for (int i = 0; i < 400 && reported.load() == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  consumer.Terminate();
  EXPECT_EQ(reported.load(), 7u);
}

TEST(Ring, ARunClaimTakesWhatFitsAndCountsTheRestExactly) {
  ReceiveRing ring;
  ring.ResetTo(ReceiveRing::Size - 2);
  for (int i = 0; i < ReceiveRing::Size - 5; ++i) ASSERT_TRUE(ring.Put(Byte(1)));
  int first = -1;
  double stamp = 0.0;
  EXPECT_EQ(ring.ClaimRun(8, first, stamp), 5);
  EXPECT_EQ(first, (ReceiveRing::Size - 2 + ReceiveRing::Size - 5) % ReceiveRing::Size);
  EXPECT_EQ(ring.TakeLostCount(), 3u);
  EXPECT_EQ(ring.ClaimRun(1, first, stamp), 0);
  EXPECT_EQ(ring.LostTotal(), 4u);
  int start = 0;
  EXPECT_EQ(ring.ReadyBatch(start), 0);  // claimed, not committed
  ring.CommitRun(5);
  EXPECT_EQ(ring.ReadyBatch(start), 2);  // up to the end of the ring
  EXPECT_EQ(start, ReceiveRing::Size - 2);
}

namespace {
// A clock whose steady time, system time and zone offset the test moves.
struct TFakeClock {
  std::chrono::steady_clock::time_point steady{std::chrono::hours(100)};
  std::chrono::system_clock::time_point system{std::chrono::seconds(1'793'494'800)};  // 2026-10-25 01:00 UTC
  long offset = 7200;
  long offsetAfter = 3600;
  std::int64_t switchAt = 1'793'494'800 + 1;  // the zone goes back an hour here

  TRecordClock Clock() {
    return TRecordClock({[this] { return steady; }, [this] { return system; },
                         [this](std::int64_t s) { return s >= switchAt ? offsetAfter : offset; }});
  }
  void Advance(std::chrono::milliseconds ms) {
    steady += ms;
    system += ms;
  }
};
double Seconds(double days) { return days * 86400.0; }
}  // namespace

TEST(RecordClock, TheLocalTimeGoesBackWithTheZoneButRecordsKeepMoving) {
  TFakeClock fake;
  TRecordClock clock = fake.Clock();
  const double before = clock.Now();
  fake.Advance(std::chrono::milliseconds(1500));
  const double after = clock.Now();
  fake.Advance(std::chrono::milliseconds(250));
  const double later = clock.Now();
  EXPECT_NEAR(Seconds(after - before), 1.5 - 3600.0, 1e-3);  // the wall clock, an hour back
  EXPECT_NEAR(Seconds(later - after), 0.25, 1e-3);            // and on from there, not standing still
}

TEST(RecordClock, AClockSetBackNeverReordersAndOneSetForwardIsFollowed) {
  TFakeClock fake;
  fake.switchAt = INT64_MAX;
  TRecordClock clock = fake.Clock();
  const double start = clock.Now();
  fake.steady += std::chrono::milliseconds(100);
  fake.system -= std::chrono::seconds(30);
  const double afterBack = clock.Now();
  EXPECT_NEAR(Seconds(afterBack - start), 0.1, 1e-3);
  fake.steady += std::chrono::milliseconds(100);
  fake.system += std::chrono::seconds(90);
  EXPECT_NEAR(Seconds(clock.Now() - start), 60.0, 1e-3);
}

TEST(Ring, StampsComeFromItsClock) {
  TFakeClock fake;
  ReceiveRing ring;
  ring.SetClock(fake.Clock());
  ASSERT_TRUE(ring.Put(Byte(1)));
  fake.Advance(std::chrono::milliseconds(2000));
  ASSERT_TRUE(ring.Put(Byte(2)));
  EXPECT_NEAR(Seconds(ring.Slot(1).Time - ring.Slot(0).Time), 2.0 - 3600.0, 1e-3);
}

// The waits end on the other side's move, not on their timeouts (an hour
// here): a lost signal hangs the test.
TEST(RingWait, ACommitWakesTheWaitingConsumerAndAReleaseTheWaitingProducer) {
  ReceiveRing ring;
  std::stop_source stop;
  std::jthread consumer([&] { ring.WaitForBatch(stop.get_token(), std::chrono::hours(1)); });
  ASSERT_TRUE(ring.Put(Byte(1)));
  consumer.join();
  int start = 0;
  EXPECT_EQ(ring.ReadyBatch(start), 1);

  for (int i = 1; i < ReceiveRing::Size; ++i) ASSERT_TRUE(ring.Put(Byte(1)));
  std::jthread producer([&] { ring.WaitForRoom(1, stop.get_token(), std::chrono::hours(1)); });
  ring.Release(2);
  producer.join();
  EXPECT_EQ(ring.FreeSlots(), 2);
}

// The hand-over of text runs to the showing thread: order, back-pressure
// and its exceptions.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "core/AppFlags.h"
#include "core/RunQueue.h"

namespace {

// Ends a wait the test did not expect, so a fault fails the test instead of
// hanging it.
class TWatchdog {
 public:
  explicit TWatchdog(TRunQueue& queue)
      : thread_([this, &queue](std::stop_token stop) {
          const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
          while (!stop.stop_requested() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
          if (stop.stop_requested()) return;
          fired_ = true;
          queue.Close();
        }) {}
  bool Fired() {
    thread_.request_stop();
    thread_.join();
    return fired_;
  }

 private:
  std::atomic<bool> fired_{false};
  std::jthread thread_;
};

std::string Joined(const std::vector<TTextRun>& runs) {
  std::string all;
  for (const TTextRun& run : runs) all += run.ClearsTrace ? "|clear|" + run.Text : run.Text;
  return all;
}

class RunQueueTest : public ::testing::Test {
 protected:
  void SetUp() override { AppClosing = false; }
  TRunQueue queue{16};
  std::vector<TTextRun> runs;
};

TEST_F(RunQueueTest, TheDrainingThreadNeverWaitsForItself) {
  queue.Take(runs);  // this thread drains
  TWatchdog watchdog(queue);
  for (int i = 0; i < 4; ++i) queue.AppendText(std::string(20, 'x'), clBlue);
  EXPECT_FALSE(watchdog.Fired());
  EXPECT_EQ(queue.WaitingChars(), 80u);
}

TEST_F(RunQueueTest, AProducerWaitsForRoomAndKeepsTheOrder) {
  queue.Take(runs);
  queue.AppendText(std::string(20, 'a'), clBlack);
  std::atomic<bool> appended{false};
  std::jthread producer([&] {
    queue.AppendText("b", clRed);
    appended = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(appended.load());  // over the limit: it waits
  std::string all;
  for (int i = 0; i < 1000 && all.size() < 21; ++i) {
    queue.Take(runs);
    all += Joined(runs);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  producer.join();
  EXPECT_EQ(all, std::string(20, 'a') + "b");
}

TEST_F(RunQueueTest, ClosingEndsAWaitForGood) {
  queue.Take(runs);
  queue.AppendText(std::string(20, 'a'), clBlack);
  auto waiting = std::async(std::launch::async, [&] { queue.AppendText("b", clBlack); });
  queue.Close();
  EXPECT_EQ(waiting.wait_for(std::chrono::seconds(10)), std::future_status::ready);
  std::jthread later([&] { queue.AppendText("c", clBlack); });  // and no new wait starts
  later.join();
  queue.Take(runs);
  EXPECT_EQ(Joined(runs), std::string(20, 'a') + "bc");
}

TEST_F(RunQueueTest, AClearDropsWaitingRunsAndMarksWhereTheTraceIsCleared) {
  queue.AppendText("old", clBlack);
  queue.ClearTrace();
  EXPECT_TRUE(queue.LastLineEmpty());
  queue.AppendText("new", clBlack);
  queue.Take(runs);
  ASSERT_EQ(runs.size(), 1u);  // the marker run carries what follows the clear
  EXPECT_TRUE(runs[0].ClearsTrace);
  EXPECT_EQ(Joined(runs), "|clear|new");
}

TEST_F(RunQueueTest, RunsOfOneColourAreJoinedUpToTheRunLimit) {
  TRunQueue big;
  const std::string chunk(TRunQueue::kRunLimit / 2 + 1, 'x');
  big.AppendText("a", clRed);
  big.AppendText("b", clRed);
  big.AppendText("c", clBlack);
  for (int i = 0; i < 3; ++i) big.AppendText(chunk, clBlack);
  big.Take(runs);
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].Text, "ab");
  EXPECT_EQ(runs[1].Text.size(), 1 + 2 * chunk.size());
  EXPECT_EQ(runs[2].Text, chunk);
}

}  // namespace

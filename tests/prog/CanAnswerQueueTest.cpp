// Frames from the receive ring to the programmer: only CAN data frames
// count, and a queue nobody reads stays bounded.
#include <gtest/gtest.h>

#include "core/ReceiveRing.h"
#include "prog/CanAnswerQueue.h"

TEST(CanAnswerQueue, TakesCanFramesOfABatchAndLeavesEventsAndBytes) {
  ReceiveRing ring;
  TSeriellData frame;
  frame.RecType = rtCAN;
  frame.Ident = 2;
  frame.Count = 1;
  frame.Data[0] = 0x02;
  frame.Signals = 0x80;
  TSeriellData busError = frame;
  busError.LineFlags = 0x20;
  TSeriellData remote = frame;
  remote.Signals = 0x80 | 0x40;
  TSeriellData byte;
  byte.Data[0] = 0x02;
  int first = -1;
  for (const TSeriellData* r : {&frame, &busError, &byte, &remote}) {
    const int at = ring.ClaimSlot();
    if (first < 0) first = at;
    ring.Slot(at) = *r;
    ring.CommitSlot();
  }
  TCanAnswerQueue queue;
  queue.TapBatch(ring, first, 4);
  const std::vector<TCanFrame> taken = queue.TakeAll();
  ASSERT_EQ(taken.size(), 2u);
  EXPECT_EQ(taken[0].Ident, 2u);
  EXPECT_EQ(taken[0].Length, 1);
  EXPECT_EQ(taken[0].Data[0], 0x02);
  EXPECT_FALSE(taken[0].Remote);
  EXPECT_TRUE(taken[1].Remote);
  EXPECT_EQ(taken[1].Data[0], 0x00);  // a remote frame carries no data
  EXPECT_TRUE(queue.TakeAll().empty());

  for (std::size_t i = 0; i < TCanAnswerQueue::kMaxFrames + 5; ++i) {
    TCanFrame f;
    f.Ident = static_cast<std::uint32_t>(i);
    queue.Push(f);
  }
  const std::vector<TCanFrame> kept = queue.TakeAll();
  ASSERT_EQ(kept.size(), TCanAnswerQueue::kMaxFrames);
  EXPECT_EQ(kept.front().Ident, 5u);
}

// Runs reach the pane in the order the consumer thread rendered them.
#include <thread>

#include "WindowTestSupport.h"

TEST_F(WindowTest, RunsFromTheConsumerThreadArriveInOrder) {
  constexpr int kRecords = 30'000;  // more than the ring holds at once
  QString expected;
  std::vector<TColor> colours;
  for (int i = 0; i < kRecords; ++i) {
    expected.append(QChar(u'A' + i % 26));
    colours.push_back((i / 7) % 2 ? clRed : clBlack);
  }
  ReceiveRing& ring = frm->Ring();
  std::jthread producer([&ring] {
    for (int i = 0; i < kRecords; ++i) {
      TSeriellData r;
      r.RecType = rtSeriell;
      r.Count = 1;
      r.Data[0] = static_cast<std::uint8_t>('A' + i % 26);
      r.Dir = (i / 7) % 2 ? dirPortB : dirPortA;
      r.Ready = 1;
      // The ring drops records when full; give the consumer room now and then.
      if (i % 5000 == 0)
        while (ring.ReadIndex() != ring.ClaimIndex()) std::this_thread::yield();
      ring.Put(r);
    }
  });
  ASSERT_TRUE(WaitFor([&] { return Pane()->Length() >= kRecords; }));
  producer.join();
  EXPECT_EQ(ring.LostTotal(), 0u);
  ASSERT_EQ(Pane()->Text(), expected);
  for (int i = 0; i < kRecords; i += 997) EXPECT_EQ(Pane()->Buffer().StyleAt(i).Shown, colours[i]) << i;
}

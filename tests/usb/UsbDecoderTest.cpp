// The record buffers of the images on byte fixtures: what lands in the ring.
#include <gtest/gtest.h>

#include <vector>

#include "UsbDecoder.h"
#include "core/ReceiveRing.h"
#include "core/RingTestSupport.h"

namespace {

constexpr double kMs = 1.0 / 86400000.0;
// 12:00:00.250 on some day: the millisecond part is 250.
constexpr double kBase = 45000.5 + 250 * kMs;

class UsbDecoderTest : public ::testing::Test {
 protected:
  // A serial buffer: L, byte 1 (its number), reference tick, then records.
  static std::vector<uint8_t> Serial(uint8_t slot, uint8_t ref, std::vector<std::vector<uint8_t>> records) {
    std::vector<uint8_t> b{0, slot, ref};
    for (const auto& r : records) b.insert(b.end(), r.begin(), r.end());
    b[0] = static_cast<uint8_t>(b.size() - 3);
    return b;
  }
  void Decode(const std::vector<uint8_t>& buffer, int type = 0, double base = kBase, int slot = 1) {
    DecodeUsbBuffer(buffer, slot, base, type, state, load, ring);
  }
  // Committed records handed out so far (the consumer's view).
  std::vector<TSeriellData> Take() { return TakeCommittedRecords(ring); }
  bool SlotHeldBack() const { return ring.ClaimIndex() != ring.CommitCount(); }

  ReceiveRing ring;
  TUsbDecodeState state;
  TUsbLoadStats load;
};

TEST_F(UsbDecoderTest, SerialRecordsCarrySideSignalsTimeAndRawBytes) {
  // Reference tick 247 rounds down to 245; tick 250 is 1 ms later.
  Decode(Serial(1, 247, {{0x05, 'A', 250}, {0x8E, 'B', 245}, {0x02, 'C', 246}}));
  const auto r = Take();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].Dir, dirUSB1);
  EXPECT_EQ(r[0].Signals, msCTS1);
  EXPECT_EQ(r[1].Dir, dirUSB2);
  EXPECT_EQ(r[1].Signals, msCTS1 | msCTS2 | msCD);
  EXPECT_EQ(r[2].Signals, 0);
  for (const auto& rec : r) {
    EXPECT_EQ(rec.RecType, rtSeriell);
    EXPECT_EQ(rec.Ready, 1);
    EXPECT_EQ(rec.Count, 1);
    EXPECT_EQ(rec.Ident, 250);
    EXPECT_EQ(rec.Data[4], 245);  // the reference tick
    EXPECT_EQ(rec.Data[5], 1);    // the buffer
  }
  EXPECT_EQ(r[0].Data[0], 'A');
  EXPECT_EQ(r[0].Data[1], 0x05);
  EXPECT_EQ(r[0].Data[2], 250);
  EXPECT_NEAR(r[0].Time, kBase + kMs, kMs / 100);
  EXPECT_EQ(r[0].SubMs, 0);
  EXPECT_DOUBLE_EQ(r[1].Time, kBase);
  EXPECT_EQ(r[2].SubMs, 200);
}

TEST_F(UsbDecoderTest, TickDistanceWrapsAt256AndTheReferenceHoldsWhileTheBaseDoes) {
  Decode(Serial(0, 250, {{0x01, 1, 3}}));  // d = 9: 1800 µs
  Decode(Serial(1, 13, {{0x01, 2, 4}}));   // same base: Ref stays 250, d = 10
  Decode(Serial(2, 13, {{0x01, 3, 15}}), 0, kBase + 5 * kMs);  // new base: Ref 10, d = 5
  const auto r = Take();
  ASSERT_EQ(r.size(), 3u);
  EXPECT_NEAR(r[0].Time, kBase + kMs, kMs / 100);
  EXPECT_EQ(r[0].SubMs, 800);
  EXPECT_NEAR(r[1].Time, kBase + 2 * kMs, kMs / 100);
  EXPECT_EQ(r[1].SubMs, 0);
  EXPECT_EQ(r[2].Data[4], 10);
  EXPECT_NEAR(r[2].Time, kBase + 6 * kMs, kMs / 100);
}

TEST_F(UsbDecoderTest, EmptyAndLineStatusRecordsWithoutFlagsAreCommittedNotReady) {
  Decode(Serial(1, 0, {{0x10, 0x55, 0}, {0x03, 0x00, 0}}));
  const auto r = Take();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].Dir, dirNone);  // a modem line changed, no byte
  EXPECT_EQ(r[0].Signals, msDSR1);
  EXPECT_EQ(r[1].Dir, dirUSB2);
  EXPECT_EQ(r[1].Data[3], 0x00);
  for (const auto& rec : r) {
    EXPECT_EQ(rec.Ready, 0);
    EXPECT_EQ(rec.Count, 0);
  }
}

TEST_F(UsbDecoderTest, LineStatusFlagsWaitInAnUncommittedSlotForTheNextRecord) {
  // 0x20 alone is "other"; 0x1E all four errors.
  Decode(Serial(1, 0, {{0x03, 0x20, 0}}));
  EXPECT_TRUE(SlotHeldBack());
  EXPECT_TRUE(Take().empty());  // the consumer waits for the held slot
  // The byte comes in the next buffer and takes the held slot.
  Decode(Serial(2, 0, {{0x01, 'x', 1}, {0x03, 0x1E, 2}, {0x02, 'y', 3}}));
  const auto r = Take();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].LineFlags, seOther);
  EXPECT_EQ(r[0].Data[0], 'x');
  EXPECT_EQ(r[1].LineFlags, seOE | sePE | seFE | seBI);
  EXPECT_EQ(r[1].Dir, dirUSB2);
  EXPECT_EQ(r[1].Ready, 1);
  EXPECT_FALSE(SlotHeldBack());
}

TEST_F(UsbDecoderTest, TwoLineStatusRecordsInARowKeepBothFlags) {
  Decode(Serial(1, 0, {{0x03, 0x02, 0}, {0x03, 0x08, 0}, {0x01, 'z', 0}}));
  const auto r = Take();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].LineFlags, seOE | seFE);
}

TEST_F(UsbDecoderTest, AHeldSlotIsHandedOutWithItsFlagsWhenTheMonitorStops) {
  Decode(Serial(1, 0, {{0x03, 0x10, 0}}));
  FlushPendingRecord(state, ring);
  const auto r = Take();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].LineFlags, seBI);
  EXPECT_EQ(r[0].Ready, 0);
  EXPECT_EQ(state.PendingSlot, -1);
}

TEST_F(UsbDecoderTest, OnlyTheBytesReadBecomeRecords) {
  // L = 9, but only the 8-byte header arrived: one whole record, no more.
  auto b = Serial(1, 0, {{0x01, 1, 0}, {0x01, 2, 0}, {0x01, 3, 0}});
  b.resize(8);
  Decode(b);
  EXPECT_EQ(Take().size(), 1u);
  // L = 5 (one record and two spare bytes): the header read holds it all.
  Decode({5, 1, 0, 0x02, 'q', 0, 0xEE, 0xEE});
  const auto r = Take();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Data[0], 'q');
}

class UsbCanDecoderTest : public UsbDecoderTest {
 protected:
  static std::vector<uint8_t> Can(std::vector<uint8_t> records) {
    records.insert(records.begin(), {0, 1});
    std::vector<uint8_t>& b = records;
    b[0] = static_cast<uint8_t>(b.size());  // the last record starts before offset L
    b.resize(b.size() + 3, 0);
    return b;
  }
};

TEST_F(UsbCanDecoderTest, FramesGiveIdentifierFlagsDataAndTickTime) {
  // Standard frame 0x123, 2 bytes, tick 7; extended remote frame 0x1ABCDEF5, no data.
  const uint32_t ext = 0x1ABCDEF5;
  Decode(Can({2, 17, 0x02, 0x24, 0x60, 0xAA, 0xBB, 7,
              2, 18, 0xC0, uint8_t(ext >> 21), uint8_t(ext >> 13), uint8_t(ext >> 5), uint8_t(ext << 3), 0}),
         2);
  const auto r = Take();
  ASSERT_EQ(r.size(), 2u);
  EXPECT_EQ(r[0].RecType, rtCAN);
  EXPECT_EQ(r[0].Dir, dirUSBCAN1);
  EXPECT_EQ(r[0].Ident, 0x123);
  EXPECT_EQ(r[0].Info, 17);
  EXPECT_EQ(r[0].Signals, msID11);
  EXPECT_EQ(r[0].Count, 2);
  EXPECT_EQ(r[0].Data[1], 0xBB);
  EXPECT_NEAR(r[0].Time, kBase + kMs, kMs / 100);
  EXPECT_EQ(r[0].SubMs, 400);
  EXPECT_EQ(r[0].Ready, 1);
  EXPECT_EQ(r[1].Ident, static_cast<int32_t>(ext));
  EXPECT_EQ(r[1].Signals, msID29 | msRTR);
  EXPECT_EQ(r[1].Count, 0);
}

TEST_F(UsbCanDecoderTest, ControllerEventsCarryTheirFlags) {
  Decode(Can({4, 1, 6, 1, 2, 3, 4, 5, 6, 2, 9, 3, 3, 5}), 2);
  const auto r = Take();
  ASSERT_EQ(r.size(), 4u);
  EXPECT_EQ(r[0].LineFlags, seBus);
  EXPECT_EQ(r[1].LineFlags, seBusDetail);
  EXPECT_EQ(r[1].Count, 6);
  EXPECT_EQ(r[1].Data[5], 6);
  EXPECT_EQ(r[1].SubMs, 400);
  EXPECT_EQ(r[2].LineFlags, seBufferOv);
  EXPECT_EQ(r[3].LineFlags, 0);  // unknown type
  for (const auto& rec : r) EXPECT_EQ(rec.Ready, 0);
}

TEST_F(UsbCanDecoderTest, ATruncatedFrameIsDroppedAndALengthAbove8CarriesEight) {
  Decode(Can({2, 1, 0x0F, 0x24, 0x60, 1, 2, 3, 4, 5, 6, 7, 8, 0, 2, 2, 0x08, 0x24}), 2);
  const auto r = Take();
  ASSERT_EQ(r.size(), 1u);
  EXPECT_EQ(r[0].Count, 8);
  EXPECT_EQ(r[0].Data[7], 8);
}

TEST_F(UsbDecoderTest, MeasurementBufferOfSixBytesIsOneRecordByInput) {
  const struct {
    int type;
    uint8_t input;
    uint8_t recType, dir;
  } cases[] = {{3, 0, rtFQMess, dirUSB3},   {3, 1, rtFQMess, dirUSB4},  {4, 2, rtBaudMess, dirUSB1},
               {4, 3, rtBaudMess, dirUSB2}, {3, 4, rtFQMess, dirUSBCAN1}, {3, 9, rtFQMess, dirNone}};
  for (const auto& c : cases) {
    Decode({6, 1, 0, 0, 1, 2, 3, 4, c.input}, c.type);
    const auto r = Take();
    ASSERT_EQ(r.size(), 1u) << int(c.input);
    EXPECT_EQ(r[0].RecType, c.recType);
    EXPECT_EQ(r[0].Dir, c.dir);
    EXPECT_EQ(r[0].Count, 6);
    EXPECT_EQ(r[0].Data[3], 3);
    EXPECT_EQ(r[0].Ready, 1);
  }
  Decode({5, 1, 0, 0, 1, 2, 3, 4}, 3);
  Decode({7, 1, 0, 0, 1, 2, 3, 4, 0, 0}, 3);
  EXPECT_TRUE(Take().empty());
}

TEST_F(UsbDecoderTest, LoadIsTheSumOfTheLast101BuffersOver254) {
  std::vector<uint8_t> full(257, 0);
  full[0] = 254;
  full[1] = 1;
  for (int i = 0; i < 101; ++i) Decode(full, -1);
  EXPECT_EQ(load.Load, 101);
  EXPECT_TRUE(Take().empty());  // an unknown type delivers nothing
  const std::vector<uint8_t> empty{0, 1, 0};
  for (int i = 0; i < 100; ++i) Decode(empty, -1);
  EXPECT_EQ(load.Load, 1);  // one full buffer still in the window
  Decode(empty, -1);
  EXPECT_EQ(load.Load, 0);
}

}  // namespace

// "CAN" in the emulator: frames on the emulated bus come out of the record
// buffers as the host walks them, and frames sent through the handshake at
// 0x80 go onto the bus or are refused so that the host repeats them.
#include <gtest/gtest.h>

#include <algorithm>

#include "FirmwareRig.h"
#include "UsbDecoder.h"
#include "core/ReceiveRing.h"
#include "core/RingTestSupport.h"

using tamarikusb::TCanFrame;

namespace {

struct TCanRecord {
  uint8_t type, seq, info;
  std::vector<uint8_t> id, data;  // data: the frame's bytes, or a type-6 record's registers
  uint8_t tick;
};

class CanTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(rig_.usb.UsbReadRam(0x100), 0) << "not running";
    ASSERT_EQ(rig_.usb.UsbReadRam(0x106), 4) << "not ready";
    Init(0x40);
    rig_.Activate();
    rig_.RunPolling(20000, 5000);
    Walk();
  }

  // As the host's CAN button does it: 750 kbit/s at 12 MHz, all accepted.
  void Init(uint8_t config) {
    const std::pair<uint16_t, uint8_t> writes[] = {{0x101, 0x00}, {0x102, 0x14}, {0x103, config}, {0x120, 0},
                                                   {0x121, 0},    {0x122, 0},    {0x123, 0},      {0x125, 0xFF},
                                                   {0x126, 0xFF}, {0x127, 0xFF}, {0x128, 0xFF},   {0x106, 2}};
    for (const auto& [address, value] : writes) rig_.usb.UsbWriteRam(address, value);
    rig_.RunMicroseconds(1000);
    ASSERT_EQ(rig_.usb.UsbReadRam(0x106), 4);
  }

  // The records of every buffer read since the last call, walked as the
  // host does: from offset 2 while a record starts before offset L.
  std::vector<TCanRecord> Walk() {
    std::vector<TCanRecord> out;
    for (const auto& b : rig_.buffers) {
      const size_t length = b[0];
      size_t at = 2;
      while (at + 1 <= length) {
        TCanRecord r{b[at++], 0, 0, {}, {}, 0};
        if (r.type == 2) {
          r.seq = b[at++];
          r.info = b[at++];
          const size_t idLength = (r.info & 0x80) ? 4 : 2;
          r.id.assign(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + idLength));
          at += idLength;
          const size_t n = std::min<size_t>(r.info & 0x0F, 8);  // a remote frame's too
          r.data.assign(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + n));
          at += n;
        } else if (r.type == 6) {
          r.data.assign(b.begin() + static_cast<long>(at), b.begin() + static_cast<long>(at + 6));
          at += 6;
        }
        r.tick = b[at++];
        out.push_back(r);
      }
      EXPECT_LE(at, length + 3) << "a record runs past the bytes the host reads";
    }
    rig_.buffers.clear();
    return out;
  }
  std::vector<TCanRecord> Of(const std::vector<TCanRecord>& all, uint8_t type) {
    std::vector<TCanRecord> out;
    std::copy_if(all.begin(), all.end(), std::back_inserter(out), [&](const TCanRecord& r) { return r.type == type; });
    return out;
  }

  // A frame through the send handshake, with the header the host builds.
  void SendFrame(uint8_t seq, uint32_t id, bool extended, std::vector<uint8_t> data, int rtrLength = -1) {
    const uint32_t shifted = id << (extended ? 3 : 5);
    const uint8_t info = static_cast<uint8_t>((extended ? 0x80 : 0) + (rtrLength >= 0 ? 0x40 + rtrLength : static_cast<int>(data.size())));
    const uint8_t header[8] = {info, static_cast<uint8_t>(shifted >> 24), static_cast<uint8_t>(shifted >> 16),
                               static_cast<uint8_t>(shifted >> 8), static_cast<uint8_t>(shifted), 1,
                               static_cast<uint8_t>(data.size()), seq};
    std::copy(header, header + 8, rig_.usb.UsbSendBuffer.begin());
    std::copy(data.begin(), data.end(), rig_.usb.UsbSendBuffer.begin() + 8);
    rig_.usb.UsbDownloadSmall(0x80, static_cast<int>(8 + data.size()));
    rig_.usb.UsbWriteRam(0x77, seq);
  }
  TCanFrame Frame(uint32_t id, bool extended, std::vector<uint8_t> data, bool remote = false, uint8_t dlc = 0) {
    TCanFrame f;
    f.id = id;
    f.extended = extended;
    f.remote = remote;
    f.dlc = remote ? dlc : static_cast<uint8_t>(data.size());
    std::copy(data.begin(), data.end(), f.data.begin());
    return f;
  }

  TFirmwareRig rig_{"CAN"};
};

TEST_F(CanTest, FramesOnTheBusArriveAsType2RecordsWithIdentifierBytesAndSequence) {
  auto& bus = rig_.board->Can();
  const uint64_t now = rig_.Now();
  bus.Put(now, Frame(0x123, false, {1, 2, 3}));
  bus.Put(now + 6000, Frame(0x1ABCDEF5, true, {}));
  bus.Put(now + 12000, Frame(0x7FF, false, {}, true, 0));
  bus.Put(now + 18000, Frame(0x1FFFFFFF, true, {}, true, 2));
  bus.Put(now + 24000, Frame(0x001, false, {0x42}));
  rig_.RunPolling(30000, 5000);
  const auto frames = Of(Walk(), 2);
  ASSERT_EQ(frames.size(), 5u);
  EXPECT_EQ(frames[0].info, 0x03);
  EXPECT_EQ(frames[0].id, std::vector<uint8_t>({0x24, 0x60}));  // 0x24 << 3 | 0x60 >> 5 = 0x123
  EXPECT_EQ(frames[0].data, std::vector<uint8_t>({1, 2, 3}));
  EXPECT_EQ(frames[1].info, 0x80);
  EXPECT_EQ(frames[1].id, std::vector<uint8_t>({0xD5, 0xE6, 0xF7, 0xA8}));
  EXPECT_EQ(frames[2].info, 0x40);
  EXPECT_EQ(frames[2].id[0] << 3 | frames[2].id[1] >> 5, 0x7FF);
  EXPECT_EQ(frames[1].seq, static_cast<uint8_t>(frames[0].seq + 1));
  EXPECT_EQ(frames[2].seq, static_cast<uint8_t>(frames[0].seq + 2));
  // A remote frame's length code counts bytes that carry nothing.
  EXPECT_EQ(frames[3].info, 0xC2);
  EXPECT_EQ(frames[3].data, std::vector<uint8_t>({0, 0}));
  EXPECT_EQ(frames[4].data, std::vector<uint8_t>({0x42}));
  // The tick counts 200 us steps from the buffer's first record: 1 ms apart.
  if (frames[1].tick > frames[0].tick) {
    EXPECT_NEAR(frames[1].tick - frames[0].tick, 5, 1);
  }
}

TEST_F(CanTest, TheHostsDecoderTurnsTheImagesRecordsIntoFrames) {
  auto& bus = rig_.board->Can();
  const uint64_t now = rig_.Now();
  bus.Put(now, Frame(0x123, false, {0xDE, 0xAD}));
  bus.Put(now + 3000, Frame(0x1FFFFFFF, true, {}, true, 3));
  bus.Put(now + 6000, Frame(0x7, false, {0x42}));
  rig_.RunPolling(30000, 5000);
  ReceiveRing ring;
  for (const auto& b : rig_.buffers) DecodeCanBuffer(b, 45000.5, ring);
  std::vector<TSeriellData> frames;
  for (const TSeriellData& r : TakeCommittedRecords(ring))
    if (r.LineFlags == 0) frames.push_back(r);
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(frames[0].Ident, 0x123);
  EXPECT_EQ(frames[0].Signals, msID11);
  EXPECT_EQ(frames[0].Count, 2);
  EXPECT_EQ(frames[0].Data[1], 0xAD);
  EXPECT_EQ(frames[1].Ident, 0x1FFFFFFF);
  EXPECT_EQ(frames[1].Signals, msID29 | msRTR);
  EXPECT_EQ(frames[1].Count, 3);
  EXPECT_EQ(frames[2].Ident, 0x7);
  EXPECT_EQ(frames[2].Data[0], 0x42);
  EXPECT_EQ(frames[1].Info, static_cast<uint8_t>(frames[0].Info + 1));
  EXPECT_EQ(frames[2].Info, static_cast<uint8_t>(frames[0].Info + 2));
}

TEST_F(CanTest, FramesLostWhileTheHostIsBehindShowAsASequenceGap) {
  auto& bus = rig_.board->Can();
  const uint64_t now = rig_.Now();
  // 150 frames of 8 bytes, one every 300 us, while the host reads nothing.
  for (uint32_t i = 0; i < 150; ++i) bus.Put(now + i * 1800, Frame(0x100 + i, false, {1, 2, 3, 4, 5, 6, 7, 8}));
  rig_.RunMicroseconds(60000);
  rig_.RunPolling(40000, 2000);
  // One more frame once the host has caught up, so that the gap has an end.
  bus.Put(rig_.Now(), Frame(0x555, false, {}));
  rig_.RunPolling(20000, 2000);
  const auto all = Walk();
  const auto frames = Of(all, 2);
  ASSERT_GT(frames.size(), 20u);
  ASSERT_LT(frames.size(), 150u);
  EXPECT_FALSE(Of(all, 9).empty());
  int gaps = 0, lost = 0;
  for (size_t i = 1; i < frames.size(); ++i) {
    const uint8_t expected = static_cast<uint8_t>(frames[i - 1].seq + 1);
    if (frames[i].seq != expected) {
      ++gaps;
      lost += static_cast<uint8_t>(frames[i].seq - expected);
    }
  }
  EXPECT_GE(gaps, 1);
  EXPECT_EQ(lost + frames.size(), 151u);  // every frame is either shown or counted by a gap
  EXPECT_NE(std::count(rig_.buffersHigh.begin(), rig_.buffersHigh.end(), 0x10), 0);
}

TEST_F(CanTest, FramesSentThroughTheHandshakeAppearOnTheBusWithTheirIdentifierBytes) {
  auto& bus = rig_.board->Can();
  bus.TakeSeen();
  SendFrame(1, 0x123, false, {0x31, 0x20, 0x32});
  rig_.RunMicroseconds(500);
  EXPECT_EQ(rig_.usb.UsbReadRam(0x87), 1);
  EXPECT_EQ(rig_.usb.UsbReadRam(0x77), 1);
  rig_.RunMicroseconds(2000);
  EXPECT_EQ(rig_.usb.UsbReadRam(0x7A), 1);
  SendFrame(2, 0x10, true, {0xAA});
  rig_.RunMicroseconds(2000);
  EXPECT_EQ(rig_.usb.UsbReadRam(0x7A), 2);
  SendFrame(3, 0x7FF, false, {}, 8);  // remote frame asking for 8 bytes
  rig_.RunMicroseconds(2000);
  EXPECT_EQ(rig_.usb.UsbReadRam(0x7A), 3);
  const auto seen = bus.TakeSeen();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].frame, Frame(0x123, false, {0x31, 0x20, 0x32}));
  EXPECT_EQ(seen[1].frame, Frame(0x10, true, {0xAA}));
  EXPECT_EQ(seen[2].frame, Frame(0x7FF, false, {}, true, 8));
  for (const auto& s : seen) EXPECT_EQ(s.node, tamarikusb::kControllerNode);
}

TEST_F(CanTest, AFrameNobodyAcknowledgesIsReportedAndRefusedSoTheHostRepeatsIt) {
  auto& bus = rig_.board->Can();
  bus.SetAcknowledge(false);
  SendFrame(7, 0x321, false, {9});
  rig_.RunMicroseconds(500);
  EXPECT_EQ(rig_.usb.UsbReadRam(0x77), 7);  // accepted for now
  rig_.RunPolling(80000, 5000);
  EXPECT_NE(rig_.usb.UsbReadRam(0x7A), 7);
  EXPECT_NE(rig_.usb.UsbReadRam(0x77), 7);  // refused: the host's check sends it again
  const auto all = Walk();
  EXPECT_EQ(Of(all, 7).size(), 1u);
  const auto errors = Of(all, 6);
  ASSERT_FALSE(errors.empty());
  EXPECT_EQ(errors[0].data[2], 0xC0 | 25);  // "other" error in the acknowledge slot, sending
  EXPECT_EQ(errors[0].data[3], 96);         // warning limit
  EXPECT_TRUE(bus.TakeSeen().empty());
  // The host repeats the same frame; with someone on the bus it goes out.
  bus.SetAcknowledge(true);
  SendFrame(7, 0x321, false, {9});
  rig_.RunMicroseconds(3000);
  EXPECT_EQ(rig_.usb.UsbReadRam(0x7A), 7);
  const auto seen = bus.TakeSeen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].frame, Frame(0x321, false, {9}));
}

TEST_F(CanTest, ListenOnlyRefusesToSendAndAnErrorFrameGivesTheSixRegisters) {
  Init(0x44);
  SendFrame(9, 0x10, false, {});
  rig_.RunMicroseconds(1000);
  EXPECT_NE(rig_.usb.UsbReadRam(0x77), 9);
  Init(0x40);
  rig_.board->Can().PutErrorFrame(rig_.Now(), tamarikusb::kEccStuffInDataRx);
  rig_.RunPolling(30000, 5000);
  const auto all = Walk();
  EXPECT_EQ(Of(all, 7).size(), 1u);
  EXPECT_EQ(Of(all, 8).size(), 2u);  // each set-up marks the restart
  const auto errors = Of(all, 6);
  ASSERT_EQ(errors.size(), 1u);
  // Status, arbitration lost, error code, warning limit, receive and transmit counters.
  EXPECT_EQ(errors[0].data[2], tamarikusb::kEccStuffInDataRx);
  EXPECT_EQ(errors[0].data[3], 96);
  EXPECT_EQ(errors[0].data[4], 1);
  EXPECT_EQ(errors[0].data[5], 0);
}

}  // namespace

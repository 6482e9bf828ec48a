// The CAN controller model on its emulated bus, driven through its registers
// as a program would: reception into the FIFO, the acceptance filter,
// transmission with arbitration and acknowledge, error counting to bus-off.
#include <gtest/gtest.h>

#include <vector>

#include "CanBus.h"
#include "Sja1000.h"

using namespace tamarikusb;
using namespace tamarikusb::sja;

namespace {

TCanFrame Std(uint32_t id, std::vector<uint8_t> data = {}, bool remote = false) {
  TCanFrame f;
  f.id = id;
  f.remote = remote;
  f.dlc = static_cast<uint8_t>(data.size());
  for (size_t i = 0; i < data.size(); ++i) f.data[i] = data[i];
  return f;
}

TCanFrame Ext(uint32_t id, std::vector<uint8_t> data = {}) {
  TCanFrame f = Std(id, std::move(data));
  f.extended = true;
  return f;
}

class Sja1000Test : public ::testing::Test {
 protected:
  // 500 kbit/s at 12 MHz: prescaler 1 (2 clocks), 1 + 7 + 4 quanta = 24 clocks.
  void SetUp() override {
    Init(0x00, 0x36, 0x00, {0, 0, 0, 0}, {0xFF, 0xFF, 0xFF, 0xFF});
    Later(30);  // the bus is idle once 11 recessive bits have passed
  }

  void Init(uint8_t btr0, uint8_t btr1, uint8_t mode, std::array<uint8_t, 4> acr, std::array<uint8_t, 4> amr) {
    W(kMod, kModReset);
    W(kCdr, kCdrPeliCan);
    W(kBtr0, btr0);
    W(kBtr1, btr1);
    for (uint8_t i = 0; i < 4; ++i) {
      W(kBuffer + i, acr[i]);
      W(kBuffer + 4 + i, amr[i]);
    }
    W(kIer, 0xFF);
    W(kMod, mode);
  }
  uint8_t R(uint8_t reg) { return sja.Read(reg, now); }
  void W(uint8_t reg, uint8_t v) { sja.Write(reg, v, now); }
  // Time passes with the program polling the controller.
  void Later(double us) {
    now += static_cast<uint64_t>(us * 6);
    sja.Advance(now);
  }
  std::vector<uint8_t> Message() {
    std::vector<uint8_t> m;
    for (uint8_t i = 0; i < 13; ++i) m.push_back(R(kBuffer + i));
    return m;
  }
  void Send(const TCanFrame& f, uint8_t command = kCmdTransmit) {
    W(kBuffer, static_cast<uint8_t>((f.extended ? 0x80 : 0) | (f.remote ? 0x40 : 0) | f.dlc));
    if (f.extended) {
      const uint32_t v = f.id << 3;
      for (uint8_t i = 0; i < 4; ++i) W(kBuffer + 1 + i, static_cast<uint8_t>(v >> (24 - 8 * i)));
      for (uint8_t i = 0; i < f.dlc; ++i) W(kBuffer + 5 + i, f.data[i]);
    } else {
      W(kBuffer + 1, static_cast<uint8_t>(f.id >> 3));
      W(kBuffer + 2, static_cast<uint8_t>(f.id << 5));
      for (uint8_t i = 0; i < f.dlc; ++i) W(kBuffer + 3 + i, f.data[i]);
    }
    W(kCmr, command);
  }

  TCanBus bus;
  TSja1000 sja{bus};
  uint64_t now = 1000;
};

TEST_F(Sja1000Test, AFrameArrivesWhenItEndsWithItsIdentifierBytesInTheWindow) {
  EXPECT_NEAR(sja.BitCycles(), 12.0, 1e-9);  // 2 us
  bus.Put(now, Std(0x123, {0xAA, 0x55}));
  bus.Put(now, Ext(0x1ABCDEF5, {1}));
  bus.Put(now, Std(0x7FF, {}, true));
  Later(60 * 2);  // a standard frame with two data bytes takes 63 bits
  EXPECT_EQ(R(kSr) & kSrReceiveBuffer, 0);
  Later(10);
  ASSERT_EQ(R(kRmc), 1);
  EXPECT_TRUE(R(kIr) & kIrReceive);
  const auto m = Message();
  EXPECT_EQ(std::vector<uint8_t>(m.begin(), m.begin() + 5), std::vector<uint8_t>({0x02, 0x24, 0x60, 0xAA, 0x55}));
  W(kCmr, kCmdReleaseBuffer);
  Later(1000);
  ASSERT_EQ(R(kRmc), 2);
  auto e = Message();
  EXPECT_EQ(std::vector<uint8_t>(e.begin(), e.begin() + 6), std::vector<uint8_t>({0x81, 0xD5, 0xE6, 0xF7, 0xA8, 1}));
  W(kCmr, kCmdReleaseBuffer);
  e = Message();
  EXPECT_EQ(std::vector<uint8_t>(e.begin(), e.begin() + 3), std::vector<uint8_t>({0x40, 0xFF, 0xF0}));
  W(kCmr, kCmdReleaseBuffer);
  EXPECT_EQ(R(kSr) & kSrReceiveBuffer, 0);
  EXPECT_EQ(R(kIr) & kIrReceive, 0);
  EXPECT_EQ(bus.TakeSeen().size(), 3u);
}

TEST_F(Sja1000Test, AFullFifoLosesTheFrameAndReportsOverrunUntilCleared) {
  for (int i = 0; i < 5; ++i) bus.Put(now, Ext(static_cast<uint32_t>(i), {1, 2, 3, 4, 5, 6, 7, 8}));  // 13 bytes each
  Later(5000);
  EXPECT_EQ(R(kRmc), 4);
  EXPECT_TRUE(R(kSr) & kSrOverrun);
  EXPECT_TRUE(R(kIr) & kIrOverrun);
  W(kCmr, kCmdClearOverrun);
  EXPECT_FALSE(R(kSr) & kSrOverrun);
  for (uint32_t i = 0; i < 4; ++i) {
    EXPECT_EQ(R(kBuffer + 4) >> 3, i);
    W(kCmr, kCmdReleaseBuffer);
  }
  EXPECT_EQ(R(kRmc), 0);
}

TEST_F(Sja1000Test, TheAcceptanceFilterInSingleAndDualMode) {
  struct Case {
    uint8_t mode;
    std::array<uint8_t, 4> acr, amr;
    TCanFrame frame;
    bool accepted;
  };
  const Case cases[] = {
      // Single, standard: identifier, RTR and the first two data bytes.
      {kModSingleFilter, {0x24, 0x60, 0x11, 0x22}, {0, 0x0F, 0, 0}, Std(0x123, {0x11, 0x22}), true},
      {kModSingleFilter, {0x24, 0x60, 0x11, 0x22}, {0, 0x0F, 0, 0}, Std(0x123, {0x11, 0x23}), false},
      {kModSingleFilter, {0x24, 0x60, 0x11, 0x22}, {0, 0x0F, 0, 0}, Std(0x123, {}, true), false},
      {kModSingleFilter, {0x24, 0x60, 0x11, 0x22}, {0, 0x0F, 0, 0}, Std(0x124, {0x11, 0x22}), false},
      // Single, extended: all 29 bits and RTR; mask bits are "don't care".
      {kModSingleFilter, {0xD5, 0xE6, 0xF7, 0xA8}, {0, 0, 0, 0x03}, Ext(0x1ABCDEF5), true},
      {kModSingleFilter, {0xD5, 0xE6, 0xF7, 0xA8}, {0, 0, 0, 0x0B}, Ext(0x1ABCDEF4), true},
      {kModSingleFilter, {0xD5, 0xE6, 0xF7, 0xA8}, {0, 0, 0, 0x03}, Ext(0x1ABCDEF4), false},
      // Dual, standard: filter 1 with the first data byte, filter 2 identifier only.
      {0, {0x24, 0x6A, 0x40, 0x0B}, {0, 0, 0, 0}, Std(0x123, {0xAB}), true},
      {0, {0x24, 0x6A, 0x40, 0x0B}, {0, 0, 0, 0}, Std(0x123, {0xAC}), false},
      {0, {0x24, 0x6A, 0x40, 0x4F}, {0, 0, 0x00, 0x0F}, Std(0x202, {0xAC}), true},
      // Dual, extended: the 16 high identifier bits in either filter.
      {0, {0x11, 0x22, 0xD5, 0xE6}, {0, 0, 0, 0}, Ext(0x1ABCC000), true},
      {0, {0x11, 0x22, 0xD5, 0xE6}, {0, 0, 0, 0}, Ext(0x1ABCE000), false},
  };
  for (const Case& c : cases) {
    Init(0x00, 0x36, c.mode, c.acr, c.amr);
    EXPECT_EQ(sja.Accepts(c.frame), c.accepted) << std::hex << c.frame.id << " mode " << int(c.mode);
  }
}

TEST_F(Sja1000Test, ASentFrameGoesOnTheBusAfterLosingArbitrationToALowerIdentifier) {
  bus.Put(now, Std(0x100, {1}));
  Send(Std(0x123, {7, 8}));
  EXPECT_FALSE(R(kSr) & kSrTransmitBuffer);
  Later(2000);
  const auto seen = bus.TakeSeen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].node, 1);
  EXPECT_EQ(seen[1].node, kControllerNode);
  EXPECT_EQ(seen[1].frame, Std(0x123, {7, 8}));
  EXPECT_EQ(R(kIr) & (kIrArbitrationLost | kIrTransmit), kIrArbitrationLost | kIrTransmit);
  EXPECT_EQ(R(kAlc), 5);  // 0x100 vs 0x123: the first differing bit is ID.23
  EXPECT_EQ(R(kSr) & (kSrTransmitBuffer | kSrTransmitComplete), kSrTransmitBuffer | kSrTransmitComplete);
}

TEST_F(Sja1000Test, WithoutAcknowledgeTheTransmitterTurnsPassiveAndKeepsTrying) {
  bus.SetAcknowledge(false);
  Send(Ext(0x1234567, {1, 2, 3}));
  Later(100000);
  EXPECT_EQ(R(kTxerr), 128);
  EXPECT_FALSE((R(kSr) & kSrBusOff));
  EXPECT_EQ(R(kEcc), kEccAckSlotTx);
  EXPECT_EQ(R(kIr) & (kIrBusError | kIrErrorWarning | kIrErrorPassive),
            kIrBusError | kIrErrorWarning | kIrErrorPassive);
  EXPECT_FALSE(R(kSr) & kSrTransmitBuffer);
  W(kCmr, kCmdAbort);
  Later(1000);
  EXPECT_EQ(R(kSr) & (kSrTransmitBuffer | kSrTransmitComplete), kSrTransmitBuffer);
  EXPECT_TRUE(bus.TakeSeen().empty());
}

TEST_F(Sja1000Test, RepeatedBitErrorsLeadToBusOffAndClearingResetRecovers) {
  bus.FailTransmissions(40);
  Send(Std(0x55, {1}));
  Later(20000);
  EXPECT_TRUE((R(kSr) & kSrBusOff));
  EXPECT_TRUE(R(kMod) & kModReset);
  EXPECT_EQ(R(kSr) & (kSrBusOff | kSrError), kSrBusOff | kSrError);
  EXPECT_TRUE(R(kIr) & kIrErrorWarning);
  W(kMod, 0);
  Later(128 * 11 * 2 - 20);
  EXPECT_TRUE((R(kSr) & kSrBusOff));
  Later(40);
  EXPECT_FALSE((R(kSr) & kSrBusOff));
  EXPECT_EQ(R(kTxerr), 0);
  EXPECT_EQ(R(kSr) & (kSrBusOff | kSrError), 0);
}

TEST_F(Sja1000Test, AnErrorFrameIsCapturedOnceUntilReadAndCountsAsReceiveError) {
  bus.PutErrorFrame(now, kEccStuffInDataRx);
  bus.PutErrorFrame(now + 100, 0x40 | 0x20 | 8);
  Later(1000);
  EXPECT_EQ(R(kRxerr), 2);
  EXPECT_EQ(R(kEcc), kEccStuffInDataRx);  // the first stays until read
  EXPECT_TRUE(R(kIr) & kIrBusError);
  bus.PutErrorFrame(now, 0x40 | 0x20 | 8);
  Later(1000);
  EXPECT_EQ(R(kEcc), 0x40 | 0x20 | 8);
  bus.Put(now, Std(1));
  Later(1000);
  EXPECT_EQ(R(kRxerr), 2);  // a good frame takes one back
}

}  // namespace

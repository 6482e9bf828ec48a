#include <gtest/gtest.h>

#include <vector>

#include "SeriellData.h"
#include "serial/ReceiveDecoder.h"

namespace {

std::vector<TDecodedByte> Decode(TReceiveDecoder& d, std::vector<std::uint8_t> raw) {
  std::vector<TDecodedByte> out(raw.size() + 1);
  out.resize(d.Decode(raw.data(), raw.size(), out.data()));
  return out;
}

TLineCounters Counters(std::uint32_t parity, std::uint32_t frame, std::uint32_t overrun, std::uint32_t brk) {
  TLineCounters c;
  c.Parity = parity;
  c.Frame = frame;
  c.Overrun = overrun;
  c.Break = brk;
  return c;
}

}  // namespace

TEST(SerialReceiveDecoder, DoubledFFIsOneDataByteEvenWhenSplitAcrossReads) {
  TReceiveDecoder d;
  d.Reset(nullptr);
  auto out = Decode(d, {0x41, 0xFF});
  ASSERT_EQ(out.size(), 1u);  // the 0xFF waits for its partner
  EXPECT_EQ(out[0].Byte, 0x41);
  out = Decode(d, {0xFF, 0x00});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].Byte, 0xFF);
  EXPECT_EQ(out[0].LineFlags, 0);
  EXPECT_TRUE(out[1].IsData);
  EXPECT_EQ(out[1].Byte, 0x00);
  EXPECT_EQ(out[1].LineFlags, 0);
}

TEST(SerialReceiveDecoder, CountersTellParityFramingAndBreakApart) {
  TReceiveDecoder d;
  const TLineCounters start = Counters(5, 7, 0, 1);
  d.Reset(&start);
  // A mark split over two reads: parity fault on 'A'.
  auto out = Decode(d, {0xFF, 0x00});
  EXPECT_TRUE(out.empty());
  d.TakeCounters(Counters(6, 7, 0, 1));
  out = Decode(d, {0x41});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].Byte, 0x41);
  EXPECT_EQ(out[0].LineFlags, sePE);

  d.TakeCounters(Counters(6, 8, 0, 2));
  out = Decode(d, {0xFF, 0x00, 0x42, 0xFF, 0x00, 0x00});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].LineFlags, seFE);
  EXPECT_EQ(out[0].Byte, 0x42);
  EXPECT_FALSE(out[1].IsData);
  EXPECT_EQ(out[1].LineFlags, seBI);
}

TEST(SerialReceiveDecoder, MixedFaultsInOneStretchAreNotGuessed) {
  TReceiveDecoder d;
  const TLineCounters start{};
  d.Reset(&start);
  d.TakeCounters(Counters(1, 1, 0, 0));
  const auto out = Decode(d, {0xFF, 0x00, 0x41, 0xFF, 0x00, 0x42});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].LineFlags, sePE | seFE);
  EXPECT_EQ(out[1].LineFlags, sePE | seFE);
}

TEST(SerialReceiveDecoder, FramingFaultOnNulIsDataNotBreak) {
  TReceiveDecoder d;
  const TLineCounters start{};
  d.Reset(&start);
  d.TakeCounters(Counters(0, 1, 0, 0));
  const auto out = Decode(d, {0xFF, 0x00, 0x00});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_TRUE(out[0].IsData);
  EXPECT_EQ(out[0].LineFlags, seFE);
}

TEST(SerialReceiveDecoder, WithoutCountersMarksSayParityOrFramingAndNulMarkIsBreak) {
  TReceiveDecoder d;
  d.Reset(nullptr);
  const auto out = Decode(d, {0xFF, 0x00, 0x43, 0xFF, 0x00, 0x00});
  ASSERT_EQ(out.size(), 2u);
  EXPECT_EQ(out[0].LineFlags, sePE | seFE);
  EXPECT_EQ(out[1].LineFlags, seBI);
  EXPECT_FALSE(out[1].IsData);
}

TEST(SerialReceiveDecoder, UncheckedParityDeliversTheByteWithoutFlag) {
  TReceiveDecoder d;
  const TLineCounters start{};
  d.Reset(&start);
  d.SetCheckParity(false);
  d.TakeCounters(Counters(1, 0, 0, 0));
  const auto out = Decode(d, {0xFF, 0x00, 0x44});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].Byte, 0x44);
  EXPECT_EQ(out[0].LineFlags, 0);
}

TEST(SerialReceiveDecoder, OverrunIsReportedOnceAndResetForgetsAHalfMark) {
  TReceiveDecoder d;
  const TLineCounters start = Counters(0, 0, 3, 0);
  d.Reset(&start);
  EXPECT_EQ(d.TakeOverrun(), 0);
  d.TakeCounters(Counters(0, 0, 5, 0));
  EXPECT_EQ(d.TakeOverrun(), seOE);
  EXPECT_EQ(d.TakeOverrun(), 0);

  Decode(d, {0xFF});
  d.Reset(&start);
  const auto out = Decode(d, {0x00});
  ASSERT_EQ(out.size(), 1u);
  EXPECT_EQ(out[0].Byte, 0x00);
  EXPECT_EQ(out[0].LineFlags, 0);
}

// The coupling message: its layout and the checks on what a peer sends.
#include <gtest/gtest.h>

#include <vector>

#include "net/CouplingMessage.h"
#include "net/PacketFramer.h"
#include "net/WsaErrors.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

std::vector<TSeriellData> Records(int n) {
  std::vector<TSeriellData> records(n);
  for (int i = 0; i < n; ++i) {
    records[i].Count = 1;
    records[i].Data[0] = static_cast<std::uint8_t>('a' + i);
    records[i].Dir = i % 2 ? dirPortB : dirPortA;
    records[i].Time = 46000.5 + i / 86400.0;
    records[i].SubMs = 100 + i;
    records[i].Ready = 1;
  }
  return records;
}

std::span<const std::uint8_t> BodyOf(const Bytes& packet) { return std::span(packet).subspan(kPacketHeaderSize); }

}  // namespace

TEST(CouplingMessage, ThreeRecordsMakeTwentyPlusOneEightyBytes) {
  TCouplingWriter writer;
  Bytes packet;
  const auto records = Records(3);
  ASSERT_TRUE(writer.AppendPacket(packet, 200, records));
  ASSERT_EQ(packet.size(), kPacketHeaderSize + 20 + 180);
  EXPECT_EQ(GetU32(&packet[0]), packet.size());
  EXPECT_EQ(GetU32(&packet[4]), piMessage);
  const auto body = BodyOf(packet);
  EXPECT_EQ(GetU32(&body[0]), 80024u);
  EXPECT_EQ(GetU32(&body[4]), 0u);
  EXPECT_EQ(GetU32(&body[8]), 1u);
  EXPECT_EQ(GetU32(&body[12]), 200u);
  EXPECT_EQ(GetU32(&body[16]), 3u);

  TCouplingHeader header;
  ASSERT_EQ(ReadCouplingHeader(body, header), ccOk);
  for (int i = 0; i < 3; ++i) {
    const TSeriellData r = CouplingRecord(body, i);
    EXPECT_EQ(r.Data[0], 'a' + i);
    EXPECT_EQ(r.Dir, records[i].Dir);
    EXPECT_EQ(r.Time, records[i].Time);
    EXPECT_EQ(r.SubMs, records[i].SubMs);
  }
  Bytes next;
  writer.AppendPacket(next, 200, records);
  EXPECT_EQ(GetU32(&BodyOf(next)[8]), 2u);
}

TEST(CouplingMessage, EmptyOrOversizedBatchesAreNotSent) {
  TCouplingWriter writer;
  Bytes packet;
  EXPECT_FALSE(writer.AppendPacket(packet, 200, {}));
  const std::vector<TSeriellData> tooMany(kMaxCouplingRecords + 1);
  EXPECT_FALSE(writer.AppendPacket(packet, 200, tooMany));
  EXPECT_TRUE(packet.empty());
  EXPECT_EQ(writer.Sequence(), 0u);
}

TEST(CouplingMessage, MessagesAPeerGotWrongAreDropped) {
  TCouplingWriter writer;
  Bytes packet;
  writer.AppendPacket(packet, 200, Records(2));
  const Bytes good(BodyOf(packet).begin(), BodyOf(packet).end());
  TCouplingHeader header;

  Bytes notZero = good;
  notZero[4] = 1;
  EXPECT_EQ(ReadCouplingHeader(notZero, header), ccNotZero);
  for (std::uint32_t count : {0u, 20001u, 0x80000000u, 0xFFFFFFFFu}) {
    Bytes bad = good;
    PutU32(&bad[16], count);
    EXPECT_EQ(ReadCouplingHeader(bad, header), ccBadCount) << count;
  }
  Bytes moreThanSent = good;
  PutU32(&moreThanSent[16], 3);
  EXPECT_EQ(ReadCouplingHeader(moreThanSent, header), ccLengthDiffers);
  EXPECT_EQ(ReadCouplingHeader(std::span(good).first(19), header), ccTooShort);
  EXPECT_EQ(ReadCouplingHeader(good, header), ccOk);
}

TEST(WsaErrors, TableAndSystemNumbers) {
  EXPECT_STREQ(WsaErrorText(10061), "Connection refused");
  EXPECT_STREQ(WsaErrorText(11001), "Host not found");
  EXPECT_STREQ(WsaErrorText(10100), "Unkown error was encountered!");
  EXPECT_EQ(WsaCodeFromErrno(ECONNREFUSED), 10061);
  EXPECT_EQ(WsaCodeFromErrno(ECONNRESET), 10054);
  EXPECT_EQ(WsaCodeFromErrno(EADDRINUSE), 10048);
  EXPECT_EQ(WsaCodeFromErrno(0), 0);
}

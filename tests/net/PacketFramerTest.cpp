// The framer and the registration strings on byte fixtures.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/PacketFramer.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Packet(std::uint32_t id, std::string_view body) {
  Bytes out;
  AppendPacket(out, id, body);
  return out;
}

Bytes LengthWord(std::uint32_t length) {
  Bytes out(8, 0);
  PutU32(out.data(), length);
  PutU32(out.data() + 4, piMessage);
  return out;
}

std::string BodyText(const TPacketView& p) { return {p.Body.begin(), p.Body.end()}; }

}  // namespace

TEST(PacketFramer, LengthWordCountsTheHeader) {
  EXPECT_EQ(Packet(piPing, ""), (Bytes{8, 0, 0, 0, 9, 0, 0, 0}));
  const Bytes message = Packet(piMessage, "abc");
  EXPECT_EQ(message, (Bytes{11, 0, 0, 0, 8, 0, 0, 0, 'a', 'b', 'c'}));

  TPacketReader reader;
  reader.Feed(Packet(piPing, ""));
  TPacketView p;
  ASSERT_EQ(reader.Next(p), TPacketReader::prPacket);
  EXPECT_EQ(p.Id, piPing);
  EXPECT_TRUE(p.Body.empty());
  EXPECT_EQ(reader.Next(p), TPacketReader::prNeedMore);
}

TEST(PacketFramer, PacketSplitAtEveryOffsetComesOutWhole) {
  Bytes stream = Packet(piMessage, "hello");
  const Bytes second = Packet(piPong, "");
  stream.insert(stream.end(), second.begin(), second.end());
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    TPacketReader reader;
    std::vector<std::pair<std::uint32_t, std::string>> got;
    TPacketView p;
    for (auto part : {std::span(stream).first(cut), std::span(stream).subspan(cut)}) {
      reader.Feed(part);
      while (reader.Next(p) == TPacketReader::prPacket) got.emplace_back(p.Id, BodyText(p));
    }
    ASSERT_EQ(got.size(), 2u) << "cut at " << cut;
    EXPECT_EQ(got[0], std::make_pair(std::uint32_t{piMessage}, std::string("hello")));
    EXPECT_EQ(got[1].first, piPong);
    EXPECT_EQ(reader.Buffered(), 0u);
  }
}

TEST(PacketFramer, TwoPacketsInOneReadAndOneByteAtATime) {
  Bytes stream = Packet(piMessage, "one");
  const Bytes two = Packet(piMessage, "two");
  stream.insert(stream.end(), two.begin(), two.end());

  TPacketReader whole;
  whole.Feed(stream);
  TPacketView p;
  ASSERT_EQ(whole.Next(p), TPacketReader::prPacket);
  EXPECT_EQ(BodyText(p), "one");
  ASSERT_EQ(whole.Next(p), TPacketReader::prPacket);
  EXPECT_EQ(BodyText(p), "two");

  TPacketReader bytewise;
  std::string joined;
  for (std::uint8_t b : stream) {
    bytewise.Feed(std::span(&b, 1));
    while (bytewise.Next(p) == TPacketReader::prPacket) joined += BodyText(p);
  }
  EXPECT_EQ(joined, "onetwo");
}

TEST(PacketFramer, LengthWordsOutsideTheLegalRangePoisonTheReader) {
  for (std::uint32_t length : {0u, 7u, kMaxPacketLength + 1, 0xFFFFFFFFu}) {
    TPacketReader reader;
    // Only the length word: judged before any body is waited for.
    const Bytes header = LengthWord(length);
    reader.Feed(std::span(header).first(4));
    TPacketView p;
    EXPECT_EQ(reader.Next(p), TPacketReader::prBadLength) << length;
    EXPECT_EQ(reader.BadLength(), length);
    // Good data after a bad length word is not read on.
    reader.Feed(Packet(piPing, ""));
    EXPECT_EQ(reader.Next(p), TPacketReader::prBadLength);
  }
  TPacketReader largest;
  largest.Feed(LengthWord(kMaxPacketLength));
  TPacketView p;
  EXPECT_EQ(largest.Next(p), TPacketReader::prNeedMore);
}

TEST(StreamedString, ShortAndLongFormsRoundTrip) {
  const std::string longName(300, 'x');
  const Bytes body = RegistrationBody("Tamarik1", longName);
  ASSERT_GE(body.size(), 10u);
  EXPECT_EQ(body[0], 0x06);
  EXPECT_EQ(body[1], 8);
  EXPECT_EQ(body[10], 0x0C);
  EXPECT_EQ(GetU32(&body[11]), 300u);
  std::string user, room;
  ASSERT_TRUE(ReadRegistration(body, user, room));
  EXPECT_EQ(user, "Tamarik1");
  EXPECT_EQ(room, longName);
}

TEST(StreamedString, TruncatedOrUnknownFormsAreRefused) {
  const Bytes body = RegistrationBody("Tamarik1", "Tamarik30");
  std::string user, room;
  for (std::size_t cut = 0; cut < body.size(); ++cut)
    EXPECT_FALSE(ReadRegistration(std::span(body).first(cut), user, room)) << cut;
  Bytes unknown = body;
  unknown[0] = 0x0B;
  EXPECT_FALSE(ReadRegistration(unknown, user, room));
  // A long form announcing more than is there.
  Bytes huge{0x0C, 0xFF, 0xFF, 0xFF, 0xFF, 'a'};
  std::size_t pos = 0;
  EXPECT_FALSE(ReadStreamedString(huge, pos, user));
}

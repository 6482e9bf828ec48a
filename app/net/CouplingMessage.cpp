#include "net/CouplingMessage.h"

#include <cstring>

#include "net/PacketFramer.h"

std::size_t TCouplingWriter::PacketSize(std::size_t count) {
  return kPacketHeaderSize + kCouplingHeaderSize + count * kCouplingRecordSize;
}

bool TCouplingWriter::AppendPacket(std::vector<std::uint8_t>& out, int workMode,
                                   std::span<const TSeriellData> records) {
  if (records.empty() || records.size() > static_cast<std::size_t>(kMaxCouplingRecords)) return false;
  const std::size_t at = out.size();
  out.resize(at + PacketSize(records.size()));
  return WritePacket(&out[at], workMode, records);
}

bool TCouplingWriter::WritePacket(std::uint8_t* p, int workMode, std::span<const TSeriellData> records) {
  if (records.empty() || records.size() > static_cast<std::size_t>(kMaxCouplingRecords)) return false;
  const std::size_t body = kCouplingHeaderSize + records.size() * kCouplingRecordSize;
  PutU32(p, static_cast<std::uint32_t>(kPacketHeaderSize + body));
  PutU32(p + 4, piMessage);
  p += kPacketHeaderSize;
  PutU32(p, kCouplingMagic);
  PutU32(p + 4, 0);
  PutU32(p + 8, ++sequence_);
  PutU32(p + 12, static_cast<std::uint32_t>(workMode));
  PutU32(p + 16, static_cast<std::uint32_t>(records.size()));
  p += kCouplingHeaderSize;
  for (const TSeriellData& r : records) {
    WriteExchange(p, r);
    p += kCouplingRecordSize;
  }
  return true;
}

TCouplingCheck ReadCouplingHeader(std::span<const std::uint8_t> body, TCouplingHeader& header) {
  if (body.size() < kCouplingHeaderSize) return ccTooShort;
  header.Magic = GetU32(&body[0]);
  header.Reserved = GetU32(&body[4]);
  header.Sequence = GetU32(&body[8]);
  header.WorkMode = static_cast<std::int32_t>(GetU32(&body[12]));
  header.Count = static_cast<std::int32_t>(GetU32(&body[16]));
  if (header.Reserved != 0) return ccNotZero;
  if (header.Count < 1 || header.Count > kMaxCouplingRecords) return ccBadCount;
  // The count comes from the peer: it must match what was really sent.
  if (body.size() != kCouplingHeaderSize + static_cast<std::size_t>(header.Count) * kCouplingRecordSize)
    return ccLengthDiffers;
  return ccOk;
}

void ReadCouplingRecord(std::span<const std::uint8_t> body, int index, TSeriellData& into) {
  ReadExchange(&body[kCouplingHeaderSize + static_cast<std::size_t>(index) * kCouplingRecordSize], into);
}

TSeriellData CouplingRecord(std::span<const std::uint8_t> body, int index) {
  TSeriellData r;
  ReadCouplingRecord(body, index, r);
  return r;
}

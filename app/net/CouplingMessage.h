// The coupling message: the body of a text message (packet 8) that carries
// one batch of receive records from one instance to the other.
//   0  80024        4  0 (else the message is ignored)
//   8  sequence    12  sender's WorkMode
//  16  count 1 … 20000, then count records of 60 bytes each.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "SeriellData.h"

inline constexpr std::uint32_t kCouplingMagic = 80024;
inline constexpr std::size_t kCouplingHeaderSize = 20;
inline constexpr std::size_t kCouplingRecordSize = 60;
inline constexpr int kMaxCouplingRecords = 20000;

struct TCouplingHeader {
  std::uint32_t Magic = kCouplingMagic;
  std::uint32_t Reserved = 0;
  std::uint32_t Sequence = 0;
  std::int32_t WorkMode = 0;
  std::int32_t Count = 0;
};

// Builds the messages of one sender: the sequence counts from 1.
class TCouplingWriter {
 public:
  // Appends a whole packet 8 carrying the records to out. Nothing is
  // appended for an empty batch or one above the largest count.
  bool AppendPacket(std::vector<std::uint8_t>& out, int workMode, std::span<const TSeriellData> records);
  // The same into a buffer of PacketSize(records.size()) bytes.
  bool WritePacket(std::uint8_t* out, int workMode, std::span<const TSeriellData> records);
  static std::size_t PacketSize(std::size_t count);
  std::uint32_t Sequence() const { return sequence_; }

 private:
  std::uint32_t sequence_ = 0;
};

enum TCouplingCheck {
  ccOk,
  ccTooShort,      // less than the 20-byte header
  ccNotZero,       // the word at offset 4 is not 0
  ccBadCount,      // count outside 1 … 20000
  ccLengthDiffers  // the body does not hold exactly count records
};

TCouplingCheck ReadCouplingHeader(std::span<const std::uint8_t> body, TCouplingHeader& header);
// Record i of a message that passed ReadCouplingHeader.
TSeriellData CouplingRecord(std::span<const std::uint8_t> body, int index);
// The same straight into a record that is already there (a ring slot).
void ReadCouplingRecord(std::span<const std::uint8_t> body, int index, TSeriellData& into);

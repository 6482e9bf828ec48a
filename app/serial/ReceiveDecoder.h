// Turns what a tty delivers with error marks on into bytes with line flags.
// The kernel marks a faulty byte as 0xFF 0x00 x and doubles a data byte
// 0xFF; which fault it was (parity, framing, break) only its counters tell,
// and an overrun leaves no mark at all.
#pragma once

#include <cstddef>
#include <cstdint>

#include "serial/PortDevice.h"

struct TDecodedByte {
  std::uint8_t Byte = 0;
  std::uint16_t LineFlags = 0;
  bool IsData = true;  // false: a break, no byte
};

class TReceiveDecoder {
 public:
  // New session: forget a half-read mark and take the counters as they stand.
  void Reset(const TLineCounters* counters);
  // Counters read after the bytes they explain (the kernel counts a fault
  // before it queues its mark, so each mark read is counted by then).
  void TakeCounters(const TLineCounters& counters);
  // Whether parity faults are reported (the byte is delivered either way).
  void SetCheckParity(bool check) { checkParity_ = check; }

  // Decodes raw bytes into out (room for count + 1 entries: a 0xFF held
  // back from the last call may come out now); returns the number of
  // entries. A mark split across reads is finished next time.
  std::size_t Decode(const std::uint8_t* raw, std::size_t count, TDecodedByte* out);

  // seOE once after the overrun counter moved.
  std::uint16_t TakeOverrun();

 private:
  enum class TState { Normal, SawFF, SawFF00 };
  std::uint16_t ClassifyMark(std::uint8_t value, bool& isData);

  TState state_ = TState::Normal;
  bool haveCounters_ = false;
  bool checkParity_ = true;
  TLineCounters last_{};
  std::uint32_t pendingParity_ = 0;
  std::uint32_t pendingFrame_ = 0;
  std::uint32_t pendingBreak_ = 0;
  std::uint32_t pendingOverrun_ = 0;
};

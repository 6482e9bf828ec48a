// A 24C-family serial EEPROM on the I2C bus: one- or two-byte word
// addresses, page writes that wrap within their page, sequential reads
// that roll over the whole memory, and the self-timed write cycle after
// the stop during which the chip acknowledges nothing (so firmware polls
// for the acknowledge, as on the real part).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "I2cController.h"

namespace tamarikusb {

struct TEepromType {
  uint32_t size;          // bytes
  uint32_t pageSize;      // bytes latched per write
  int addressBytes;       // word address bytes: 1 (block bits in the device address) or 2
  uint64_t writeCycles;   // the write cycle in core cycles (6 per microsecond)
};

// 8 KB, 32-byte pages, two address bytes, 5 ms: the board's configuration EEPROM.
inline constexpr TEepromType k24C64{8192, 32, 2, 30000};
// 2 KB, 16-byte pages, one address byte with three block bits, 5 ms: the older board's.
inline constexpr TEepromType k24C16{2048, 16, 1, 30000};

class TEeprom24C : public TI2cSlave {
 public:
  // `deviceAddress`: the 7-bit address with the chip's address pins; for a
  // one-byte part larger than 256 bytes the block bits replace its low bits.
  TEeprom24C(TEepromType type, uint8_t deviceAddress);

  bool Start(uint8_t address, bool read, uint64_t cycle) override;
  bool Write(uint8_t value, uint64_t cycle) override;
  uint8_t Read(bool masterAck, uint64_t cycle) override;
  void Stop(uint64_t cycle) override;

  std::span<const uint8_t> Contents() const { return memory_; }
  // Puts bytes in from `offset` as a programmer would, outside the bus.
  void Load(uint32_t offset, std::span<const uint8_t> bytes);
  const TEepromType& Type() const { return type_; }
  // Completed page writes, and how many starts were refused while busy.
  uint64_t PageWrites() const { return pageWrites_; }
  uint64_t BusyRefusals() const { return busyRefusals_; }

 private:
  enum class TPhase { Idle, AddressHigh, AddressLow, Data, Reading };
  bool Answers(uint8_t address) const;
  uint32_t BlockBits(uint8_t address) const;

  TEepromType type_;
  uint8_t deviceAddress_;
  uint8_t blockMask_ = 0;
  std::vector<uint8_t> memory_;
  TPhase phase_ = TPhase::Idle;
  uint32_t pointer_ = 0;
  uint32_t highByte_ = 0;
  std::vector<std::pair<uint32_t, uint8_t>> latch_;
  uint64_t busyUntil_ = 0;
  uint64_t pageWrites_ = 0, busyRefusals_ = 0;
};

}  // namespace tamarikusb

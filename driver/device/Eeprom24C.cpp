#include "Eeprom24C.h"

#include <algorithm>

namespace tamarikusb {

TEeprom24C::TEeprom24C(TEepromType type, uint8_t deviceAddress)
    : type_(type), deviceAddress_(deviceAddress), memory_(type.size, 0xFF) {
  if (type_.addressBytes == 1)
    for (uint32_t blocks = type_.size / 256; blocks > 1; blocks >>= 1) blockMask_ = static_cast<uint8_t>((blockMask_ << 1) | 1);
}

bool TEeprom24C::Answers(uint8_t address) const {
  return (address & 0x7F & ~blockMask_) == (deviceAddress_ & 0x7F & ~blockMask_);
}

uint32_t TEeprom24C::BlockBits(uint8_t address) const { return static_cast<uint32_t>(address & blockMask_) << 8; }

bool TEeprom24C::Start(uint8_t address, bool read, uint64_t cycle) {
  latch_.clear();
  phase_ = TPhase::Idle;
  if (!Answers(address)) return false;
  if (cycle < busyUntil_) {
    ++busyRefusals_;
    return false;
  }
  if (read) {
    phase_ = TPhase::Reading;
  } else if (type_.addressBytes == 2) {
    phase_ = TPhase::AddressHigh;
  } else {
    highByte_ = BlockBits(address) >> 8;
    phase_ = TPhase::AddressLow;
  }
  return true;
}

bool TEeprom24C::Write(uint8_t value, uint64_t) {
  switch (phase_) {
    case TPhase::AddressHigh:
      highByte_ = value;
      phase_ = TPhase::AddressLow;
      return true;
    case TPhase::AddressLow:
      pointer_ = ((highByte_ << 8) | value) & (type_.size - 1);
      phase_ = TPhase::Data;
      return true;
    case TPhase::Data: {
      // The address counter runs within the page; more than a page of data
      // overwrites the page's first bytes.
      latch_.emplace_back(pointer_, value);
      const uint32_t page = pointer_ & ~(type_.pageSize - 1);
      pointer_ = page | ((pointer_ + 1) & (type_.pageSize - 1));
      return true;
    }
    default:
      return false;
  }
}

uint8_t TEeprom24C::Read(bool, uint64_t) {
  if (phase_ != TPhase::Reading) return 0xFF;  // not driving the bus
  const uint8_t v = memory_[pointer_];
  pointer_ = (pointer_ + 1) & (type_.size - 1);
  return v;
}

void TEeprom24C::Stop(uint64_t cycle) {
  // A write ends in its stop: a stop after the address alone only sets the
  // pointer, one after data starts the write cycle.
  if (phase_ == TPhase::Data && !latch_.empty()) {
    for (const auto& [address, value] : latch_) memory_[address] = value;
    busyUntil_ = cycle + type_.writeCycles;
    ++pageWrites_;
  }
  latch_.clear();
  phase_ = TPhase::Idle;
}

void TEeprom24C::Load(uint32_t offset, std::span<const uint8_t> bytes) {
  for (size_t i = 0; i < bytes.size() && offset + i < memory_.size(); ++i) memory_[offset + i] = bytes[i];
}

}  // namespace tamarikusb

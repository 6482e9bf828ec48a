#include "I2cController.h"

#include <algorithm>

namespace tamarikusb {

namespace {
constexpr uint64_t kByteBits = 9;  // eight data bits and the acknowledge
}

void TI2cController::Attach(TI2cSlave* slave) {
  if (slave && std::find(slaves_.begin(), slaves_.end(), slave) == slaves_.end()) slaves_.push_back(slave);
}

void TI2cController::Detach(TI2cSlave* slave) {
  std::erase(slaves_, slave);
  std::erase(selected_, slave);
}

bool TI2cController::SlavesStart(uint8_t address, bool read, uint64_t at) {
  // Every slave sees the start, so one addressed before lets go of the bus.
  selected_.clear();
  for (TI2cSlave* s : slaves_)
    if (s->Start(address, read, at)) selected_.push_back(s);
  return !selected_.empty();
}

void TI2cController::SendStop(uint64_t at) {
  for (TI2cSlave* s : slaves_) s->Stop(at);
  selected_.clear();
  reading_ = false;
  lastRead_ = false;
  stopUntil_ = at + BitCycles();
}

void TI2cController::Update(uint64_t now) {
  if (!busy_ || now < busyUntil_) return;
  busy_ = false;
  done_ = true;
  if (incomingPending_) {
    data_ = incoming_;
    incomingPending_ = false;
  }
  if (stopArmed_) {
    stopArmed_ = false;
    SendStop(busyUntil_);
  }
}

uint8_t TI2cController::ReadRegister(uint16_t address, uint64_t now) {
  Update(now);
  if (address == kI2cs) {
    uint8_t v = static_cast<uint8_t>(bootId_ << 3);
    if (startArmed_) v |= kStart;
    if (stopArmed_ || now < stopUntil_) v |= kStop;
    if (lastRead_) v |= kLastRead;
    if (busError_) v |= kBusError;
    if (ack_) v |= kAck;
    if (done_) v |= kDone;
    return v;
  }
  if (address == kI2cMode) return mode_;
  if (address != kI2dat) return 0xFF;
  const uint8_t value = data_;
  done_ = false;
  // Reading the data register clocks in the next byte, unless the last one
  // (LASTRD) was already asked for or a stop ended the read.
  if (reading_ && !busy_ && !stopArmed_ && !lastReadTaken_) {
    const uint64_t end = now + kByteBits * BitCycles();
    uint8_t in = 0xFF;
    for (TI2cSlave* s : selected_) in &= s->Read(!lastRead_, end);
    if (busFault_) busError_ = true;
    incoming_ = in;
    incomingPending_ = true;
    lastReadTaken_ = lastRead_;
    busy_ = true;
    busyUntil_ = end;
  }
  return value;
}

void TI2cController::WriteRegister(uint16_t address, uint8_t value, uint64_t now) {
  Update(now);
  if (address == kI2cMode) {
    mode_ = value & 0x03;
    return;
  }
  if (address == kI2cs) {
    if (value & kStart) {
      startArmed_ = true;
      busError_ = false;
    }
    if (value & kLastRead) lastRead_ = true;
    if (value & kStop) {
      if (busy_)
        stopArmed_ = true;
      else
        SendStop(std::max(now, stopUntil_));
    }
    return;
  }
  if (address != kI2dat) return;
  // A byte written while one is still under way follows it.
  const uint64_t begin = busy_ ? busyUntil_ : std::max(now, stopUntil_);
  uint64_t end = begin + kByteBits * BitCycles();
  done_ = false;
  if (startArmed_) {
    end += BitCycles();  // the start condition
    startArmed_ = false;
    lastRead_ = lastReadTaken_ = false;
    const bool read = value & 1;
    if (busFault_) {
      selected_.clear();
      ack_ = false;
    } else {
      ack_ = SlavesStart(static_cast<uint8_t>(value >> 1), read, end);
    }
    reading_ = ack_ && read;
    data_ = value;
  } else if (!reading_ && !busFault_) {
    bool ack = false;
    for (TI2cSlave* s : selected_) ack = s->Write(value, end) || ack;
    ack_ = ack;
  } else {
    ack_ = false;
  }
  if (busFault_) busError_ = true;
  busy_ = true;
  busyUntil_ = end;
}

bool TI2cController::BootStart(uint8_t address, bool read, uint64_t now) {
  return !busFault_ && SlavesStart(address, read, now);
}

bool TI2cController::BootWrite(uint8_t value, uint64_t now) {
  bool ack = false;
  for (TI2cSlave* s : selected_) ack = s->Write(value, now) || ack;
  return ack;
}

uint8_t TI2cController::BootRead(bool masterAck, uint64_t now) {
  uint8_t in = 0xFF;
  for (TI2cSlave* s : selected_) in &= s->Read(masterAck, now);
  return in;
}

void TI2cController::BootStop(uint64_t now) {
  for (TI2cSlave* s : slaves_) s->Stop(now);
  selected_.clear();
}

}  // namespace tamarikusb

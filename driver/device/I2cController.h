// The EZ-USB core's I2C master as firmware drives it through I2CS (0x7FA5),
// I2DAT (0x7FA6) and I2CMODE (0x7FA7), and the bus behind it with its
// slaves. Transfers take their bus time: a byte and its acknowledge are
// nine clocks (100 kHz, or 400 kHz with I2CMODE bit 0), and DONE rises only
// when they have passed on the core's cycle count.
#pragma once

#include <cstdint>
#include <vector>

namespace tamarikusb {

// A device on the I2C bus, driven at byte level. `cycle` is the core cycle
// at which the condition or byte ends on the bus.
class TI2cSlave {
 public:
  virtual ~TI2cSlave() = default;
  // A start (or repeated start) with a 7-bit address; true when this slave
  // acknowledges it and so takes part in the transfer up to the next start.
  virtual bool Start(uint8_t address, bool read, uint64_t cycle) = 0;
  // A byte from the master; true = acknowledged.
  virtual bool Write(uint8_t value, uint64_t cycle) = 0;
  // A byte to the master; `masterAck` false on the last byte of a read.
  virtual uint8_t Read(bool masterAck, uint64_t cycle) = 0;
  virtual void Stop(uint64_t cycle) = 0;
};

// The master with its slaves. Not locked: the chip calls it under its own
// lock.
class TI2cController {
 public:
  static constexpr uint16_t kI2cs = 0x7FA5, kI2dat = 0x7FA6, kI2cMode = 0x7FA7;
  // I2CS bits.
  static constexpr uint8_t kStart = 0x80, kStop = 0x40, kLastRead = 0x20, kId1 = 0x10, kId0 = 0x08,
                           kBusError = 0x04, kAck = 0x02, kDone = 0x01;

  void Attach(TI2cSlave* slave);
  void Detach(TI2cSlave* slave);
  bool HasSlaves() const { return !slaves_.empty(); }

  uint8_t ReadRegister(uint16_t address, uint64_t now);
  void WriteRegister(uint16_t address, uint8_t value, uint64_t now);

  // What the boot loader found, shown in I2CS's ID bits: 0 nothing,
  // 1 identifiers only (0xB0), 2 a loaded program (0xB2).
  void SetBootId(uint8_t id) { bootId_ = static_cast<uint8_t>(id & 3); }
  // A fault on the bus (a slave holding SDA low): every transfer started
  // while it lasts ends with BERR and no acknowledge.
  void SetBusFault(bool fault) { busFault_ = fault; }

  // Byte-level access for the boot loader, which has the bus to itself
  // before the core runs; no bus time is counted.
  bool BootStart(uint8_t address, bool read, uint64_t now);
  bool BootWrite(uint8_t value, uint64_t now);
  uint8_t BootRead(bool masterAck, uint64_t now);
  void BootStop(uint64_t now);

  // One bus clock in core cycles at the programmed speed.
  uint64_t BitCycles() const { return (mode_ & 1) ? 15 : 60; }

 private:
  void Update(uint64_t now);
  void SendStop(uint64_t at);
  bool SlavesStart(uint8_t address, bool read, uint64_t at);

  std::vector<TI2cSlave*> slaves_;
  std::vector<TI2cSlave*> selected_;
  uint8_t mode_ = 0;
  uint8_t bootId_ = 0;
  bool busFault_ = false;
  bool startArmed_ = false;  // START set: the next I2DAT write is an address
  bool stopArmed_ = false;   // STOP set while a byte is under way
  bool lastRead_ = false;
  bool reading_ = false;     // a read address was acknowledged
  bool lastReadTaken_ = false;
  bool busy_ = false;
  bool done_ = false, ack_ = false, busError_ = false;
  uint64_t busyUntil_ = 0, stopUntil_ = 0;
  bool incomingPending_ = false;
  uint8_t incoming_ = 0, data_ = 0;
};

}  // namespace tamarikusb

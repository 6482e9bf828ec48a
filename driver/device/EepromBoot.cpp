// The chip's own loader at power-up, before the core runs: it looks for an
// EEPROM on the I2C bus and, by its first byte, takes the USB identifiers
// from it (0xB0) or loads records into memory as well (0xB2). Anything else
// leaves the bare chip with the chip maker's identifiers.
#include "EzUsbDevice.h"

namespace tamarikusb {

namespace {

constexpr uint8_t kIdsOnly = 0xB0, kLoad = 0xB2;
constexpr uint32_t kMostBytes = 0x10000;  // an endless chain of records ends here

// Sequential reading from offset 0 of one EEPROM, the way the loader
// addresses it: one word-address byte at 0x50 (small parts), two at 0x51
// (larger parts with their A0 pin tied high).
class TBootReader {
 public:
  TBootReader(TI2cController& bus, uint64_t now) : bus_(bus), now_(now) {}

  bool Open(uint8_t device, int addressBytes) {
    if (!bus_.BootStart(device, false, now_)) return false;
    for (int i = 0; i < addressBytes; ++i)
      if (!bus_.BootWrite(0, now_)) {
        bus_.BootStop(now_);
        return false;
      }
    if (!bus_.BootStart(device, true, now_)) {
      bus_.BootStop(now_);
      return false;
    }
    open_ = true;
    return true;
  }
  uint8_t Next() {
    ++count_;
    return bus_.BootRead(true, now_);
  }
  uint16_t NextWordLowFirst() {
    const uint8_t lo = Next();
    return static_cast<uint16_t>(lo | (Next() << 8));
  }
  uint16_t NextWordHighFirst() {
    const uint8_t hi = Next();
    return static_cast<uint16_t>((hi << 8) | Next());
  }
  bool Exhausted() const { return count_ >= kMostBytes; }
  void Close() {
    if (!open_) return;
    bus_.BootRead(false, now_);  // the last byte, not acknowledged
    bus_.BootStop(now_);
    open_ = false;
  }

 private:
  TI2cController& bus_;
  uint64_t now_;
  uint32_t count_ = 0;
  bool open_ = false;
};

}  // namespace

void TEzUsbDevice::BootFromEeprom() {
  if (!i2c_.HasSlaves()) return;  // nothing modelled on the bus: keep the identifiers we were made with
  i2c_.SetBootId(0);
  TBootReader reader(i2c_, core_.Cycles());
  if (!reader.Open(0x50, 1) && !reader.Open(0x51, 2)) {
    SetIdentifiers(kVendorId, kUnconfiguredProductId, 0x0001);
    return;
  }
  const uint8_t kind = reader.Next();
  if (kind != kIdsOnly && kind != kLoad) {
    reader.Close();
    SetIdentifiers(kVendorId, kUnconfiguredProductId, 0x0001);
    return;
  }
  const uint16_t vendor = reader.NextWordLowFirst();
  const uint16_t product = reader.NextWordLowFirst();
  const uint16_t release = reader.NextWordLowFirst();
  SetIdentifiers(vendor, product, release);
  i2c_.SetBootId(kind == kIdsOnly ? 1 : 2);
  if (kind == kLoad) {
    // Records: length (bit 15 on the last, ten bits of count), address,
    // data. The loader writes them as the memory-load request would, so a
    // record for CPUCS releases the core.
    bool last = false;
    while (!last && !reader.Exhausted()) {
      const uint16_t length = reader.NextWordHighFirst();
      uint16_t address = reader.NextWordHighFirst();
      last = length & 0x8000;
      for (uint16_t i = 0; i < (length & 0x03FF) && !reader.Exhausted(); ++i) WriteByte(address++, reader.Next());
    }
  }
  reader.Close();
}

}  // namespace tamarikusb

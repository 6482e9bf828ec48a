// An emulated EZ-USB chip: the 8051 core with the chip's memory map, the USB
// core that serves the memory-load request 0xA0 whether the CPU runs or is
// held, the descriptors, and plugging. The core runs on a thread of its own.
#pragma once

#include <array>
#include <chrono>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "Core8051.h"
#include "Eeprom24C.h"
#include "I2cController.h"

namespace tamarikusb {

// USB identifiers: an unconfigured chip answers with the chip maker's
// default; a configured interface with ours (kept here, in one place).
constexpr uint16_t kVendorId = 0x0547;
constexpr uint16_t kUnconfiguredProductId = 0x2131;
constexpr uint16_t kTamarikProductId = 0x7A31;

constexpr uint16_t kCpucs = 0x7F92;
constexpr uint8_t kMemoryLoadRequest = 0xA0;

// Something outside the core that must see the core's time pass cycle by
// cycle (inputs whose levels change at given cycles): it runs the core up
// to `until` itself, stopping wherever it has an input to change.
class TClockedInputs {
 public:
  virtual ~TClockedInputs() = default;
  virtual void RunCore(emu8051::TCore8051& core, uint64_t until) = 0;
};

class TEzUsbDevice : private emu8051::TXdataBus {
 public:
  // `configured`: the chip reports our identifiers (as if an EEPROM that is
  // not modelled held them) instead of the unconfigured chip's. Once an I2C
  // device is attached, the boot at each replug decides instead.
  explicit TEzUsbDevice(bool configured = true);
  ~TEzUsbDevice() override;
  TEzUsbDevice(const TEzUsbDevice&) = delete;
  TEzUsbDevice& operator=(const TEzUsbDevice&) = delete;

  // Speed of the core thread: real time (the chip's 24 MHz clock, four
  // clocks per cycle) or as fast as the host allows.
  void StartCore(bool realTime = true);
  void StopCore();

  // The memory-load request as the USB core serves it: any address, reads
  // or writes, with the CPU running or held. False while unplugged.
  bool MemoryLoad(bool read, uint16_t address, uint8_t* data, uint16_t length);
  std::array<uint8_t, 18> DeviceDescriptor();
  std::vector<uint8_t> ConfigDescriptor() const;
  std::vector<uint8_t> StringDescriptor(uint8_t index) const;

  // Address and length of every memory-load write since the last call.
  std::vector<std::pair<uint16_t, uint16_t>> TakeWriteLog();

  // Bulk and interrupt endpoints 1 to 7 as the chip's USB core serves them:
  // packets of up to 64 bytes through the endpoint buffers, handed over by
  // each endpoint's busy bit. A transfer waits for the firmware to arm the
  // endpoint at most `EndpointTimeout`; an IN transfer ends with a short
  // packet or when `length` is reached. False for a stalled endpoint, an
  // unplugged chip, or a time-out before any data moved.
  bool Bulk(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred);
  void SetEndpointTimeout(std::chrono::milliseconds timeout);

  void Unplug();
  // Power comes back: the core is held and, with devices on the I2C bus,
  // the boot loader reads the EEPROM (see BootFromEeprom).
  void Replug();
  bool Plugged() const { return plugged_; }
  bool Held();
  uint64_t Instructions();
  uint32_t FrameNumber() const;

  // Devices outside the core: `external` answers the external data bus
  // between the RAM and the register block (a CAN controller, say);
  // `registers` sees every access of the 8051 to the register block
  // (ports, I2C controller) after the stored value was updated or before it
  // is returned. Both are called on the core thread under the device lock.
  void AttachPeripherals(emu8051::TXdataBus* external, emu8051::TXdataBus* registers);
  // Devices on the chip's I2C bus (an EEPROM, say); they are called under
  // the device lock. Detach before destroying one.
  void AttachI2c(TI2cSlave* slave);
  void DetachI2c(TI2cSlave* slave);
  // A stuck bus: transfers end with BERR.
  void SetI2cBusFault(bool fault);
  // An EEPROM the chip owns on its I2C bus (for emulated boxes that live
  // as long as the chip); replaces one fitted before.
  TEeprom24C& FitEeprom(TEepromType type, uint8_t deviceAddress);
  // Inputs the core thread feeds as it runs (nullptr: none).
  void AttachClockedInputs(TClockedInputs* inputs);

  // Work with the core under the device's lock (tests, peripherals).
  template <typename F>
  auto WithCore(F&& f) {
    std::lock_guard lock(mutex_);
    return f(core_);
  }

 private:
  uint8_t XRead(uint16_t address) override;
  void XWrite(uint16_t address, uint8_t value) override;
  void ReadByte(uint16_t address, uint8_t& v);
  void WriteByte(uint16_t address, uint8_t v);
  void CoreLoop(std::stop_token stop, bool realTime);
  // The chip's loader at power-up: an EEPROM whose first byte is 0xB0
  // gives the identifiers, 0xB2 also records to load, the last of which
  // releases the core. Called under the lock.
  void BootFromEeprom();
  void SetIdentifiers(uint16_t vendor, uint16_t product, uint16_t release);
  // The 8051's writes to the endpoint registers; false when `address` is
  // none of them.
  bool CpuEndpointWrite(uint16_t address, uint8_t value);
  bool CanArm() const;
  bool WaitArmed(std::unique_lock<std::mutex>& lock, uint16_t csRegister, std::chrono::steady_clock::time_point deadline);
  bool TakeInPacket(int ep, uint8_t* data, size_t room, size_t& count);
  void PutOutPacket(int ep, const uint8_t* data, size_t count);
  void EndpointInterrupt(uint16_t irqRegister, uint16_t enableRegister, int ep);

  std::mutex mutex_;
  emu8051::TCore8051 core_{emu8051::TMemoryModel::Unified};
  bool held_ = true;
  std::atomic<bool> plugged_{true};
  std::array<uint8_t, 18> deviceDescriptor_{};
  std::chrono::steady_clock::time_point created_ = std::chrono::steady_clock::now();
  std::vector<std::pair<uint16_t, uint16_t>> writeLog_;
  emu8051::TXdataBus* external_ = nullptr;
  emu8051::TXdataBus* registers_ = nullptr;
  TI2cController i2c_;
  std::unique_ptr<TEeprom24C> ownEeprom_;
  bool configuredWithoutEeprom_ = true;
  TClockedInputs* clocked_ = nullptr;
  std::jthread thread_;
  std::atomic<bool> coreRunning_{false};
  std::condition_variable_any wake_;
  std::condition_variable endpointEvent_;
  std::chrono::milliseconds endpointTimeout_{1000};
};

}  // namespace tamarikusb

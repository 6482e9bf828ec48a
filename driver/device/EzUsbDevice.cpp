#include "EzUsbDevice.h"

#include <chrono>
#include <utility>

namespace tamarikusb {

namespace {
constexpr uint64_t kCyclesPerSecond = 24'000'000 / 4;
constexpr uint64_t kSlice = 6000;  // one millisecond of the chip
constexpr auto kMostBehind = std::chrono::milliseconds(5);
// The register block: the endpoint buffers from 0x7B40 up, the control and
// status registers to 0x7FFF. It lives in the same array; only CPUCS acts.
constexpr uint16_t kRegisterBase = 0x7B40;
constexpr uint16_t kRamEnd = 0x2000;
}  // namespace

TEzUsbDevice::TEzUsbDevice(bool configured) : configuredWithoutEeprom_(configured) {
  for (int page = kRamEnd >> 8; page <= 0xFF; ++page) core_.MapXdataPage(static_cast<uint8_t>(page), this);
  SetIdentifiers(kVendorId, configured ? kTamarikProductId : kUnconfiguredProductId, 0x0001);
  core_.Xdata()[kCpucs] = 0x01;
}

void TEzUsbDevice::SetIdentifiers(uint16_t vendor, uint16_t product, uint16_t release) {
  deviceDescriptor_ = {18, 1, 0x10, 0x01, 0xFF, 0xFF, 0xFF, 64,
                       static_cast<uint8_t>(vendor), static_cast<uint8_t>(vendor >> 8),
                       static_cast<uint8_t>(product), static_cast<uint8_t>(product >> 8),
                       static_cast<uint8_t>(release), static_cast<uint8_t>(release >> 8), 1, 2, 0, 1};
}

std::array<uint8_t, 18> TEzUsbDevice::DeviceDescriptor() {
  std::lock_guard lock(mutex_);
  return deviceDescriptor_;
}

void TEzUsbDevice::AttachI2c(TI2cSlave* slave) {
  std::lock_guard lock(mutex_);
  i2c_.Attach(slave);
}

void TEzUsbDevice::DetachI2c(TI2cSlave* slave) {
  std::lock_guard lock(mutex_);
  i2c_.Detach(slave);
}

TEeprom24C& TEzUsbDevice::FitEeprom(TEepromType type, uint8_t deviceAddress) {
  std::lock_guard lock(mutex_);
  if (ownEeprom_) i2c_.Detach(ownEeprom_.get());
  ownEeprom_ = std::make_unique<TEeprom24C>(type, deviceAddress);
  i2c_.Attach(ownEeprom_.get());
  return *ownEeprom_;
}

void TEzUsbDevice::SetI2cBusFault(bool fault) {
  std::lock_guard lock(mutex_);
  i2c_.SetBusFault(fault);
}

TEzUsbDevice::~TEzUsbDevice() { StopCore(); }

std::vector<uint8_t> TEzUsbDevice::ConfigDescriptor() const {
  // One configuration, one interface: bulk endpoints 2 in and 2 out, the
  // isochronous test source on endpoint 8 in, and interrupt endpoint 1 in.
  return {9, 2, 46, 0, 1, 1, 0, 0x80, 50,
          9, 4, 0, 0, 4, 0xFF, 0xFF, 0xFF, 0,
          7, 5, 0x82, 2, 64, 0, 0,
          7, 5, 0x02, 2, 64, 0, 0,
          7, 5, 0x88, 1, 16, 0, 1,
          7, 5, 0x81, 3, 64, 0, 10};
}

std::vector<uint8_t> TEzUsbDevice::StringDescriptor(uint8_t index) const {
  if (index == 0) return {4, 3, 0x09, 0x04};
  const char* text = index == 1 ? "Tamarik" : index == 2 ? "Tamarik USB interface (emulated)" : nullptr;
  if (!text) return {};
  std::vector<uint8_t> d{0, 3};
  for (const char* p = text; *p; ++p) {
    d.push_back(static_cast<uint8_t>(*p));
    d.push_back(0);
  }
  d[0] = static_cast<uint8_t>(d.size());
  return d;
}

void TEzUsbDevice::AttachPeripherals(emu8051::TXdataBus* external, emu8051::TXdataBus* registers) {
  std::lock_guard lock(mutex_);
  external_ = external;
  registers_ = registers;
}

void TEzUsbDevice::AttachClockedInputs(TClockedInputs* inputs) {
  std::lock_guard lock(mutex_);
  clocked_ = inputs;
}

uint8_t TEzUsbDevice::XRead(uint16_t address) {
  if (address >= TI2cController::kI2cs && address <= TI2cController::kI2cMode)
    return i2c_.ReadRegister(address, core_.Cycles());
  if (address >= kRegisterBase && address < 0x8000) return registers_ ? registers_->XRead(address) : core_.Xdata()[address];
  // Without a device on the external bus nothing answers: open bus.
  return external_ ? external_->XRead(address) : 0xFF;
}

void TEzUsbDevice::XWrite(uint16_t address, uint8_t value) {
  if (address >= TI2cController::kI2cs && address <= TI2cController::kI2cMode) {
    i2c_.WriteRegister(address, value, core_.Cycles());
    return;
  }
  if (address >= kRegisterBase && address < 0x8000) {
    // The CPU cannot hold itself through CPUCS's reset bit.
    if (address == kCpucs) value = static_cast<uint8_t>((value & ~1) | (core_.Xdata()[kCpucs] & 1));
    if (!CpuEndpointWrite(address, value)) core_.Xdata()[address] = value;
    if (registers_) registers_->XWrite(address, value);
  } else if (external_) {
    external_->XWrite(address, value);
  }
}

void TEzUsbDevice::ReadByte(uint16_t address, uint8_t& v) {
  v = (address < kRamEnd || (address >= kRegisterBase && address < 0x8000)) ? core_.Xdata()[address] : 0xFF;
}

void TEzUsbDevice::WriteByte(uint16_t address, uint8_t v) {
  if (address == kCpucs) {
    const bool hold = v & 1;
    if (held_ && !hold) core_.Reset();  // released from reset: starts at 0
    held_ = hold;
    core_.Xdata()[kCpucs] = static_cast<uint8_t>((core_.Xdata()[kCpucs] & ~1) | (hold ? 1 : 0));
    wake_.notify_all();
    return;
  }
  if (address < kRamEnd || (address >= kRegisterBase && address < 0x8000)) core_.Xdata()[address] = v;
}

bool TEzUsbDevice::MemoryLoad(bool read, uint16_t address, uint8_t* data, uint16_t length) {
  if (!plugged_) return false;
  std::lock_guard lock(mutex_);
  if (!read && writeLog_.size() < 100000) writeLog_.emplace_back(address, length);
  for (uint16_t i = 0; i < length; ++i) {
    const uint16_t a = static_cast<uint16_t>(address + i);
    if (read)
      ReadByte(a, data[i]);
    else
      WriteByte(a, data[i]);
  }
  return true;
}

std::vector<std::pair<uint16_t, uint16_t>> TEzUsbDevice::TakeWriteLog() {
  std::lock_guard lock(mutex_);
  return std::exchange(writeLog_, {});
}

void TEzUsbDevice::Unplug() {
  plugged_ = false;
  std::lock_guard lock(mutex_);
  endpointEvent_.notify_all();  // transfers waiting for the firmware end now
}

void TEzUsbDevice::Replug() {
  // A replugged chip comes up as after power-on: held, memory kept random
  // on hardware; here simply as it was.
  std::lock_guard lock(mutex_);
  held_ = true;
  core_.Xdata()[kCpucs] |= 1;
  BootFromEeprom();
  plugged_ = true;
  wake_.notify_all();
}

bool TEzUsbDevice::Held() {
  std::lock_guard lock(mutex_);
  return held_;
}

uint64_t TEzUsbDevice::Instructions() {
  std::lock_guard lock(mutex_);
  return core_.Instructions();
}

uint32_t TEzUsbDevice::FrameNumber() const {
  // USB frames are one millisecond long.
  return static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now() - created_).count() & 0x7FF);
}

void TEzUsbDevice::StartCore(bool realTime) {
  StopCore();
  coreRunning_ = true;
  thread_ = std::jthread([this, realTime](std::stop_token st) { CoreLoop(st, realTime); });
}

void TEzUsbDevice::StopCore() {
  if (thread_.joinable()) {
    thread_.request_stop();
    wake_.notify_all();
    thread_.join();
  }
  coreRunning_ = false;
}

void TEzUsbDevice::CoreLoop(std::stop_token stop, bool realTime) {
  using clock = std::chrono::steady_clock;
  auto start = clock::now();
  uint64_t startCycles = 0;
  bool wasRunning = false;
  while (!stop.stop_requested()) {
    std::unique_lock lock(mutex_);
    if (held_ || !plugged_) {
      wasRunning = false;
      wake_.wait_for(lock, stop, std::chrono::milliseconds(5), [&] { return !held_ && plugged_.load(); });
      continue;
    }
    if (!wasRunning) {
      start = clock::now();
      startCycles = core_.Cycles();
      wasRunning = true;
    }
    if (clocked_)
      clocked_->RunCore(core_, core_.Cycles() + kSlice);
    else
      core_.RunUntilCycle(core_.Cycles() + kSlice);
    const uint64_t done = core_.Cycles() - startCycles;
    lock.unlock();
    if (realTime) {
      const auto due = start + std::chrono::microseconds(done * 1'000'000 / kCyclesPerSecond);
      const auto now = clock::now();
      if (due > now) {
        std::this_thread::sleep_until(due);
      } else if (now - due > kMostBehind) {
        // A chip never runs ahead of its clock to make up for lost time:
        // catching up in a burst would deliver a burst of bytes the host
        // never sees from a real box.
        start = now;
        startCycles = core_.Cycles();
      }
    } else {
      std::this_thread::yield();  // lets requests take the lock between slices
    }
  }
}

}  // namespace tamarikusb

// Endpoints 1 to 7 of the chip's USB core. Register layout of the chip:
// INnBUF at 0x7F00 - n * 0x80, OUTnBUF at 0x7EC0 - n * 0x80 (64 bytes
// each); INnCS/INnBC at 0x7FB4 + 2n, OUTnCS/OUTnBC at 0x7FC4 + 2n; bit 1
// of a CS register is the busy bit, bit 0 the stall bit. The firmware arms
// an IN endpoint by writing its byte count, an OUT endpoint by writing any
// value to its byte count; the USB core clears busy when the packet has
// moved and sets the endpoint's bit in IN07IRQ/OUT07IRQ (write 1 to clear).
#include <algorithm>
#include <cstring>

#include "EzUsbDevice.h"

namespace tamarikusb {

namespace {
constexpr uint16_t kInIrq = 0x7FA9, kOutIrq = 0x7FAA, kInIen = 0x7FAC, kOutIen = 0x7FAD;
constexpr uint16_t kInCs0 = 0x7FB4, kOutCs0 = 0x7FC4;
constexpr uint8_t kBusy = 0x02, kStall = 0x01;
constexpr size_t kPacket = 64;

uint16_t InBuffer(int ep) { return static_cast<uint16_t>(0x7F00 - ep * 0x80); }
uint16_t OutBuffer(int ep) { return static_cast<uint16_t>(0x7EC0 - ep * 0x80); }
uint16_t InCs(int ep) { return static_cast<uint16_t>(kInCs0 + 2 * ep); }
uint16_t OutCs(int ep) { return static_cast<uint16_t>(kOutCs0 + 2 * ep); }
}  // namespace

void TEzUsbDevice::SetEndpointTimeout(std::chrono::milliseconds timeout) {
  std::lock_guard lock(mutex_);
  endpointTimeout_ = timeout;
}

bool TEzUsbDevice::CpuEndpointWrite(uint16_t address, uint8_t value) {
  uint8_t* x = core_.Xdata();
  if (address == kInIrq || address == kOutIrq) {
    x[address] = static_cast<uint8_t>(x[address] & ~value);
    return true;
  }
  for (int ep = 1; ep <= 7; ++ep) {
    for (const uint16_t cs : {InCs(ep), OutCs(ep)}) {
      if (address == cs) {  // the busy bit belongs to the USB core
        x[cs] = static_cast<uint8_t>((value & ~kBusy) | (x[cs] & kBusy));
        endpointEvent_.notify_all();  // a stall ends a waiting transfer
        return true;
      }
      if (address == cs + 1) {
        x[address] = value;
        x[cs] |= kBusy;
        endpointEvent_.notify_all();
        return true;
      }
    }
  }
  return false;
}

bool TEzUsbDevice::CanArm() const { return coreRunning_ && !held_; }

// Waits until the endpoint is armed or stalled. False on a stall, an
// unplugged chip, a core that cannot arm it, or the deadline.
bool TEzUsbDevice::WaitArmed(std::unique_lock<std::mutex>& lock, uint16_t csRegister,
                             std::chrono::steady_clock::time_point deadline) {
  const uint8_t* x = core_.Xdata();
  const auto ready = [&] { return !plugged_ || (x[csRegister] & (kBusy | kStall)) || !CanArm(); };
  // A held or stopped core never arms an endpoint: answer at once.
  if (!ready()) endpointEvent_.wait_until(lock, deadline, ready);
  return plugged_ && !(x[csRegister] & kStall) && (x[csRegister] & kBusy);
}

void TEzUsbDevice::EndpointInterrupt(uint16_t irqRegister, uint16_t enableRegister, int ep) {
  uint8_t* x = core_.Xdata();
  x[irqRegister] |= static_cast<uint8_t>(1 << ep);
  if (x[enableRegister] & (1 << ep)) core_.RaiseUsbInterrupt();
}

bool TEzUsbDevice::TakeInPacket(int ep, uint8_t* data, size_t room, size_t& count) {
  uint8_t* x = core_.Xdata();
  count = std::min<size_t>(x[InCs(ep) + 1], kPacket);
  if (count > room) return false;  // the host's buffer overflows: the packet stays
  std::memcpy(data, x + InBuffer(ep), count);
  x[InCs(ep)] &= static_cast<uint8_t>(~kBusy);
  EndpointInterrupt(kInIrq, kInIen, ep);
  return true;
}

void TEzUsbDevice::PutOutPacket(int ep, const uint8_t* data, size_t count) {
  uint8_t* x = core_.Xdata();
  if (count) std::memcpy(x + OutBuffer(ep), data, count);
  x[OutCs(ep) + 1] = static_cast<uint8_t>(count);
  x[OutCs(ep)] &= static_cast<uint8_t>(~kBusy);
  EndpointInterrupt(kOutIrq, kOutIen, ep);
}

bool TEzUsbDevice::Bulk(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) {
  transferred = 0;
  const int ep = endpoint & 0x0F;
  if (ep < 1 || ep > 7 || !plugged_) return false;
  std::unique_lock lock(mutex_);
  const auto deadline = std::chrono::steady_clock::now() + endpointTimeout_;
  if (endpoint & 0x80) {
    while (transferred < length) {
      if (!WaitArmed(lock, InCs(ep), deadline)) return transferred > 0 && plugged_;
      size_t count = 0;
      if (!TakeInPacket(ep, data + transferred, length - transferred, count)) return false;
      transferred += count;
      if (count < kPacket) break;  // a short packet ends the transfer
    }
    return true;
  }
  // OUT: whole packets of 64 bytes, a zero-length one for an empty write.
  do {
    if (!WaitArmed(lock, OutCs(ep), deadline)) return false;
    const size_t count = std::min(kPacket, length - transferred);
    PutOutPacket(ep, data + transferred, count);
    transferred += count;
  } while (transferred < length);
  return true;
}

}  // namespace tamarikusb

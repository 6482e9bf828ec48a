#include "CanDemo.h"

#include <chrono>

#include "BootNodeOnBus.h"
#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "InterfaceBoard.h"
#include "USB.h"

using TBusFrame = tamarikusb::TCanFrame;

namespace {

TBusFrame Frame(std::uint32_t id, bool extended, std::initializer_list<std::uint8_t> data) {
  TBusFrame f;
  f.id = id;
  f.extended = extended;
  f.dlc = static_cast<std::uint8_t>(data.size());
  std::copy(data.begin(), data.end(), f.data.begin());
  return f;
}

constexpr std::uint64_t Ms(std::uint64_t ms) { return ms * TCanDemo::kCyclesPerMs; }

}  // namespace

TCanDemo::TCanDemo() { onBus_ = std::make_unique<tamarikusb::TBootNodeOnBus>(Board().Can(), bootNode_); }

TCanDemo::~TCanDemo() {
  Stop();
  // The bus calls its observers under the chip's lock: none runs while
  // the node is taken off.
  box_.Chip().WithCore([&](auto&) { onBus_.reset(); });
}

TCanRegisters TCanDemo::Registers() {
  TCanRegisters r;
  r.edCANBTR0 = "00";
  r.edCANBTR1 = "27";  // 1 + 8 + 3 time quanta of 1/6 µs: 2 µs a bit
  r.rgrpCANQuarz = 1;
  return r;
}

bool TCanDemo::SetUpController(TEzUsb& usb) {
  InitCanController(Registers(), kWorkMode,
                    [&usb](uint16_t address, uint8_t value) { return usb.UsbWriteRam(address, value); });
  return !usb.UsbError.load();
}

void TCanDemo::Start(TUSBTamarik& monitor) {
  Stop();
  thread_ = std::jthread([this, &monitor](std::stop_token stop) { Run(stop, monitor); });
}

void TCanDemo::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  thread_.join();
}

bool TCanDemo::Sleep(std::stop_token& stop, int ms) {
  std::unique_lock lock(sleepLock_);
  sleep_.wait_for(lock, stop, std::chrono::milliseconds(ms), [] { return false; });
  return !stop.stop_requested();
}

void TCanDemo::Run(std::stop_token stop, TUSBTamarik& monitor) {
  const std::uint64_t start = Board().Now();
  // An engine controller, a dashboard on extended identifiers, a door module.
  periodic_ = {
      {Frame(0x100, false, {0, 0x0B, 0xB8, 0x5A, 0, 0, 0, 0x01}), 1, Ms(100), start + Ms(50)},
      {Frame(0x18FEF100, true, {0, 0xFF, 0x10, 0x27, 0xFF, 0xFF, 0xFF, 0xFF}), 2, Ms(500), start + Ms(120)},
      {Frame(0x321, false, {0, 0x03}), 3, Ms(250), start + Ms(200)},
  };
  remoteAt_ = start + Ms(800);
  errorAt_ = start + Ms(1200);
  burstAt_ = start + Ms(1800);
  while (!stop.stop_requested()) {
    const std::uint64_t now = Board().Now();
    Schedule(now + Ms(200));
    if (!burstDone_ && now >= burstAt_) Burst(stop, monitor);
    if (!Sleep(stop, 50)) break;
  }
}

// Puts everything due before `horizon` on the bus, at its own cycle.
void TCanDemo::Schedule(std::uint64_t horizon) {
  auto& bus = Board().Can();
  for (TPeriodic& p : periodic_) {
    for (; p.Next <= horizon; p.Next += p.Period) {
      ++p.Frame.data[0];  // a message counter, as most nodes send one
      bus.Put(p.Next, p.Frame, p.Node);
    }
  }
  if (!remoteDone_ && remoteAt_ <= horizon) {
    // The dashboard asks the door module, which answers at once.
    TBusFrame ask = Frame(0x321, false, {});
    ask.remote = true;
    ask.dlc = 2;
    bus.Put(remoteAt_, ask, 2);
    bus.Put(remoteAt_ + Ms(1), Frame(0x321, false, {0x80, 0x01}), 3);
    remoteDone_ = true;
  }
  for (; errorAt_ <= horizon; errorAt_ += Ms(4000)) bus.PutErrorFrame(errorAt_, tamarikusb::kEccStuffInDataRx);
}

// The PC stops reading for as long as a node dumps more frames than the
// box's four buffers hold: the box counts those it could not keep.
void TCanDemo::Burst(std::stop_token stop, TUSBTamarik& monitor) {
  burstDone_ = true;
  monitor.StepAllowed = false;
  monitor.StepMode = true;
  auto& bus = Board().Can();
  const std::uint64_t from = Board().Now() + Ms(5);
  for (int i = 0; i < kBurstFrames; ++i)
    bus.Put(from, Frame(kBurstIdent, false, {static_cast<std::uint8_t>(i), 1, 2, 3, 4, 5, 6, 7}), 4);
  // 111 bits of 2 µs each, and room for the periodic frames in between.
  const std::uint64_t until = from + static_cast<std::uint64_t>(kBurstFrames) * 111 * 12 + Ms(20);
  // Bounded, should the core stand still.
  for (int i = 0; i < 500 && Board().Now() < until; ++i)
    if (!Sleep(stop, 10)) break;
  monitor.StepMode = false;
  monitor.StepAllowed = true;
}

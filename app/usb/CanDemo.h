// The CAN demo without a window: an emulated box for our CAN image, on a
// bus where a few nodes send their periodic frames, one asks for another's
// data with a remote frame, a disturbed node now and then signals an error
// frame, and one node dumps a burst while the PC is held up for a moment,
// so the box loses frames. The boot-loader node sits on the bus too and
// answers the programmer or typed telegrams. Both front ends open Name()
// with their monitor, run the USB start in kWorkMode with Registers(), and
// then Start the traffic.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "AvrBootNode.h"
#include "CanBus.h"
#include "EmulatedBox.h"
#include "core/CanTiming.h"

class TEzUsb;
class TUSBTamarik;
namespace tamarikusb {
class TBootNodeOnBus;
}

class TCanDemo {
 public:
  static constexpr int kWorkMode = 440;
  static constexpr std::uint32_t kBitRate = 500000;
  static constexpr std::uint64_t kCyclesPerMs = 6000;  // the box's core clock
  // Identifier of the burst's frames; the last of them comes after the gap.
  static constexpr std::uint32_t kBurstIdent = 0x7E0;
  static constexpr int kBurstFrames = 100;

  TCanDemo();
  ~TCanDemo();
  TCanDemo(const TCanDemo&) = delete;
  TCanDemo& operator=(const TCanDemo&) = delete;

  const std::string& Name() const { return box_.Name(); }
  // 500 kbit/s at 12 MHz, every frame accepted.
  static TCanRegisters Registers();
  // The USB start's CAN step: Registers() into the image's controller.
  static bool SetUpController(TEzUsb& usb);
  // The nodes start; `monitor` reads the box and is held back once for
  // the burst (single-buffer mode without a step).
  void Start(TUSBTamarik& monitor);
  void Stop();

  tamarikusb::TInterfaceBoard& Board() { return box_.Board(); }
  TAvrBootNode& BootNode() { return bootNode_; }

 private:
  struct TPeriodic {
    tamarikusb::TCanFrame Frame;
    int Node;
    std::uint64_t Period, Next;
  };
  void Run(std::stop_token stop, TUSBTamarik& monitor);
  void Schedule(std::uint64_t horizon);
  void Burst(std::stop_token stop, TUSBTamarik& monitor);
  bool Sleep(std::stop_token& stop, int ms);

  TEmulatedBox box_;
  TAvrBootNode bootNode_;
  std::unique_ptr<tamarikusb::TBootNodeOnBus> onBus_;
  std::vector<TPeriodic> periodic_;
  std::uint64_t remoteAt_ = 0, errorAt_ = 0, burstAt_ = 0;
  bool remoteDone_ = false, burstDone_ = false;
  std::mutex sleepLock_;
  std::condition_variable_any sleep_;
  std::jthread thread_;
};

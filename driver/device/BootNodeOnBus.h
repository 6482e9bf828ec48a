// The boot-loader node hung on the emulated bus: every frame another node
// completes there becomes the node's input, and each answer the node gives
// is queued on the bus right where that frame ended, so the board's
// controller receives it as the next frame (or after those already due).
//
// Runs on the emulator's core thread (the bus calls its observers there);
// whoever looks at the node's flash while the core runs holds the chip's lock.
#pragma once

#include <vector>

#include "AvrBootNode.h"
#include "CanBus.h"

namespace tamarikusb {

class TBootNodeOnBus final : public TCanFrameObserver {
 public:
  // The node's number on the bus: it hears nothing it sent itself.
  static constexpr int kBusNode = 7;

  TBootNodeOnBus(TCanBus& bus, TAvrBootNode& node, int busNode = kBusNode);
  ~TBootNodeOnBus() override;
  TBootNodeOnBus(const TBootNodeOnBus&) = delete;
  TBootNodeOnBus& operator=(const TBootNodeOnBus&) = delete;

  void FrameOnBus(const TCanFrame& frame, int node, uint64_t end) override;

 private:
  TCanBus& bus_;
  TAvrBootNode& node_;
  int busNode_;
  std::vector<::TCanFrame> answers_;
};

// The same frame in the bus's and the host's shape; a length code above 8
// carries 8 bytes.
::TCanFrame HostFrameOf(const TCanFrame& frame);
TCanFrame BusFrameOf(const ::TCanFrame& frame);

}  // namespace tamarikusb

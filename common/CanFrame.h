// One CAN frame as it travels between the host's send and receive paths and
// the emulated nodes on the bus: no controller registers, no time stamp.
#pragma once

#include <array>
#include <cstdint>

struct TCanFrame {
  std::uint32_t Ident = 0;  // 11 bits, or 29 with Extended
  bool Extended = false;
  bool Remote = false;
  std::uint8_t Length = 0;  // data length code, 0 … 8
  std::array<std::uint8_t, 8> Data{};

  bool operator==(const TCanFrame&) const = default;
};

// Where frames of the bus go: a node's input, or the host's receive side.
class TCanFrameSink {
 public:
  virtual ~TCanFrameSink() = default;
  virtual void FrameIn(const TCanFrame& frame) = 0;
};

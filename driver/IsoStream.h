// The streaming isochronous read: a thread takes one packet per USB frame
// from the pipe and files its data and its 12-byte descriptor (offset in
// the stream, length, status; little-endian words) into two rings.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

#include "RingBuffer.h"
#include "UsbTarget.h"

namespace tamarikusb {

// The start request, 20 bytes: pipe, packet size, ring size in packets,
// packets per transfer, transfers in flight (32-bit words).
struct TIsoStreamRequest {
  uint32_t pipe, packetSize, ringPackets, packetsPerTransfer, transfersInFlight;
};
static_assert(sizeof(TIsoStreamRequest) == 20);

class TIsoStream {
 public:
  TIsoStream(TUsbTarget& target, uint8_t endpoint, const TIsoStreamRequest& r);
  ~TIsoStream();
  void RequestStop() { stop_ = true; }
  // Copies `count` packets' data, then their descriptors; returns the bytes copied.
  size_t Read(uint32_t packetSize, uint32_t count, uint8_t* out);
  uint32_t PacketSize() const { return packetSize_; }

 private:
  void Loop();
  TUsbTarget& target_;
  uint8_t endpoint_;
  uint32_t packetSize_;
  TRingBuffer data_, desc_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace tamarikusb

#include "IsoStream.h"

#include <chrono>
#include <vector>

namespace tamarikusb {

TIsoStream::TIsoStream(TUsbTarget& target, uint8_t endpoint, const TIsoStreamRequest& r)
    : target_(target),
      endpoint_(endpoint),
      packetSize_(r.packetSize),
      data_(size_t(r.ringPackets) * r.packetSize),
      desc_(size_t(r.ringPackets) * 12) {
  thread_ = std::thread([this] { Loop(); });
}

TIsoStream::~TIsoStream() {
  stop_ = true;
  thread_.join();
}

void TIsoStream::Loop() {
  std::vector<uint8_t> packet(packetSize_);
  uint32_t offset = 0;
  auto next = std::chrono::steady_clock::now();
  while (!stop_) {
    size_t got = 0;
    const bool ok = target_.IsoIn(endpoint_, packet.data(), packet.size(), got);
    uint8_t d[12];
    const uint32_t words[3] = {offset, static_cast<uint32_t>(got), ok ? 0u : 0xC0000004u};
    for (int w = 0; w < 3; ++w)
      for (int b = 0; b < 4; ++b) d[4 * w + b] = static_cast<uint8_t>(words[w] >> (8 * b));
    // A full ring drops the packet (data and descriptor together).
    if (data_.Write(packet.data(), packetSize_) == packetSize_) {
      desc_.Write(d, sizeof d);
      offset += packetSize_;
    }
    next += std::chrono::milliseconds(1);  // one packet per USB frame
    std::this_thread::sleep_until(next);
  }
}

size_t TIsoStream::Read(uint32_t packetSize, uint32_t count, uint8_t* out) {
  if (packetSize != packetSize_) return 0;
  const size_t n = data_.Read(out, size_t(count) * packetSize);
  const size_t packets = n / packetSize;
  return n + desc_.Read(out + size_t(count) * packetSize, packets * 12);
}

}  // namespace tamarikusb

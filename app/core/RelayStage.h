// The monitor in the line: every byte one port receives leaves on the other.
// A stage of its own that each batch passes before it is rendered. It hands
// a batch's bytes over once per port and never waits for a port, so a port
// that stops taking data holds neither the trace nor the closing; what such
// a port cannot take is dropped, counted and reported.
#pragma once

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "core/TraceSink.h"

class ReceiveRing;

class TRelayStage {
 public:
  // Bytes a port may have waiting to be written before the relay drops.
  static constexpr std::size_t kPendingLimit = 64u << 10;

  TRelayStage() = default;
  ~TRelayStage();
  TRelayStage(const TRelayStage&) = delete;
  TRelayStage& operator=(const TRelayStage&) = delete;

  // Any thread. Returns once no hand-over uses the old ports; a hand-over
  // never waits for a device, so this never does either.
  void SetPorts(TTxPort* portA, TTxPort* portB);

  // Consumer thread: the batch's bytes from port B go to port A, all other
  // bytes to port B.
  void Feed(const ReceiveRing& ring, int batchStart, int batchCount);

  std::uint64_t DroppedTotal() const;

 private:
  struct TTarget {
    TTxPort* Port = nullptr;
    std::string Pending;
    std::uint64_t Unreported = 0;
    std::uint64_t Total = 0;
    const char* Name = "";
  };
  void Collect(const ReceiveRing& ring, int batchStart, int batchCount);
  void HandOver(TTarget& target);
  std::vector<std::string> TakeDropped(bool now);

  mutable std::mutex lock_;  // guards the ports and the counts; held only while handing over
  TTarget toA_{nullptr, {}, 0, 0, "A"};
  TTarget toB_{nullptr, {}, 0, 0, "B"};
  std::chrono::steady_clock::time_point lastReport_{};
};

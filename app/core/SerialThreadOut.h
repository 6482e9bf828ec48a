// The ring's one consumer: hands committed records to the receive handler in
// batches that never cross the end of the ring.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "core/ReceiveRing.h"

class TSerialThreadOut {
 public:
  using TDataHandler = std::function<void(TSerialThreadOut& sender)>;
  using TLostHandler = std::function<void(std::uint64_t lost)>;

  // Created suspended; Resume starts the loop.
  explicit TSerialThreadOut(TDataHandler onData);
  ~TSerialThreadOut();
  TSerialThreadOut(const TSerialThreadOut&) = delete;
  TSerialThreadOut& operator=(const TSerialThreadOut&) = delete;

  void Resume();
  // Asks the loop to end and waits for it.
  void Terminate();
  bool Running() const { return thread_.joinable(); }

  ReceiveRing& Ring() { return ring_; }
  const ReceiveRing& Ring() const { return ring_; }

  // Told about records the ring had to drop, at most once a second.
  void SetLostHandler(TLostHandler handler) { onLost_ = std::move(handler); }

  // One pass of the loop: hands out one batch if one is ready. True when a
  // batch was handed out (tests drive the consumer with this).
  bool DeliverOnce();

  int BatchStart = 0;
  int BatchCount = 0;

 private:
  void Loop(std::stop_token stop);
  void ReportLost();

  ReceiveRing ring_;
  TDataHandler onData_;
  TLostHandler onLost_;
  std::chrono::steady_clock::time_point lastLostCheck_{};
  std::jthread thread_;
  std::stop_token stop_;
};

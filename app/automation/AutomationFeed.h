// Received data for the automation objects: every batch is copied into a
// bounded queue per live object on the consumer thread, and the front end's
// thread is woken to raise the events. A client that never reads only
// loses its own oldest-not-taken data, counted; the receive path never waits
// for it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "core/ReceivePipeline.h"

struct TAutomationEvent {
  enum TKind : std::uint8_t { evByteA, evByteB, evCan };
  TKind Kind = evByteA;
  std::uint8_t Byte = 0;
  // OnRxDataCAN's arguments.
  std::int32_t CanTyp = 0;
  std::int32_t Ident = 0;
  bool Rtr = false;
  std::int32_t Dlc = 0;
  std::array<std::uint8_t, 8> Data{};
};

// One live object's share of the received data.
class TAutomationQueue {
 public:
  static constexpr std::size_t kBufferLimit = 64u << 10;  // GetNextChar's buffer
  static constexpr std::size_t kEventLimit = 16u << 10;   // events not raised yet

  // -1 when empty.
  int NextChar();
  void ResetBuffer();
  std::size_t Buffered() const;
  // At most max events, oldest first.
  std::vector<TAutomationEvent> TakeEvents(std::size_t max);
  std::uint64_t BufferDropped() const { return bufferDropped_.load(); }
  std::uint64_t EventsDropped() const { return eventsDropped_.load(); }

 private:
  friend class TAutomationFeed;
  void PushByte(std::uint8_t byte, bool portB);
  void PushCan(const TAutomationEvent& e);

  mutable std::mutex lock_;
  std::deque<std::uint8_t> buffer_;
  std::deque<TAutomationEvent> events_;
  std::atomic<std::uint64_t> bufferDropped_{0};
  std::atomic<std::uint64_t> eventsDropped_{0};
};

// A CAN record as OnRxDataCAN reports it.
TAutomationEvent CanEventOf(const TSeriellData& r);

class TAutomationFeed final : public TBatchTap {
 public:
  // wake: called from the consumer thread when events wait; it must only
  // post, never wait. Not called again until Woken().
  explicit TAutomationFeed(std::function<void()> wake);

  std::shared_ptr<TAutomationQueue> Attach();
  void Detach(const std::shared_ptr<TAutomationQueue>& queue);
  // The front end took the wake-up; the next batch wakes it again.
  void Woken() { wakePending_.store(false); }
  // No wake-up after this returns (the front end goes away; a batch under
  // way may still hold the feed).
  void Disconnect();

  void TapBatch(const ReceiveRing& ring, int batchStart, int batchCount) override;

 private:
  std::function<void()> wake_;
  std::mutex lock_;  // guards queues_; the consumer holds it for one batch
  std::vector<std::shared_ptr<TAutomationQueue>> queues_;
  std::atomic<bool> wakePending_{false};
};

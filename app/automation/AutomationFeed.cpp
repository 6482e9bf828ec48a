#include "automation/AutomationFeed.h"

#include <algorithm>

#include "automation/AutomationTypes.h"
#include "core/ReceiveRing.h"

int TAutomationQueue::NextChar() {
  std::lock_guard lock(lock_);
  if (buffer_.empty()) return -1;
  const int c = buffer_.front();
  buffer_.pop_front();
  return c;
}

void TAutomationQueue::ResetBuffer() {
  std::lock_guard lock(lock_);
  buffer_.clear();
}

std::size_t TAutomationQueue::Buffered() const {
  std::lock_guard lock(lock_);
  return buffer_.size();
}

std::vector<TAutomationEvent> TAutomationQueue::TakeEvents(std::size_t max) {
  std::lock_guard lock(lock_);
  const std::size_t n = std::min(max, events_.size());
  std::vector<TAutomationEvent> taken(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(n));
  events_.erase(events_.begin(), events_.begin() + static_cast<std::ptrdiff_t>(n));
  return taken;
}

// New data is dropped, not old: what a client has not read yet stays in the
// order it came, and the gap is counted.
void TAutomationQueue::PushByte(std::uint8_t byte, bool portB) {
  if (buffer_.size() < kBufferLimit)
    buffer_.push_back(byte);
  else
    bufferDropped_.fetch_add(1, std::memory_order_relaxed);
  if (events_.size() < kEventLimit) {
    TAutomationEvent e;
    e.Kind = portB ? TAutomationEvent::evByteB : TAutomationEvent::evByteA;
    e.Byte = byte;
    events_.push_back(e);
  } else {
    eventsDropped_.fetch_add(1, std::memory_order_relaxed);
  }
}

void TAutomationQueue::PushCan(const TAutomationEvent& e) {
  if (events_.size() < kEventLimit)
    events_.push_back(e);
  else
    eventsDropped_.fetch_add(1, std::memory_order_relaxed);
}

TAutomationEvent CanEventOf(const TSeriellData& r) {
  TAutomationEvent e;
  e.Kind = TAutomationEvent::evCan;
  const std::uint16_t ev = r.LineFlags;
  if (ev == 0)
    e.CanTyp = (r.Signals & 0x100) ? ctID29 : ctID11;
  else if (ev & 0x20)
    e.CanTyp = ctBusErr;
  else if (ev & 0x40)
    e.CanTyp = ctBusErrOverflow;
  else if (ev & 0x80)
    e.CanTyp = ctBusErrDetail;
  else if (ev & 0x100)
    e.CanTyp = ctBusErrNotSend;
  else
    e.CanTyp = ctBusErrOther;
  e.Ident = r.Ident;
  e.Rtr = (r.Signals & 0x40) != 0;
  e.Dlc = std::clamp(r.Count, 0, 8);
  e.Data = r.Data;
  return e;
}

TAutomationFeed::TAutomationFeed(std::function<void()> wake) : wake_(std::move(wake)) {}

std::shared_ptr<TAutomationQueue> TAutomationFeed::Attach() {
  auto queue = std::make_shared<TAutomationQueue>();
  std::lock_guard lock(lock_);
  queues_.push_back(queue);
  return queue;
}

void TAutomationFeed::Detach(const std::shared_ptr<TAutomationQueue>& queue) {
  std::lock_guard lock(lock_);
  std::erase(queues_, queue);
}

void TAutomationFeed::Disconnect() {
  std::lock_guard lock(lock_);
  wake_ = nullptr;
  queues_.clear();
}

void TAutomationFeed::TapBatch(const ReceiveRing& ring, int batchStart, int batchCount) {
  bool any = false;
  std::lock_guard lock(lock_);
  if (queues_.empty()) return;
  {
    for (const auto& queue : queues_) {
      std::lock_guard qlock(queue->lock_);
      for (int i = batchStart; i < batchStart + batchCount; ++i) {
        const TSeriellData& r = ring.Slot(i);
        if (r.RecType == rtSeriell) {
          const int n = std::clamp(r.Count, 0, 8);
          for (int k = 0; k < n; ++k) queue->PushByte(r.Data[k], IsSpsSide(r.Dir));
          any = any || n > 0;
        } else if (r.RecType == rtCAN) {
          queue->PushCan(CanEventOf(r));
          any = true;
        }
      }
    }
  }
  if (any && !wakePending_.exchange(true) && wake_) wake_();
}

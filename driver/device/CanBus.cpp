#include "CanBus.h"

#include <algorithm>
#include <utility>

namespace tamarikusb {

void TCanBus::Put(uint64_t at, const TCanFrame& frame, int node) {
  std::lock_guard lock(mutex_);
  TQueued q{at, frame, node, false, 0, nextSerial_++};
  q.frame.dlc = std::min<uint8_t>(q.frame.dlc, 15);
  q.frame.id &= frame.extended ? 0x1FFFFFFFu : 0x7FFu;
  queue_.insert(std::upper_bound(queue_.begin(), queue_.end(), at, [](uint64_t t, const TQueued& e) { return t < e.at; }), q);
}

void TCanBus::PutErrorFrame(uint64_t at, uint8_t ecc) {
  std::lock_guard lock(mutex_);
  queue_.insert(std::upper_bound(queue_.begin(), queue_.end(), at, [](uint64_t t, const TQueued& e) { return t < e.at; }),
                TQueued{at, {}, 1, true, ecc, nextSerial_++});
}

void TCanBus::SetAcknowledge(bool ack) {
  std::lock_guard lock(mutex_);
  ack_ = ack;
}

bool TCanBus::Acknowledge() {
  std::lock_guard lock(mutex_);
  return ack_;
}

void TCanBus::FailTransmissions(int count, uint8_t ecc) {
  std::lock_guard lock(mutex_);
  failures_ = count;
  failureEcc_ = ecc;
}

bool TCanBus::TakeTransmitFailure(uint8_t& ecc) {
  std::lock_guard lock(mutex_);
  if (failures_ <= 0) return false;
  --failures_;
  ecc = failureEcc_;
  return true;
}

void TCanBus::AddObserver(TCanFrameObserver* observer) {
  std::lock_guard lock(mutex_);
  observers_.push_back(observer);
}

void TCanBus::RemoveObserver(TCanFrameObserver* observer) {
  std::lock_guard lock(mutex_);
  std::erase(observers_, observer);
}

std::vector<TCanBus::TSeen> TCanBus::TakeSeen() {
  std::lock_guard lock(mutex_);
  return std::exchange(seen_, {});
}

bool TCanBus::Peek(uint64_t busFree, TQueued& out) {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return false;
  const uint64_t due = std::max(queue_.front().at, busFree);
  const TQueued* best = nullptr;
  for (const TQueued& q : queue_) {
    if (q.at > due) break;
    if (q.error) {
      best = &q;
      break;
    }
    int lost = 0;
    if (!best || Arbitrate(q.frame, best->frame, lost) < 0) best = &q;
  }
  out = *best;
  return true;
}

void TCanBus::Pop(uint64_t serial) {
  std::lock_guard lock(mutex_);
  std::erase_if(queue_, [&](const TQueued& q) { return q.serial == serial; });
}

void TCanBus::Completed(const TCanFrame& frame, int node, uint64_t end) {
  std::vector<TCanFrameObserver*> observers;
  {
    std::lock_guard lock(mutex_);
    if (seen_.size() < 100000) seen_.push_back({frame, node, end});
    observers = observers_;
  }
  for (TCanFrameObserver* o : observers) o->FrameOnBus(frame, node, end);
}

TArbitrationBits ArbitrationBits(const TCanFrame& frame) {
  TArbitrationBits a;
  int n = 0;
  const uint32_t base = frame.extended ? frame.id >> 18 : frame.id;
  for (int b = 10; b >= 0; --b) a.bits[n++] = (base >> b) & 1;
  if (!frame.extended) {
    a.bits[n++] = frame.remote ? 1 : 0;  // RTR
    a.bits[n++] = 0;                     // IDE dominant
  } else {
    a.bits[n++] = 1;  // SRR
    a.bits[n++] = 1;  // IDE
    for (int b = 17; b >= 0; --b) a.bits[n++] = (frame.id >> b) & 1;
    a.bits[n++] = frame.remote ? 1 : 0;
  }
  a.length = n;
  return a;
}

int Arbitrate(const TCanFrame& a, const TCanFrame& b, int& lostBit) {
  const TArbitrationBits x = ArbitrationBits(a), y = ArbitrationBits(b);
  const int n = std::min(x.length, y.length);
  for (int i = 0; i < n; ++i) {
    if (x.bits[i] == y.bits[i]) continue;
    lostBit = i;
    return x.bits[i] < y.bits[i] ? -1 : 1;  // dominant (0) wins
  }
  lostBit = n - 1;
  return 0;
}

int FrameBits(const TCanFrame& frame) {
  const int data = frame.remote ? 0 : 8 * std::min<int>(frame.dlc, 8);
  return (frame.extended ? 67 : 47) + data;
}

}  // namespace tamarikusb

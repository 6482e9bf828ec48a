#include "serial/ReceiveRing.h"

#include <algorithm>

#include "core/DateTime.h"

ReceiveRing::ReceiveRing() : records_(new TSeriellData[Size + 1]) {}

int ReceiveRing::ClaimSlot() {
  std::lock_guard lock(claimLock_);
  const std::uint64_t claimed = claimed_.load(std::memory_order_relaxed);
  if (claimed - read_.load(std::memory_order_acquire) >= static_cast<std::uint64_t>(Size)) {
    lost_.fetch_add(1, std::memory_order_relaxed);
    lostTotal_.fetch_add(1, std::memory_order_relaxed);
    return -1;
  }
  const int index = static_cast<int>(claimed % Size);
  TSeriellData& slot = records_[index];
  slot.Ready = 0;
  // The wall clock may step back (NTP); the trace must not.
  lastStamp_ = std::max(lastStamp_, NowDateTime());
  slot.Time = lastStamp_;
  claimed_.store(claimed + 1, std::memory_order_seq_cst);
  return index;
}

void ReceiveRing::CommitSlot() { committed_.fetch_add(1, std::memory_order_seq_cst); }

bool ReceiveRing::Put(const TSeriellData& record, bool keepTime) {
  const int index = ClaimSlot();
  if (index < 0) return false;
  TSeriellData& slot = records_[index];
  const double stamped = slot.Time;
  slot = record;
  if (!keepTime) slot.Time = stamped;
  slot.Ready = 0;
  slot.Ready = record.Ready > 0 ? record.Ready : 1;
  CommitSlot();
  return true;
}

int ReceiveRing::ClaimIndex() const { return static_cast<int>(claimed_.load() % Size); }
int ReceiveRing::CommitCount() const { return static_cast<int>(committed_.load() % Size); }
int ReceiveRing::ReadIndex() const { return static_cast<int>(read_.load() % Size); }

int ReceiveRing::FreeSlots() const {
  const std::uint64_t used = claimed_.load(std::memory_order_acquire) - read_.load(std::memory_order_acquire);
  return used >= static_cast<std::uint64_t>(Size) ? 0 : Size - static_cast<int>(used);
}

int ReceiveRing::ReadyBatch(int& start) const {
  // Commits first, then claims: if they are equal, every slot claimed at the
  // moment of the first load had been filled.
  const std::uint64_t committed = committed_.load(std::memory_order_seq_cst);
  const std::uint64_t claimed = claimed_.load(std::memory_order_seq_cst);
  const std::uint64_t read = read_.load(std::memory_order_relaxed);
  start = static_cast<int>(read % Size);
  if (claimed == read || claimed != committed) return 0;
  const std::uint64_t available = claimed - read;
  const std::uint64_t toEnd = static_cast<std::uint64_t>(Size - start);
  return static_cast<int>(std::min(available, toEnd));
}

void ReceiveRing::Release(int count) {
  if (count > 0) read_.fetch_add(static_cast<std::uint64_t>(count), std::memory_order_release);
}

void ReceiveRing::ResetTo(std::uint64_t position) {
  std::lock_guard lock(claimLock_);
  claimed_ = position;
  committed_ = position;
  read_ = position;
}

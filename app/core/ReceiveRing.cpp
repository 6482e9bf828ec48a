#include "core/ReceiveRing.h"

#include <algorithm>

ReceiveRing::ReceiveRing() : records_(new TSeriellData[Size + 1]) {}

void ReceiveRing::CountLost(std::uint64_t count) {
  lost_.fetch_add(count, std::memory_order_relaxed);
  lostTotal_.fetch_add(count, std::memory_order_relaxed);
}

int ReceiveRing::ClaimSlot() {
  int first = 0;
  double stamp = 0.0;
  if (ClaimRun(1, first, stamp) == 0) return -1;
  TSeriellData& slot = records_[first];
  slot.Ready = 0;
  slot.Time = stamp;
  return first;
}

int ReceiveRing::ClaimRun(int count, int& first, double& stamp) {
  if (count <= 0) return 0;
  std::lock_guard lock(claimLock_);
  const std::uint64_t claimed = claimed_.load(std::memory_order_relaxed);
  const std::uint64_t used = claimed - read_.load(std::memory_order_acquire);
  const std::uint64_t room = used < static_cast<std::uint64_t>(Size) ? Size - used : 0;
  const int granted = static_cast<int>(std::min<std::uint64_t>(room, static_cast<std::uint64_t>(count)));
  if (granted < count) CountLost(static_cast<std::uint64_t>(count - granted));
  if (granted == 0) return 0;
  first = static_cast<int>(claimed % Size);
  stamp = clock_.Now();
  claimed_.store(claimed + static_cast<std::uint64_t>(granted), std::memory_order_seq_cst);
  return granted;
}

void ReceiveRing::CommitSlot() { CommitRun(1); }

void ReceiveRing::CommitRun(int count) {
  if (count <= 0) return;
  committed_.fetch_add(static_cast<std::uint64_t>(count), std::memory_order_seq_cst);
  if (consumerWaiting_.load(std::memory_order_seq_cst)) WakeConsumer();
}

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
  const std::uint64_t used = claimed_.load(std::memory_order_seq_cst) - read_.load(std::memory_order_seq_cst);
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
  if (count <= 0) return;
  read_.fetch_add(static_cast<std::uint64_t>(count), std::memory_order_seq_cst);
  if (roomWaiters_.load(std::memory_order_seq_cst) > 0) {
    { std::lock_guard lock(wakeLock_); }
    roomFreed_.notify_all();
  }
}

void ReceiveRing::WakeConsumer() {
  // Taking the lock once means a consumer between its last look and its
  // wait is already waiting when the signal comes.
  { std::lock_guard lock(wakeLock_); }
  batchReady_.notify_one();
}

void ReceiveRing::WaitForBatch(std::stop_token stop, std::chrono::milliseconds timeout) {
  std::unique_lock lock(wakeLock_);
  consumerWaiting_.store(true, std::memory_order_seq_cst);
  batchReady_.wait_for(lock, timeout, [&] {
    int start = 0;
    return stop.stop_requested() || ReadyBatch(start) > 0;
  });
  consumerWaiting_.store(false, std::memory_order_relaxed);
}

void ReceiveRing::WaitForRoom(int need, std::stop_token stop, std::chrono::milliseconds timeout) {
  std::unique_lock lock(wakeLock_);
  roomWaiters_.fetch_add(1, std::memory_order_seq_cst);
  roomFreed_.wait_for(lock, timeout, [&] { return stop.stop_requested() || FreeSlots() > need; });
  roomWaiters_.fetch_sub(1, std::memory_order_relaxed);
}

void ReceiveRing::ResetTo(std::uint64_t position) {
  std::lock_guard lock(claimLock_);
  claimed_ = position;
  committed_ = position;
  read_ = position;
}

void ReceiveRing::SetClock(TRecordClock clock) {
  std::lock_guard lock(claimLock_);
  clock_ = std::move(clock);
}

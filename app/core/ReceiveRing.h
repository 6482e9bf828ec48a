// The one road by which received data of every source reaches the window:
// producers claim slots, fill them, set Ready last and commit; one consumer
// hands committed slots out in batches.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <stop_token>

#include "SeriellData.h"
#include "core/RecordClock.h"

class ReceiveRing {
 public:
  static constexpr int Size = 20000;

  ReceiveRing();
  ReceiveRing(const ReceiveRing&) = delete;
  ReceiveRing& operator=(const ReceiveRing&) = delete;

  // Producer side. ClaimSlot returns the slot index, or -1 when the ring is
  // full: the record is then dropped and counted, never written over a slot
  // the consumer has not read. The slot's Ready is 0 and its Time is stamped
  // inside the claim, so slot order and time order agree across producers.
  int ClaimSlot();
  void CommitSlot();
  TSeriellData& Slot(int index) { return records_[index]; }
  const TSeriellData& Slot(int index) const { return records_[index]; }

  // A run of slots under one lock: claims up to count slots, slot k of the
  // run being (first + k) % Size, and returns how many; what did not fit is
  // dropped and counted. stamp is the one time of the whole run, taken
  // inside the claim. The producer fills every slot (Time included) and
  // commits the run once.
  int ClaimRun(int count, int& first, double& stamp);
  void CommitRun(int count);

  // Claims, copies the record (keeping the stamped time unless keepTime),
  // sets Ready last and commits. False when the record was dropped.
  bool Put(const TSeriellData& record, bool keepTime = false);

  // Counters as the protocol names them (0 … Size-1).
  int ClaimIndex() const;
  int CommitCount() const;
  int ReadIndex() const;
  // Slots a producer could claim now without a record being dropped.
  int FreeSlots() const;

  // Consumer side: a run of committed slots [start, start+count) that does
  // not cross the end of the ring; count 0 while nothing is ready or a
  // claimed slot is still being filled.
  int ReadyBatch(int& start) const;
  void Release(int count);

  // Waits until a batch is ready, stop is requested or timeout has passed.
  // A producer signals only while the consumer says it waits here, so a
  // busy consumer costs the producers no system call.
  void WaitForBatch(std::stop_token stop, std::chrono::milliseconds timeout);
  // Ends a consumer's wait now (after a stop request).
  void WakeConsumer();
  // Producer side: waits until more than need slots are free, stop is
  // requested or timeout has passed; the consumer signals on release only
  // while a producer waits.
  void WaitForRoom(int need, std::stop_token stop, std::chrono::milliseconds timeout);

  // Records dropped because the ring was full, since the last call.
  std::uint64_t TakeLostCount() { return lost_.exchange(0); }
  std::uint64_t LostTotal() const { return lostTotal_.load(); }

  // For tests: pretend the counters already stand at this position; stamp
  // with this clock.
  void ResetTo(std::uint64_t position);
  void SetClock(TRecordClock clock);

 private:
  void CountLost(std::uint64_t count);

  std::unique_ptr<TSeriellData[]> records_;
  std::mutex claimLock_;
  std::atomic<std::uint64_t> claimed_{0};
  std::atomic<std::uint64_t> committed_{0};
  std::atomic<std::uint64_t> read_{0};
  std::atomic<std::uint64_t> lost_{0};
  std::atomic<std::uint64_t> lostTotal_{0};
  TRecordClock clock_;  // guarded by claimLock_

  // Set under wakeLock_ before the waiting side looks again, read by the
  // other side after it moved its counter: one of them sees the other.
  std::mutex wakeLock_;
  std::condition_variable batchReady_;
  std::condition_variable roomFreed_;
  std::atomic<bool> consumerWaiting_{false};
  std::atomic<int> roomWaiters_{0};
};

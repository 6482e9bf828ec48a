#include "core/SerialThreadOut.h"

#include <sys/resource.h>

#include "core/AppFlags.h"

TSerialThreadOut::TSerialThreadOut(TDataHandler onData) : onData_(std::move(onData)) {}

TSerialThreadOut::~TSerialThreadOut() { Terminate(); }

void TSerialThreadOut::Resume() {
  if (thread_.joinable()) return;
  thread_ = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

void TSerialThreadOut::Terminate() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  ring_.WakeConsumer();
  thread_.join();
}

bool TSerialThreadOut::DeliverOnce() {
  int start = 0;
  const int count = ring_.ReadyBatch(start);
  if (count == 0) return false;
  BatchStart = start;
  BatchCount = count;
  if (onData_ && !stop_.stop_requested()) {
    try {
      onData_(*this);
    } catch (...) {
      // A faulty batch is skipped, never retried.
    }
  }
  int consumed = BatchCount;
  if (consumed < 0) consumed = 0;
  if (consumed > count) consumed = count;
  ring_.Release(consumed);
  BatchCount = 0;
  return true;
}

void TSerialThreadOut::ReportLost() {
  const auto now = std::chrono::steady_clock::now();
  if (now - lastLostCheck_ < std::chrono::seconds(1)) return;
  lastLostCheck_ = now;
  const std::uint64_t lost = ring_.TakeLostCount();
  if (lost > 0 && onLost_) {
    try {
      onLost_(lost);
    } catch (...) {
    }
  }
}

void TSerialThreadOut::Loop(std::stop_token stop) {
  stop_ = stop;
  // One step above normal where the system lets us; unprivileged it may not.
  setpriority(PRIO_PROCESS, 0, -1);
  while (!stop.stop_requested() && !AppClosing.load()) {
    ReportLost();
    if (DeliverOnce()) continue;
    // Woken by the commit that makes a batch ready; the timeout only keeps
    // the lost-record report and the closing flag looked at.
    ring_.WaitForBatch(stop, std::chrono::milliseconds(20));
  }
}

#include "plugin/PlugInTimer.h"

TPlugInTimer::TPlugInTimer(std::function<void()> onTimer)
    : onTimer_(std::move(onTimer)), thread_([this](std::stop_token stop) { Run(stop); }) {}

TPlugInTimer::~TPlugInTimer() { Stop(); }

void TPlugInTimer::SetInterval(int milliseconds) {
  {
    std::lock_guard lock(lock_);
    // Stopping a stopped timer is the common case (a plug-in that never asks
    // for one): it must not wake the thread once per text.
    if (milliseconds <= 0 && interval_ == 0) return;
    interval_ = milliseconds > 0 ? milliseconds : 0;
    due_ = std::chrono::steady_clock::now() + std::chrono::milliseconds(interval_);
  }
  changed_.notify_all();
}

int TPlugInTimer::Interval() const {
  std::lock_guard lock(lock_);
  return interval_;
}

void TPlugInTimer::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  changed_.notify_all();
  thread_.join();
}

void TPlugInTimer::Run(std::stop_token stop) {
  std::unique_lock lock(lock_);
  while (!stop.stop_requested()) {
    if (interval_ == 0) {
      changed_.wait(lock, stop, [this] { return interval_ > 0; });
      continue;
    }
    const auto due = due_;
    if (changed_.wait_until(lock, stop, due, [this, due] { return interval_ == 0 || due_ != due; })) continue;
    if (stop.stop_requested()) break;
    interval_ = 0;
    lock.unlock();
    onTimer_();
    lock.lock();
  }
}

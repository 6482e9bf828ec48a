// What ends a port device's event wait besides its bytes: ReleaseWaits, which
// holds until the next Open, and the modem or hang-up events that no wait has
// taken yet. Every device keeps these the same way; how a waiting thread is
// woken is the device's own affair.
#pragma once

#include <atomic>

#include "serial/PortDevice.h"

class TPortWaitState {
 public:
  // A new Open: waits block again and events of the closed device are gone.
  void Rearm() {
    pending_.store(0);
    released_.store(false);
  }
  void Release() { released_.store(true); }
  bool Released() const { return released_.load(); }

  // peModem and peHangup; they add up until a wait takes them.
  void Raise(unsigned events) { pending_.fetch_or(events); }
  bool HasPending() const { return pending_.load() != 0; }
  unsigned Take() { return pending_.exchange(0); }

 private:
  std::atomic<bool> released_{false};
  std::atomic<unsigned> pending_{0};
};

// Follows the modem inputs (CTS, DSR, DCD, RI) of an open tty on a thread of
// its own, because the kernel's wait for them cannot be put into poll().
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

class TModemWatcher {
 public:
  // onChange(gone) runs on the watcher's thread after every change of an
  // input, and once with gone = true when the device disappeared.
  using TOnChange = std::function<void(bool gone)>;

  // fd must stay open until Stop has returned.
  TModemWatcher(int fd, TOnChange onChange);
  ~TModemWatcher();
  TModemWatcher(const TModemWatcher&) = delete;
  TModemWatcher& operator=(const TModemWatcher&) = delete;

  void Stop();

 private:
  void Loop(std::stop_token stop);
  bool WaitForChange(std::stop_token stop);
  bool LookEvery10ms(std::stop_token stop, unsigned& last);
  void Nap(std::stop_token stop);

  int fd_;
  TOnChange onChange_;
  std::mutex napLock_;
  std::condition_variable_any nap_;
  std::atomic<bool> exited_{false};
  std::jthread thread_;
};

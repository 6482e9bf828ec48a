#include "serial/ModemWatcher.h"

#include <pthread.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <chrono>
#include <csignal>

namespace {

// TIOCMIWAIT only returns on a change of a line or on a signal, so Stop
// interrupts it with a signal whose handler does nothing.
int WakeSignal() { return SIGRTMAX - 4; }

void NoOp(int) {}

void InstallWakeHandler() {
  static std::once_flag once;
  std::call_once(once, [] {
    struct sigaction old {};
    sigaction(WakeSignal(), nullptr, &old);
    if (old.sa_handler != SIG_DFL) return;  // somebody else's: leave it
    struct sigaction sa {};
    sa.sa_handler = NoOp;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no SA_RESTART: the wait must end with EINTR
    sigaction(WakeSignal(), &sa, nullptr);
  });
}

bool DeviceGone(int error) { return error == EIO || error == ENODEV || error == ENXIO || error == EBADF; }

constexpr unsigned kInputs = TIOCM_CTS | TIOCM_DSR | TIOCM_CD | TIOCM_RI;

}  // namespace

TModemWatcher::TModemWatcher(int fd, TOnChange onChange) : fd_(fd), onChange_(std::move(onChange)) {
  InstallWakeHandler();
  thread_ = std::jthread([this](std::stop_token stop) { Loop(stop); });
}

TModemWatcher::~TModemWatcher() { Stop(); }

void TModemWatcher::Stop() {
  if (!thread_.joinable()) return;
  thread_.request_stop();
  nap_.notify_all();
  // A signal that arrives just before the thread enters its wait is lost,
  // so keep knocking until it has left.
  while (!exited_.load()) {
    pthread_kill(thread_.native_handle(), WakeSignal());
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  thread_.join();
}

void TModemWatcher::Loop(std::stop_token stop) {
  unsigned last = 0;
  if (ioctl(fd_, TIOCMGET, &last) == 0) {
    // Drivers without TIOCMIWAIT say so at once; then look at the lines.
    if (!WaitForChange(stop)) {
      while (!stop.stop_requested() && LookEvery10ms(stop, last)) {
      }
    }
  }
  exited_.store(true);
}

// False when the driver cannot wait for the lines.
bool TModemWatcher::WaitForChange(std::stop_token stop) {
  while (!stop.stop_requested()) {
    if (ioctl(fd_, TIOCMIWAIT, kInputs) == 0) {
      onChange_(false);
      continue;
    }
    const int error = errno;
    if (error == EINTR) continue;
    if (DeviceGone(error)) {
      onChange_(true);
      return true;
    }
    return false;
  }
  return true;
}

bool TModemWatcher::LookEvery10ms(std::stop_token stop, unsigned& last) {
  unsigned now = 0;
  if (ioctl(fd_, TIOCMGET, &now) != 0) {
    if (errno == EINTR) return true;
    if (DeviceGone(errno)) onChange_(true);
    return false;
  }
  if ((now & kInputs) != (last & kInputs)) onChange_(false);
  last = now;
  Nap(stop);
  return true;
}

void TModemWatcher::Nap(std::stop_token stop) {
  std::unique_lock lock(napLock_);
  nap_.wait_for(lock, stop, std::chrono::milliseconds(10), [] { return false; });
}

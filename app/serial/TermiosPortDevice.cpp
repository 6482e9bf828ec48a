// termios2 (free baud rates through BOTHER) clashes with <termios.h>, so this
// file speaks to the tty through ioctls only.
#include "serial/TermiosPortDevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <mutex>

#include "serial/TermiosSettings.h"

namespace {

// Pseudo-terminals and some drivers answer modem ioctls with EINVAL.
int NoLinesAsEnotty(int error) { return error == EINVAL ? ENOTTY : error; }

}  // namespace

TTermiosPortDevice::TTermiosPortDevice()
    : releaseFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)), modemFd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

TTermiosPortDevice::~TTermiosPortDevice() {
  Close();
  if (releaseFd_ >= 0) ::close(releaseFd_);
  if (modemFd_ >= 0) ::close(modemFd_);
}

void TTermiosPortDevice::Drain(int eventFd) {
  std::uint64_t value = 0;
  while (::read(eventFd, &value, sizeof value) == sizeof value) {
  }
}

void TTermiosPortDevice::Signal(int eventFd) {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t n = ::write(eventFd, &one, sizeof one);
}

int TTermiosPortDevice::Open(const std::string& path) {
  if (releaseFd_ < 0 || modemFd_ < 0) return EMFILE;
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return errno;
  if (!isatty(fd)) {
    ::close(fd);
    return ENOTTY;
  }
  // Not shared: TIOCEXCL keeps others out, the lock also catches a second
  // name for the same device (and root, whom TIOCEXCL lets through).
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int error = errno == EWOULDBLOCK ? EBUSY : errno;
    ::close(fd);
    return error;
  }
  ioctl(fd, TIOCEXCL);
  {
    std::unique_lock lock(ioLock_);
    Drain(releaseFd_);
    Drain(modemFd_);
    waitState_.Rearm();
    fd_ = fd;
  }
  watcher_ = std::make_unique<TModemWatcher>(fd, [this](bool gone) { OnModemChange(gone); });
  return 0;
}

int TTermiosPortDevice::Close() {
  ReleaseWaits();
  watcher_.reset();
  std::unique_lock lock(ioLock_);
  if (fd_ < 0) return 0;
  const int result = ::close(fd_) == 0 ? 0 : errno;
  fd_ = -1;
  return result;
}

bool TTermiosPortDevice::IsOpen() const {
  std::shared_lock lock(ioLock_);
  return fd_ >= 0;
}

void TTermiosPortDevice::ReleaseWaits() {
  waitState_.Release();
  Signal(releaseFd_);
}

void TTermiosPortDevice::OnModemChange(bool gone) {
  waitState_.Raise(gone ? peHangup : peModem);
  Signal(modemFd_);
}

int TTermiosPortDevice::Configure(const TLineSettings& settings) {
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  termios2 t{};
  if (ioctl(fd_, TCGETS2, &t) != 0) return errno;
  FillTermios(t, settings);
  return ioctl(fd_, TCSETS2, &t) == 0 ? 0 : errno;
}

int TTermiosPortDevice::ActualBaudrate(int& rate) {
  rate = 0;
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  termios2 t{};
  if (ioctl(fd_, TCGETS2, &t) != 0) return errno;
  rate = static_cast<int>(t.c_ospeed);
  return 0;
}

int TTermiosPortDevice::Purge() {
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  return ioctl(fd_, TCFLSH, TCIOFLUSH) == 0 ? 0 : errno;
}

unsigned TTermiosPortDevice::WaitEvent(int& error) {
  error = 0;
  std::shared_lock lock(ioLock_);
  if (fd_ < 0 || waitState_.Released()) return peReleased;
  pollfd fds[3] = {{fd_, POLLIN, 0}, {releaseFd_, POLLIN, 0}, {modemFd_, POLLIN, 0}};
  for (;;) {
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      error = errno;
      return 0;
    }
    if (fds[1].revents != 0 || waitState_.Released()) return peReleased;
    unsigned events = 0;
    if (fds[2].revents != 0) {
      Drain(modemFd_);
      events |= waitState_.Take();
    }
    if (fds[0].revents & POLLIN) events |= peData;
    if (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL)) events |= peHangup;
    if (events != 0) return events;
  }
}

int TTermiosPortDevice::Read(std::uint8_t* buffer, std::size_t max, std::size_t& got) {
  got = 0;
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  const ssize_t n = ::read(fd_, buffer, max);
  if (n >= 0) {
    got = static_cast<std::size_t>(n);
    return 0;
  }
  return errno == EAGAIN || errno == EINTR ? 0 : errno;
}

int TTermiosPortDevice::Write(std::uint8_t byte, int timeoutMs) {
  std::size_t written = 0;
  return WriteSome(&byte, 1, written, timeoutMs);
}

int TTermiosPortDevice::WriteSome(const std::uint8_t* data, std::size_t size, std::size_t& written, int timeoutMs) {
  written = 0;
  if (size == 0) return 0;
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    if (waitState_.Released()) return ECANCELED;
    const ssize_t n = ::write(fd_, data, size);
    if (n > 0) {
      written = static_cast<std::size_t>(n);
      return 0;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return errno;
    int wait = -1;
    if (timeoutMs > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return ETIMEDOUT;
      wait = static_cast<int>(left);
    }
    pollfd fds[2] = {{fd_, POLLOUT, 0}, {releaseFd_, POLLIN, 0}};
    if (poll(fds, 2, wait) < 0 && errno != EINTR) return errno;
    if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) return EIO;
  }
}

int TTermiosPortDevice::OutputPending(bool& pending) {
  pending = false;
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  int queued = 0;
  if (ioctl(fd_, TIOCOUTQ, &queued) != 0) return errno;
  if (queued > 0) {
    pending = true;
    return 0;
  }
  // The shift register, where the driver tells.
  unsigned lsr = 0;
  if (ioctl(fd_, TIOCSERGETLSR, &lsr) == 0) pending = (lsr & TIOCSER_TEMT) == 0;
  return 0;
}

int TTermiosPortDevice::GetModemLines(unsigned& lines) {
  lines = 0;
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  int status = 0;
  if (ioctl(fd_, TIOCMGET, &status) != 0) return NoLinesAsEnotty(errno);
  if (status & TIOCM_CTS) lines |= mlCTS;
  if (status & TIOCM_DSR) lines |= mlDSR;
  if (status & TIOCM_CD) lines |= mlDCD;
  if (status & TIOCM_RI) lines |= mlRI;
  if (status & TIOCM_RTS) lines |= mlRTS;
  if (status & TIOCM_DTR) lines |= mlDTR;
  return 0;
}

int TTermiosPortDevice::SetModemLine(unsigned line, bool on) {
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  int bits = 0;
  if (line & mlRTS) bits |= TIOCM_RTS;
  if (line & mlDTR) bits |= TIOCM_DTR;
  if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bits) != 0) return NoLinesAsEnotty(errno);
  return 0;
}

int TTermiosPortDevice::SetBreak(bool on) {
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  return ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) == 0 ? 0 : errno;
}

int TTermiosPortDevice::GetCounters(TLineCounters& counters) {
  std::shared_lock lock(ioLock_);
  if (fd_ < 0) return EBADF;
  serial_icounter_struct ic{};
  if (ioctl(fd_, TIOCGICOUNT, &ic) != 0) return NoLinesAsEnotty(errno);
  counters.Parity = static_cast<std::uint32_t>(ic.parity);
  counters.Frame = static_cast<std::uint32_t>(ic.frame);
  counters.Overrun = static_cast<std::uint32_t>(ic.overrun + ic.buf_overrun);
  counters.Break = static_cast<std::uint32_t>(ic.brk);
  return 0;
}

#include "serial/PseudoTerminal.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

TPseudoTerminal::~TPseudoTerminal() { Close(); }

int TPseudoTerminal::Open() {
  Close();
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master_ < 0) return errno;
  char name[128];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name) != 0) {
    const int error = errno;
    Close();
    return error;
  }
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    const int error = errno;
    Close();
    return error;
  }
  // Both ends raw until a port configures the slave, so nothing written
  // early is echoed or changed.
  termios t{};
  for (const int fd : {master_, slave_}) {
    if (tcgetattr(fd, &t) == 0) {
      cfmakeraw(&t);
      tcsetattr(fd, TCSANOW, &t);
    }
  }
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  const std::string full = name;
  slaveName_ = full.compare(0, 5, "/dev/") == 0 ? full.substr(5) : full;
  return 0;
}

void TPseudoTerminal::CloseMaster() {
  if (master_ >= 0) ::close(master_);
  master_ = -1;
}

void TPseudoTerminal::Close() {
  CloseMaster();
  if (slave_ >= 0) ::close(slave_);
  slave_ = -1;
}

bool TPseudoTerminal::WriteAll(const void* data, std::size_t size, int stallMs) {
  const auto* p = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const ssize_t n = ::write(master_, p, size);
    if (n > 0) {
      p += n;
      size -= static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno != EAGAIN && errno != EINTR) return false;
    pollfd fd{master_, POLLOUT, 0};
    if (poll(&fd, 1, stallMs) == 0) return false;
  }
  return true;
}

#include "core/LogDevice.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

namespace {

bool SameNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

std::string SystemError(const char* what, const std::string& path) {
  return std::string(what) + " '" + path + "': " + std::strerror(errno);
}

bool SetLine9600N81(int fd, const std::string& path, std::string& error) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    error = SystemError("Cannot read the line settings of", path);
    return false;
  }
  cfmakeraw(&tio);
  tio.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
  cfsetispeed(&tio, B9600);
  cfsetospeed(&tio, B9600);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) {
    error = SystemError("Cannot set 9600,N,8,1 on", path);
    return false;
  }
  // Ports without modem lines (pseudo-terminals, some adapters) refuse this;
  // the data still flow, so that is no reason to give up the log.
  int lines = TIOCM_RTS | TIOCM_DTR;
  (void)ioctl(fd, TIOCMBIS, &lines);
  return true;
}

}  // namespace

std::optional<TLogDeviceName> ParseLogDeviceName(std::string_view name) {
  if (name.size() != 6 || name[5] != ']') return std::nullopt;
  if (SameNoCase(name.substr(0, 4), "[COM")) return TLogDeviceName{true, name[4]};
  if (SameNoCase(name.substr(0, 4), "[LPT")) return TLogDeviceName{false, name[4]};
  return std::nullopt;
}

std::string DefaultLogDevicePath(const TLogDeviceName& device) {
  if (device.Number < '1' || device.Number > '9') return {};
  return std::string(device.Com ? "/dev/ttyS" : "/dev/lp") + static_cast<char>(device.Number - 1);
}

int OpenLogDevice(const std::string& path, bool serialLine, std::string& error) {
  if (path.empty()) {
    error = "No such log device";
    return -1;
  }
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    error = SystemError("Cannot open log device", path);
    return -1;
  }
  if (serialLine && !SetLine9600N81(fd, path, error)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

#include "net/PortLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

std::string TPortLock::DefaultFolder() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return runtime;
  std::error_code ec;
  const std::filesystem::path temp = std::filesystem::temp_directory_path(ec);
  return ec ? std::string("/tmp") : temp.string();
}

std::string TPortLock::FileFor(int port) const {
  return (std::filesystem::path(folder_) / ("Tamarik" + std::to_string(port))).string();
}

bool TPortLock::Acquire(int port) {
  Release();
  const int fd = ::open(FileFor(port).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  // A lock on the open file, not on the process: a second open in this very
  // process is refused as well, and the system drops it when we end.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void TPortLock::Release() {
  if (fd_ < 0) return;
  ::flock(fd_, LOCK_UN);
  ::close(fd_);
  fd_ = -1;
}

#include "core/LogFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

std::string SystemError(const char* what, const std::string& path) {
  return std::string(what) + " '" + path + "': " + std::strerror(errno);
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool TLogFile::OpenFile(const std::string& path, std::string& error) {
  Close();
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = SystemError("Cannot open log file", path);
    return false;
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    error = "Not a regular file: '" + path + "'";
    ::close(fd);
    return false;
  }
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    error = errno == EWOULDBLOCK ? "Log file in use by another writer: '" + path + "'"
                                 : SystemError("Cannot lock log file", path);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  device_ = false;
  size_ = static_cast<std::uint64_t>(st.st_size);
  path_ = path;
  return true;
}

void TLogFile::AdoptDevice(int fd, const std::string& path) {
  Close();
  fd_ = fd;
  device_ = true;
  size_ = 0;
  path_ = path;
}

bool TLogFile::Append(std::string_view data, std::string& error) {
  if (fd_ < 0) {
    error = "No log file open";
    return false;
  }
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd_, data.data() + done, data.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      size_ += static_cast<std::uint64_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) && device_) {
      pollfd p{fd_, POLLOUT, 0};
      const int ready = ::poll(&p, 1, kDeviceStallMs);
      if (ready > 0 || (ready < 0 && errno == EINTR)) continue;
      error = "The log device takes no data: '" + path_ + "'";
      return false;
    }
    if (n == 0) errno = EIO;
    error = SystemError("Cannot write to log file", path_);
    return false;
  }
  if (!device_) {
    struct stat st {};
    if (::fstat(fd_, &st) == 0 && st.st_nlink == 0) {
      error = "The log file was removed while open: '" + path_ + "'";
      return false;
    }
  }
  return true;
}

bool TLogFile::CutClosingBrace(std::string& error) {
  if (fd_ < 0 || device_ || size_ == 0) return true;
  const std::uint64_t tailSize = std::min<std::uint64_t>(size_, 256);
  const std::uint64_t tailStart = size_ - tailSize;
  std::string tail(tailSize, '\0');
  if (::pread(fd_, tail.data(), tail.size(), static_cast<off_t>(tailStart)) != static_cast<ssize_t>(tail.size())) {
    error = SystemError("Cannot read log file", path_);
    return false;
  }
  std::size_t end = tail.size();
  while (end > 0 && IsBlank(tail[end - 1])) --end;
  if (end == 0 || tail[end - 1] != '}') return true;
  // An escaped "\}" is text of a run, not the end of the document.
  std::size_t slashes = 0;
  while (end - 1 > slashes && tail[end - 2 - slashes] == '\\') ++slashes;
  if (slashes % 2 == 1) return true;
  const std::uint64_t cut = tailStart + end - 1;
  if (::ftruncate(fd_, static_cast<off_t>(cut)) != 0) {
    error = SystemError("Cannot shorten log file", path_);
    return false;
  }
  size_ = cut;
  return true;
}

void TLogFile::Close() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
  fd_ = -1;
  device_ = false;
  size_ = 0;
  path_.clear();
}

// Reading the settings file from disk and writing it back safely.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/ErrorReport.h"
#include "core/IniFile.h"

namespace {

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

bool WriteAll(int fd, const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

// Reads a regular file of at most maxBytes; false with a reason otherwise.
bool ReadWholeFile(const std::string& path, std::size_t maxBytes, std::string& out, std::string& error) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    error = SystemError("cannot open " + path);
    return false;
  }
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0;
  if (!ok) {
    error = SystemError("cannot examine " + path);
  } else if (!S_ISREG(st.st_mode)) {
    error = path + " is not a regular file";
    ok = false;
  } else if (static_cast<std::size_t>(st.st_size) > maxBytes) {
    error = path + " is too large (" + std::to_string(st.st_size) + " bytes)";
    ok = false;
  }
  char buf[65536];
  while (ok) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      error = SystemError("cannot read " + path);
      ok = false;
    } else if (n == 0) {
      break;
    } else if (out.size() + static_cast<std::size_t>(n) > maxBytes) {
      error = path + " is too large";
      ok = false;
    } else {
      out.append(buf, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  return ok;
}

}  // namespace

TIniFile::TIniFile(std::string fileName, std::string reportLocation) : fileName_(std::move(fileName)) {
  std::error_code ec;
  if (!std::filesystem::exists(fileName_, ec)) return;
  std::string bytes, error;
  {
    std::lock_guard lock(lock_);
    readOnly_ = IsReadOnlyFile(fileName_);
    if (!ReadWholeFile(fileName_, kMaxFileBytes, bytes, error)) {
      // What could not be read must not be overwritten by defaults.
      loadFailed_ = true;
      readOnly_ = true;
      problems_.push_back(error);
    } else {
      ParseLocked(bytes);
    }
  }
  for (const std::string& problem : Problems()) ReportError(reportLocation, fileName_ + ": " + problem);
}

bool TIniFile::IsReadOnlyFile(const std::string& path) {
  struct stat st {};
  if (::stat(path.c_str(), &st) != 0) return false;
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path.c_str(), W_OK) != 0;
}

bool TIniFile::WritableLocked() {
  if (fileName_.empty()) {
    lastError_ = "no file name";
    return false;
  }
  if (readOnly_ || IsReadOnlyFile(fileName_)) {
    lastError_ = fileName_ + " is read-only, settings not written";
    return false;
  }
  return true;
}

// Built and written under one lock: a writer that built its text earlier can
// never rename an older image over a newer one.
bool TIniFile::UpdateFile() {
  std::lock_guard lock(lock_);
  return WritableLocked() && WriteFileLocked(SerializeLocked());
}

bool TIniFile::UpdateKeysInFile(const std::function<void(TIniFile&)>& edit) {
  edit(*this);
  std::lock_guard lock(lock_);
  if (!WritableLocked()) return false;
  TIniFile onDisk;
  std::error_code ec;
  if (std::filesystem::exists(fileName_, ec)) {
    std::string bytes, error;
    if (!ReadWholeFile(fileName_, kMaxFileBytes, bytes, error)) {
      lastError_ = error;
      return false;
    }
    onDisk.Parse(bytes);
  }
  edit(onDisk);
  return WriteFileLocked(onDisk.Serialize());
}

bool TIniFile::WriteFileLocked(const std::string& bytes) {
  std::string error;
  if (!ReplaceFileContents(fileName_, bytes, error)) {
    lastError_ = error;
    return false;
  }
  lastError_.clear();
  return true;
}

bool ReplaceFileContents(const std::string& fileName, const std::string& bytes, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  // Through a symbolic link the link's target is replaced, not the link.
  fs::path target = fs::exists(fileName, ec) ? fs::canonical(fileName, ec) : fs::path(fileName);
  if (ec) target = fs::path(fileName);
  struct stat old {};
  const bool existed = ::stat(target.c_str(), &old) == 0;

  // A name of its own per process and write: two instances never share one.
  static std::atomic<unsigned> counter{0};
  const std::string temp = target.string() + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    error = SystemError("cannot create " + temp);
    return false;
  }
  bool ok = WriteAll(fd, bytes);
  if (!ok) error = SystemError("cannot write " + temp);
  if (ok && existed && ::fchmod(fd, old.st_mode & 07777) != 0) {
    error = SystemError("cannot set the mode of " + temp);
    ok = false;
  }
  if (ok && ::fsync(fd) != 0) {
    error = SystemError("cannot flush " + temp);
    ok = false;
  }
  if (::close(fd) != 0 && ok) {
    error = SystemError("cannot close " + temp);
    ok = false;
  }
  if (ok && ::rename(temp.c_str(), target.c_str()) != 0) {
    error = SystemError("cannot replace " + target.string());
    ok = false;
  }
  if (!ok) ::unlink(temp.c_str());
  return ok;
}

// Only the first instance on a machine listens on a port: it holds an
// exclusive lock on a file named after the port for as long as it runs.
#pragma once

#include <string>

class TPortLock {
 public:
  // The folder of the lock files: $XDG_RUNTIME_DIR, else the temp folder.
  static std::string DefaultFolder();

  explicit TPortLock(std::string folder = DefaultFolder()) : folder_(std::move(folder)) {}
  ~TPortLock() { Release(); }
  TPortLock(const TPortLock&) = delete;
  TPortLock& operator=(const TPortLock&) = delete;

  // True when this instance is the first for the port (it then holds the
  // lock); false when another one holds it or the file cannot be made.
  bool Acquire(int port);
  void Release();
  bool Held() const { return fd_ >= 0; }
  std::string FileFor(int port) const;

 private:
  std::string folder_;
  int fd_ = -1;
};

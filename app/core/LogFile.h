// One open log file (or port device) that only ever grows at its end.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

class TLogFile {
 public:
  TLogFile() = default;
  ~TLogFile() { Close(); }
  TLogFile(const TLogFile&) = delete;
  TLogFile& operator=(const TLogFile&) = delete;

  // Creates the file when missing and holds it with an exclusive lock, so a
  // second writer (another instance) fails instead of interleaving.
  bool OpenFile(const std::string& path, std::string& error);
  // Takes over a device descriptor from OpenLogDevice.
  void AdoptDevice(int fd, const std::string& path);

  // Writes everything at the end. Fails (with `error`) when the file cannot
  // take it: disk full, size limit, a device that stalls, a file removed
  // while open (its data would be lost at close).
  bool Append(std::string_view data, std::string& error);

  // Rich text: removes the document's closing brace (and white space after
  // it) so new runs continue the document. A file without one, left by a
  // crash, is kept whole.
  bool CutClosingBrace(std::string& error);

  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  bool IsDevice() const { return device_; }
  std::uint64_t Size() const { return size_; }
  const std::string& Path() const { return path_; }

  // How long a device may refuse data before the log gives up.
  static constexpr int kDeviceStallMs = 5000;

 private:
  int fd_ = -1;
  bool device_ = false;
  std::uint64_t size_ = 0;
  std::string path_;
};

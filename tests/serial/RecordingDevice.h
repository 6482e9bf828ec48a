// Passes every call to a real device and notes how often the port opened
// and how many bytes each read brought.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "serial/TermiosPortDevice.h"

class TRecordingDevice final : public TPortDevice {
 public:
  int OpenCount() const {
    std::lock_guard lock(lock_);
    return opens_;
  }
  std::vector<std::size_t> ReadSizes() const {
    std::lock_guard lock(lock_);
    return reads_;
  }

  int Open(const std::string& path) override {
    {
      std::lock_guard lock(lock_);
      ++opens_;
    }
    return inner_.Open(path);
  }
  int Close() override { return inner_.Close(); }
  bool IsOpen() const override { return inner_.IsOpen(); }
  int Configure(const TLineSettings& s) override { return inner_.Configure(s); }
  int Purge() override { return inner_.Purge(); }
  unsigned WaitEvent(int& error) override { return inner_.WaitEvent(error); }
  void ReleaseWaits() override { inner_.ReleaseWaits(); }
  int Read(std::uint8_t* buffer, std::size_t max, std::size_t& got) override {
    const int result = inner_.Read(buffer, max, got);
    if (got > 0) {
      std::lock_guard lock(lock_);
      reads_.push_back(got);
    }
    return result;
  }
  int Write(std::uint8_t byte, int timeoutMs) override { return inner_.Write(byte, timeoutMs); }
  int WriteSome(const std::uint8_t* data, std::size_t size, std::size_t& written, int timeoutMs) override {
    return inner_.WriteSome(data, size, written, timeoutMs);
  }
  int OutputPending(bool& pending) override { return inner_.OutputPending(pending); }
  int GetModemLines(unsigned& lines) override { return inner_.GetModemLines(lines); }
  int SetModemLine(unsigned line, bool on) override { return inner_.SetModemLine(line, on); }
  int SetBreak(bool on) override { return inner_.SetBreak(on); }
  int GetCounters(TLineCounters& c) override { return inner_.GetCounters(c); }

 private:
  TTermiosPortDevice inner_;
  mutable std::mutex lock_;
  int opens_ = 0;
  std::vector<std::size_t> reads_;
};

// A serial port under /dev through termios2 and the tty ioctls.
#pragma once

#include <memory>
#include <shared_mutex>

#include "serial/ModemWatcher.h"
#include "serial/PortDevice.h"
#include "serial/PortWaitState.h"

class TTermiosPortDevice final : public TPortDevice {
 public:
  TTermiosPortDevice();
  ~TTermiosPortDevice() override;
  TTermiosPortDevice(const TTermiosPortDevice&) = delete;
  TTermiosPortDevice& operator=(const TTermiosPortDevice&) = delete;

  int Open(const std::string& path) override;
  int Close() override;
  bool IsOpen() const override;
  int Configure(const TLineSettings& settings) override;
  int ActualBaudrate(int& rate) override;
  int Purge() override;
  unsigned WaitEvent(int& error) override;
  void ReleaseWaits() override;
  int Read(std::uint8_t* buffer, std::size_t max, std::size_t& got) override;
  int Write(std::uint8_t byte, int timeoutMs) override;
  int WriteSome(const std::uint8_t* data, std::size_t size, std::size_t& written, int timeoutMs) override;
  int OutputPending(bool& pending) override;
  int GetModemLines(unsigned& lines) override;
  int SetModemLine(unsigned line, bool on) override;
  int SetBreak(bool on) override;
  int GetCounters(TLineCounters& counters) override;

 private:
  void OnModemChange(bool gone);
  static void Drain(int eventFd);
  static void Signal(int eventFd);

  // Calls that use the descriptor hold it shared; Close holds it alone, so
  // the number is never reused under a running call.
  mutable std::shared_mutex ioLock_;
  int fd_ = -1;
  // Two event descriptors: a sticky one for ReleaseWaits that writers watch
  // too, and one for modem changes that only the event wait consumes.
  int releaseFd_ = -1;
  int modemFd_ = -1;
  TPortWaitState waitState_;
  std::unique_ptr<TModemWatcher> watcher_;
};

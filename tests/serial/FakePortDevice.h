// A port device in memory, for what pseudo-terminals cannot carry: modem
// lines, line errors, a vanishing device. It delivers bytes the way the tty
// layer does with error marks on and counts faults before it queues them.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "serial/PortDevice.h"
#include "serial/PortWaitState.h"

class TFakePortDevice final : public TPortDevice {
 public:
  explicit TFakePortDevice(bool withCounters = true) : withCounters_(withCounters) {}

  // --- the far end (test thread) ---
  void PushByte(std::uint8_t byte);
  void PushParityError(std::uint8_t byte);
  void PushFrameError(std::uint8_t byte);
  void PushBreak();
  void PushOverrun();
  // Sets CTS, DSR, DCD, RI and raises a modem event even if nothing changed.
  void SetInputs(unsigned lines);
  void Vanish();
  void HoldWrites(bool hold);
  void FailOpenWith(int error) { failOpen_ = error; }
  // A driver that runs at this rate whatever it is asked for (0: as asked).
  void RunAtBaudrate(int rate) { forcedBaudrate_ = rate; }
  int ActualBaudrate(int& rate) override;

  // Waits until the reader is back in its wait with nothing left to take,
  // so every record of what was pushed is in the ring.
  bool Settle(std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Waits until a writer is held by HoldWrites.
  bool WaitWriterHeld(std::chrono::milliseconds limit = std::chrono::seconds(10));
  // Waits until text has been written in total.
  bool WaitWritten(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10));

  // --- what the port did ---
  std::string Written() const;
  unsigned Outputs() const;
  // "W:x" per byte, "RTS:1"/"DTR:0" per line switched, "BRK:1"/"BRK:0".
  std::vector<std::string> Log() const;
  int OpenCount() const;
  int LastWriteTimeout() const;
  std::string LastPath() const;
  TLineSettings Settings() const;

  // --- TPortDevice ---
  int Open(const std::string& path) override;
  int Close() override;
  bool IsOpen() const override;
  int Configure(const TLineSettings& settings) override;
  int Purge() override;
  unsigned WaitEvent(int& error) override;
  void ReleaseWaits() override;
  int Read(std::uint8_t* buffer, std::size_t max, std::size_t& got) override;
  int Write(std::uint8_t byte, int timeoutMs) override;
  int OutputPending(bool& pending) override;
  int GetModemLines(unsigned& lines) override;
  int SetModemLine(unsigned line, bool on) override;
  int SetBreak(bool on) override;
  int GetCounters(TLineCounters& counters) override;

 private:
  void Push(std::initializer_list<std::uint8_t> bytes);
  bool Pending() const;

  const bool withCounters_;
  mutable std::mutex lock_;
  std::condition_variable changed_;
  bool open_ = false;
  TPortWaitState waitState_;
  bool gone_ = false;  // unlike a modem event, stays until the next Open
  bool waiting_ = false;
  bool holdWrites_ = false;
  bool writerHeld_ = false;
  int failOpen_ = 0;
  std::atomic<int> forcedBaudrate_{0};
  int openCount_ = 0;
  int lastWriteTimeout_ = -1;
  std::string path_;
  TLineSettings settings_;
  std::string input_;
  std::string written_;
  unsigned inputs_ = 0;
  unsigned outputs_ = 0;
  TLineCounters counters_;
  std::vector<std::string> log_;
};

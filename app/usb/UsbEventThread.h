// The monitor's receive thread: polls the image's four record buffers in
// turn through the access layer, decodes each complete one into the ring.
// Every wait in it ends at once when the monitor is switched off, the
// thread is stopped or the program closes.
#pragma once

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <stop_token>
#include <thread>

#include "UsbDecoder.h"

class TUSBTamarik;

class TUSBEventThread {
 public:
  explicit TUSBEventThread(TUSBTamarik& owner);
  ~TUSBEventThread();  // stops and joins
  TUSBEventThread(const TUSBEventThread&) = delete;
  TUSBEventThread& operator=(const TUSBEventThread&) = delete;

  // Ends a sleep early (activation, a step, closing).
  void Wake();

 private:
  using TClock = std::chrono::steady_clock;

  void Loop(std::stop_token stop);
  // Idle: the monitor is off or the device failed.
  void Idle(std::stop_token stop);
  void InitialiseBuffers();
  // Polls ReadSlot until it is complete; false when polling had to stop
  // (monitor off, step mode, access error, stop) before it was.
  bool PollSlot(std::stop_token stop, int& length);
  // Reads the header and, when the payload is longer, the whole buffer;
  // the number of bytes now in buffer_.
  int ReadBuffer(uint16_t address);
  // The 8-byte fallback through a small read.
  int ReadInPieces(uint16_t address);
  bool KeepPolling(const std::stop_token& stop) const;
  void CountPass();
  void KeepDisplayGoing();
  bool Sleep(const std::stop_token& stop, std::chrono::microseconds time);

  TUSBTamarik& owner_;
  std::array<double, 4> slotTime_{};
  int readSlot_ = 0;
  int lastSlot_ = 0;
  bool initialised_ = false;
  uint64_t activationSeen_ = 0;
  bool errorReported_ = false;
  int passes_ = 0;
  TClock::time_point lastDisplay_ = TClock::now();
  TUsbDecodeState decode_;
  TUsbLoadStats load_;
  std::array<uint8_t, 8192> buffer_{};
  std::array<uint8_t, 256> init_{};
  std::array<uint8_t, 256> small_{};
  std::mutex sleepLock_;
  std::condition_variable_any wake_;
  std::jthread thread_;
};

// The interface box as a monitor: TUSBTamarik is switched active by the USB
// start once a monitor image runs; its receive thread polls the image's four
// record buffers through the access layer and writes what it decodes into
// the receive ring. No window in here: the pass count and errors leave
// through callbacks and counters any front end can read.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "UsbDecoder.h"

class TEzUsb;
class ReceiveRing;
class TUSBEventThread;

class TUSBTamarik {
 public:
  using TClock = std::function<double()>;  // local date-time now
  // lbUSB's text: the receive passes of the last second, or "-" while the
  // monitor idles. Called on the receive thread: hand it on, never wait.
  using TPassCountChanged = std::function<void(const std::string& text)>;

  // now defaults to NowDateTime. The thread is created idle.
  TUSBTamarik(TEzUsb& usb, ReceiveRing& ring, TClock now = {});
  ~TUSBTamarik();  // Active := False, thread stopped and joined
  TUSBTamarik(const TUSBTamarik&) = delete;
  TUSBTamarik& operator=(const TUSBTamarik&) = delete;

  bool Active() const { return active_.load(); }
  // True: 0x10B into 0x10C, the thread reads from the buffer after it,
  // Load 0, the buffers are initialised on the next pass. False: the
  // thread idles (a record held back for its line flags is handed out).
  void SetActive(bool active);

  // Window-thread work on the device while the monitor runs: the thread
  // leaves 3 ms between buffers while the count is above 0.
  void BeginDeviceAccess();
  void EndDeviceAccess();
  int32_t BusyCount() const { return busyCount_.load(); }

  // Single-buffer mode (chkUSBStop) and its step (btnUSBEinzel).
  std::atomic<bool> StepMode{false};
  std::atomic<bool> StepAllowed{true};
  // 0 V.24, 1 RS422/RS485/LIN, 2 CAN, 3 frequency, 4 baud rate, -1 none.
  std::atomic<int32_t> FirmwareType{0};

  // Percent load of the last 101 buffers (lbUSBBuffLast shows "n %").
  int32_t Load() const { return load_.load(); }
  // Receive passes in the last whole second; -1 while idle ("-").
  int32_t PassesPerSecond() const { return passesShown_.load(); }
  std::string PassText() const;
  void SetPassCountChanged(TPassCountChanged changed);

  // Buffers decoded since construction (tests, benchmarks).
  uint64_t BuffersDecoded() const { return buffersDecoded_.load(); }

  TEzUsb& Usb() { return usb_; }
  ReceiveRing& Ring() { return ring_; }

 private:
  friend class TUSBEventThread;
  void ShowPasses(int32_t passes);
  void SetLoad(int32_t load) { load_.store(load); }

  TEzUsb& usb_;
  ReceiveRing& ring_;
  TClock now_;
  std::atomic<bool> active_{false};
  std::atomic<uint64_t> activation_{0};  // bumped on each activation: the thread initialises again
  std::atomic<int32_t> readSlotStart_{0};
  std::atomic<int32_t> busyCount_{0};
  std::atomic<int32_t> load_{0};
  std::atomic<int32_t> passesShown_{-1};
  std::atomic<uint64_t> buffersDecoded_{0};
  std::mutex passLock_;
  TPassCountChanged passCountChanged_;
  std::unique_ptr<TUSBEventThread> thread_;
};

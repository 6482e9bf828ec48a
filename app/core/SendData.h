// DatenSenden: the one routine that puts a text on the monitored link. It
// parses escapes and CAN headers, routes the bytes by the operating mode to
// a serial port, the USB interface or nowhere, and echoes what was sent into
// the trace. The send dialog, the terminal front end and later the
// automation object all send through it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "core/UsbSendFrame.h"

// Bytes handed to an output since start; back to 0 where it would overflow.
extern std::atomic<std::int32_t> SentTotal;
void AddSentTotal(std::size_t count);

// Waits ms milliseconds; the window's version keeps the window alive.
using TSendWait = std::function<void(int ms)>;
// A plain sleep, for callers without a window.
void SleepWait(int ms);
// SendAbort or AppClosing.
bool SendStopped();

// A serial port as the send routine sees it.
class TSendPort {
 public:
  virtual ~TSendPort() = default;
  virtual std::string Name() const = 0;
  virtual bool Opened() const = 0;
  virtual bool CanAddTxOut() const = 0;
  virtual void AddTxOut(std::string_view bytes) = 0;
  // Everything handed over has been taken and has left the device.
  virtual bool TxDrained() = 0;
  // 0 = RTS, 1 = DTR: the line that switches a two-wire bus to transmit.
  virtual void SetDirectionLine(int line) = 0;
  virtual void SendBreak(const TSendWait& wait) = 0;
};

// The USB interface's send path. Throws when a frame does not go out.
class TUsbSendOutput {
 public:
  virtual ~TUsbSendOutput() = default;
  // Sends the frames in order; returns the number of data bytes that left.
  virtual std::size_t SendFrames(std::vector<TUsbSendFrame>& frames, bool waitDone, const TSendWait& wait) = 0;
};

// Until the USB transfer exists: sends nothing and says so.
class TUsbSendUnavailable final : public TUsbSendOutput {
 public:
  std::size_t SendFrames(std::vector<TUsbSendFrame>& frames, bool waitDone, const TSendWait& wait) override;
};

// Which port takes a serial send and which line it switches; Port null:
// nothing is sent (the coupling mode has no port B).
struct TSendRoute {
  TSendPort* Port = nullptr;
  int DirectionLine = 0;
};
TSendRoute SerialSendRoute(int workMode, bool targetB, TSendPort* portA, TSendPort* portB);

// Typed text (UTF-8) as the bytes that go out: each character in the ANSI
// code page, "?" where it has none.
std::string SendBytesFromUtf8(std::string_view text);

class TSendRoutine {
 public:
  // --- configuration (window thread) ---
  void SetWorkMode(int workMode, bool usbChosen);
  void SetPorts(TSendPort* portA, TSendPort* portB);
  void SetUsb(TUsbSendOutput* usb);
  // ShowSentData: the echo, UTF-8, without the trailing CR LF.
  void SetEcho(std::function<void(const std::string&)> echo);
  int WorkMode() const;

  // --- any thread, one send at a time per caller ---
  // Text holds bytes (ANSI). Failures are reported (28 bad CAN identifier,
  // 28.2 anything else) and send nothing further; no echo then. True when
  // the bytes went out.
  bool DatenSenden(bool TargetB, std::string_view Text, bool AddCR, bool AddLF, bool Raw, bool WaitDone,
                   bool BreakOrRtr, int RtrLength, const TSendWait& wait = SleepWait);

 private:
  struct TConfig {
    int WorkMode = 0;
    bool UsbChosen = false;
    TSendPort* PortA = nullptr;
    TSendPort* PortB = nullptr;
    TUsbSendOutput* Usb = nullptr;
    std::function<void(const std::string&)> Echo;
  };
  TConfig Config() const;
  // False when nothing was sent (stopped, or no output in this mode).
  bool SendSerial(const TConfig& config, bool targetB, const std::string& bytes, bool waitDone, bool breakFirst,
                  const TSendWait& wait);
  bool SendUsb(const TConfig& config, TUsbSendFrame& templ, const std::string& bytes, bool waitDone,
               const TSendWait& wait);

  mutable std::mutex lock_;
  TConfig config_;
  TUsbSendUnavailable usbUnavailable_;
};

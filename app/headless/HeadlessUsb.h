// The terminal front end's USB modes: the box named by --device (or, for
// "--demo usb", an emulated one running our V24 image, its two inputs fed
// by the simulated PC and controller), the monitor writing into the ring,
// and the monitor's once-a-second duty.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "UsbStart.h"
#include "core/UsbSendHandshake.h"

class ReceiveRing;
class TCanDemo;
class TDemoSource;
class TEmulatedBox;
class TEzUsb;
class TEzUsbSendDevice;
class TFirmwareLoader;
class TUSBTamarik;
class TUsbWatch;

class THeadlessUsb {
 public:
  static constexpr uint32_t kDemoBaud = 115200;

  explicit THeadlessUsb(ReceiveRing& ring);
  ~THeadlessUsb();
  THeadlessUsb(const THeadlessUsb&) = delete;
  THeadlessUsb& operator=(const THeadlessUsb&) = delete;

  // Opens deviceName (empty: "\\.\tamarik-0" and the numbers after it) and
  // runs the USB start; false with the failure reported.
  bool Start(const TUsbStartRequest& request, const std::string& deviceName);
  // An emulated box on our V24 image, both inputs at 115200 Bd, fed by the
  // demo's conversation (the PC on input 1, the controller on input 2).
  bool StartDemo(int pauseMs = 250);
  // An emulated box on our CAN image in mode 440 on the CAN demo's bus.
  bool StartCanDemo();
  // Once a second: finds a box that was unplugged again and restarts it.
  void Tick();
  void Stop();

  std::string DeviceName() const;
  TUSBTamarik& Monitor() { return *monitor_; }
  // Sends through the box, with the monitor's device-access bracket.
  TUsbSendOutput& SendOutput() { return *send_; }
  TCanDemo* CanDemo() { return canDemo_.get(); }

 private:
  void FeedDemo(bool fromSps, const std::string& bytes);
  // The USB start of `request` on deviceName; configureCan sets the CAN
  // controller up when the image is the CAN one.
  bool Run(const TUsbStartRequest& request, const std::string& deviceName, std::function<bool()> configureCan);

  TEzUsb& usb_;
  ReceiveRing& ring_;
  TUsbStartRequest request_;
  std::unique_ptr<TUSBTamarik> monitor_;
  std::unique_ptr<TFirmwareLoader> loader_;
  std::unique_ptr<TUsbWatch> watch_;
  std::unique_ptr<TEzUsbSendDevice> sendDevice_;
  std::unique_ptr<TUsbHandshakeSend> send_;
  std::unique_ptr<TEmulatedBox> box_;
  std::unique_ptr<TCanDemo> canDemo_;
  std::unique_ptr<TDemoSource> source_;
  std::mutex feedLock_;
  uint64_t feedEnd_[2] = {};
};

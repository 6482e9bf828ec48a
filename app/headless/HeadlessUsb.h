// The terminal front end's USB modes: the box named by --device (or, for
// "--demo usb", an emulated one running our V24 image, its two inputs fed
// by the simulated PC and controller), the monitor writing into the ring,
// and the monitor's once-a-second duty.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "UsbDemoBox.h"
#include "UsbStart.h"
#include "core/UsbSendHandshake.h"

class ReceiveRing;
class TCanDemo;
class TEzUsb;
class TEzUsbSendDevice;
class TFirmwareLoader;
class TUSBTamarik;
class TUsbWatch;

class THeadlessUsb {
 public:
  static constexpr uint32_t kDemoBaud = TUsbDemoBox::kBaud;

  explicit THeadlessUsb(ReceiveRing& ring);
  ~THeadlessUsb();
  THeadlessUsb(const THeadlessUsb&) = delete;
  THeadlessUsb& operator=(const THeadlessUsb&) = delete;

  // Opens deviceName (empty: "\\.\tamarik-0" and the numbers after it) and
  // runs the USB start; false with the failure reported.
  bool Start(const TUsbStartRequest& request, const std::string& deviceName);
  // The CAN image's controller set-up and the frequency image's input and
  // cycle, run by every start (also the one after a replug).
  void SetImageSetup(std::function<bool(uint32_t bitRate)> configureCan, std::function<bool()> startMeasurement);
  // The emulated demo box (TUsbDemoBox) on this monitor.
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
  TEzUsb& usb_;
  ReceiveRing& ring_;
  TUsbStartRequest request_;
  std::function<bool(uint32_t bitRate)> configureCan_;
  std::function<bool()> startMeasurement_;
  TUsbStartUi StartUi() const;
  std::unique_ptr<TUSBTamarik> monitor_;
  std::unique_ptr<TFirmwareLoader> loader_;
  std::unique_ptr<TUsbWatch> watch_;
  std::unique_ptr<TEzUsbSendDevice> sendDevice_;
  std::unique_ptr<TUsbHandshakeSend> send_;
  std::unique_ptr<TUsbDemoBox> demo_;
  std::unique_ptr<TCanDemo> canDemo_;
};

// The send path's view of the access layer: the send buffer, the memory
// requests and the failure flag of TEzUsb, and the USB component's
// device-access bracket handed in by whoever owns the receive thread.
#pragma once

#include <functional>

#include "EZUSB.h"
#include "core/UsbSendHandshake.h"

class TEzUsbSendDevice final : public TUsbSendDevice {
 public:
  // beginAccess/endAccess: BeginDeviceAccess/EndDeviceAccess of the USB
  // component; empty while no receive thread runs.
  explicit TEzUsbSendDevice(TEzUsb& usb, std::function<void()> beginAccess = {}, std::function<void()> endAccess = {})
      : usb_(usb), begin_(std::move(beginAccess)), end_(std::move(endAccess)) {}

  void DownloadSmall(std::uint16_t address, const std::uint8_t* bytes, int length) override;
  bool WriteRam(std::uint16_t address, std::uint8_t value) override { return usb_.UsbWriteRam(address, value); }
  std::uint8_t ReadRam(std::uint16_t address) override { return usb_.UsbReadRam(address); }
  bool ReadRamSmall(std::uint16_t address, int count, std::uint8_t* out) override;
  bool Error() const override { return usb_.UsbError.load(); }
  void BeginDeviceAccess() override {
    if (begin_) begin_();
  }
  void EndDeviceAccess() override {
    if (end_) end_();
  }

 private:
  TEzUsb& usb_;
  std::function<void()> begin_, end_;
};

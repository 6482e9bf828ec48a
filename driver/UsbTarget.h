// What the driver needs of one attached chip; a libusb device or an
// emulated one stands behind it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tamarikusb {

class TEzUsbDevice;

class TUsbTarget {
 public:
  virtual ~TUsbTarget() = default;
  // A control transfer; false when it failed (the device is gone, stalled).
  virtual bool Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* data,
                       uint16_t length, size_t& transferred) = 0;
  virtual bool Bulk(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) = 0;
  // The chip's USB core serves interrupt endpoints as it does bulk ones.
  virtual bool Interrupt(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) {
    return Bulk(endpoint, data, length, transferred);
  }
  // One isochronous IN packet of at most `length` bytes.
  virtual bool IsoIn(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) = 0;
  virtual std::vector<uint8_t> DeviceDescriptor() = 0;
  virtual std::vector<uint8_t> ConfigDescriptor() = 0;
  virtual std::vector<uint8_t> StringDescriptor(uint8_t index, uint16_t language) = 0;
  virtual uint32_t FrameNumber() = 0;
  virtual bool ResetPort() = 0;
  virtual bool Configured() = 0;
};

std::unique_ptr<TUsbTarget> MakeEmulatedTarget(std::shared_ptr<TEzUsbDevice> device);

// libusb: chips with our identifiers or the unconfigured chip's. `message`
// says what was found, or why nothing could be.
struct TLibusbScan {
  std::vector<std::unique_ptr<TUsbTarget>> targets;
  std::vector<std::string> keys;  // bus and address, to know a device again
  std::string message;
};
TLibusbScan ScanLibusb(const std::vector<std::string>& known);

}  // namespace tamarikusb

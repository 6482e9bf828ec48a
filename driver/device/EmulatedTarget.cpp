// The emulated chip behind the driver: its USB core answers the memory-load
// request and the standard requests; bulk and interrupt endpoints move data
// only when the firmware arms them.
#include "EzUsbDevice.h"
#include "UsbTarget.h"

namespace tamarikusb {

namespace {

class TEmulatedTarget : public TUsbTarget {
 public:
  explicit TEmulatedTarget(std::shared_ptr<TEzUsbDevice> d) : device_(std::move(d)) {}

  bool Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t, uint8_t* data, uint16_t length,
               size_t& transferred) override {
    transferred = 0;
    if (!device_->Plugged()) return false;
    const bool vendor = (requestType & 0x60) == 0x40;
    if (vendor && request == kMemoryLoadRequest) {
      if (!device_->MemoryLoad(requestType & 0x80, value, data, length)) return false;
      transferred = length;
      return true;
    }
    if (requestType == 0x00 && request == 3) return true;  // SET_FEATURE
    return false;                                          // nothing else is served without firmware
  }
  bool Bulk(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) override {
    return device_->Bulk(endpoint, data, length, transferred);
  }
  // The isochronous test source: a running byte count.
  bool IsoIn(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) override {
    transferred = 0;
    if (endpoint != 0x88 || !device_->Plugged()) return false;
    for (size_t i = 0; i < length; ++i) data[i] = isoCount_++;
    transferred = length;
    return true;
  }
  std::vector<uint8_t> DeviceDescriptor() override {
    const auto& d = device_->DeviceDescriptor();
    return {d.begin(), d.end()};
  }
  std::vector<uint8_t> ConfigDescriptor() override { return device_->ConfigDescriptor(); }
  std::vector<uint8_t> StringDescriptor(uint8_t index, uint16_t) override { return device_->StringDescriptor(index); }
  uint32_t FrameNumber() override { return device_->FrameNumber(); }
  bool ResetPort() override { return device_->Plugged(); }
  bool Configured() override {
    const auto& d = device_->DeviceDescriptor();
    return (d[10] | (d[11] << 8)) == kTamarikProductId;
  }

 private:
  std::shared_ptr<TEzUsbDevice> device_;
  uint8_t isoCount_ = 0;
};

}  // namespace

std::unique_ptr<TUsbTarget> MakeEmulatedTarget(std::shared_ptr<TEzUsbDevice> device) {
  return std::make_unique<TEmulatedTarget>(std::move(device));
}

}  // namespace tamarikusb

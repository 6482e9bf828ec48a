// Real chips through libusb-1.0: no kernel module, only access rights to
// the device node (a udev rule).
#include <libusb.h>

#include "device/EzUsbDevice.h"
#include "TamarikUsb.h"
#include "UsbTarget.h"

namespace tamarikusb {

namespace {

constexpr unsigned kTimeoutMs = 1000;

libusb_context* Context(std::string& error) {
  static libusb_context* ctx = nullptr;
  static int rc = libusb_init(&ctx);
  if (rc != 0) error = std::string("libusb cannot start: ") + libusb_error_name(rc);
  return rc == 0 ? ctx : nullptr;
}

class TLibusbTarget : public TUsbTarget {
 public:
  TLibusbTarget(libusb_device_handle* h, uint16_t product) : handle_(h), product_(product) {}
  ~TLibusbTarget() override { libusb_close(handle_); }

  bool Control(uint8_t requestType, uint8_t request, uint16_t value, uint16_t index, uint8_t* data, uint16_t length,
               size_t& transferred) override {
    const int n = libusb_control_transfer(handle_, requestType, request, value, index, data, length, kTimeoutMs);
    transferred = n > 0 ? static_cast<size_t>(n) : 0;
    return n >= 0;
  }
  bool Bulk(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) override {
    int n = 0;
    const int rc = libusb_bulk_transfer(handle_, endpoint, data, static_cast<int>(length), &n, kTimeoutMs);
    transferred = static_cast<size_t>(n);
    return rc == 0;
  }
  bool Interrupt(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) override {
    int n = 0;
    const int rc = libusb_interrupt_transfer(handle_, endpoint, data, static_cast<int>(length), &n, kTimeoutMs);
    transferred = static_cast<size_t>(n);
    return rc == 0;
  }
  // One packet per call, as the stream thread asks for them; the transfer
  // runs through libusb's event loop until it has completed or was cancelled.
  bool IsoIn(uint8_t endpoint, uint8_t* data, size_t length, size_t& transferred) override {
    transferred = 0;
    std::string error;
    libusb_context* ctx = Context(error);
    libusb_transfer* t = ctx ? libusb_alloc_transfer(1) : nullptr;
    if (t == nullptr) return false;
    int done = 0;
    libusb_fill_iso_transfer(
        t, handle_, endpoint, data, static_cast<int>(length), 1,
        [](libusb_transfer* x) { *static_cast<int*>(x->user_data) = 1; }, &done, kTimeoutMs);
    libusb_set_iso_packet_lengths(t, static_cast<unsigned>(length));
    bool ok = false;
    if (libusb_submit_transfer(t) == 0) {
      while (!done) {
        if (libusb_handle_events_completed(ctx, &done) != 0) {
          libusb_cancel_transfer(t);
          while (!done) libusb_handle_events_completed(ctx, &done);
        }
      }
      const libusb_iso_packet_descriptor& p = t->iso_packet_desc[0];
      ok = t->status == LIBUSB_TRANSFER_COMPLETED && p.status == LIBUSB_TRANSFER_COMPLETED;
      if (ok) transferred = p.actual_length;
    }
    libusb_free_transfer(t);
    return ok;
  }
  std::vector<uint8_t> DeviceDescriptor() override {
    std::vector<uint8_t> d(18);
    const int n = libusb_get_descriptor(handle_, LIBUSB_DT_DEVICE, 0, d.data(), 18);
    d.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return d;
  }
  std::vector<uint8_t> ConfigDescriptor() override {
    std::vector<uint8_t> d(4096);
    const int n = libusb_get_descriptor(handle_, LIBUSB_DT_CONFIG, 0, d.data(), static_cast<int>(d.size()));
    d.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return d;
  }
  std::vector<uint8_t> StringDescriptor(uint8_t index, uint16_t language) override {
    std::vector<uint8_t> d(255);
    const int n = libusb_get_string_descriptor(handle_, index, language, d.data(), static_cast<int>(d.size()));
    d.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return d;
  }
  uint32_t FrameNumber() override { return 0; }
  bool ResetPort() override { return libusb_reset_device(handle_) == 0; }
  bool Configured() override { return product_ == kTamarikProductId; }

 private:
  libusb_device_handle* handle_;
  uint16_t product_;
};

}  // namespace

TAccessProbe ProbeRealChipAccess() {
  TAccessProbe probe;
  std::string error;
  libusb_context* ctx = Context(error);
  if (!ctx) return probe;
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(ctx, &list);
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor d{};
    if (libusb_get_device_descriptor(list[i], &d) != 0 || d.idVendor != kVendorId) continue;
    if (d.idProduct != kTamarikProductId && d.idProduct != kUnconfiguredProductId) continue;
    ++probe.present;
    libusb_device_handle* h = nullptr;
    const int rc = libusb_open(list[i], &h);
    if (rc == LIBUSB_ERROR_ACCESS) ++probe.denied;
    if (rc == 0) libusb_close(h);
  }
  if (count >= 0) libusb_free_device_list(list, 1);
  return probe;
}

TLibusbScan ScanLibusb(const std::vector<std::string>& known) {
  TLibusbScan scan;
  libusb_context* ctx = Context(scan.message);
  if (!ctx) return scan;
  libusb_device** list = nullptr;
  const ssize_t count = libusb_get_device_list(ctx, &list);
  if (count < 0) {
    scan.message = std::string("libusb cannot list devices: ") + libusb_error_name(static_cast<int>(count));
    return scan;
  }
  int seen = 0;
  for (ssize_t i = 0; i < count; ++i) {
    libusb_device_descriptor d{};
    if (libusb_get_device_descriptor(list[i], &d) != 0 || d.idVendor != kVendorId) continue;
    if (d.idProduct != kTamarikProductId && d.idProduct != kUnconfiguredProductId) continue;
    ++seen;
    const std::string key = std::to_string(libusb_get_bus_number(list[i])) + ":" +
                            std::to_string(libusb_get_device_address(list[i]));
    bool old = false;
    for (const auto& k : known) old = old || k == key;
    if (old) continue;
    libusb_device_handle* h = nullptr;
    const int rc = libusb_open(list[i], &h);
    if (rc != 0) {
      scan.message = "EZ-USB chip at " + key + " cannot be opened: " + libusb_error_name(rc);
      continue;
    }
    scan.targets.push_back(std::make_unique<TLibusbTarget>(h, d.idProduct));
    scan.keys.push_back(key);
  }
  libusb_free_device_list(list, 1);
  if (seen == 0) scan.message = "no EZ-USB interface found on USB";
  return scan;
}

}  // namespace tamarikusb

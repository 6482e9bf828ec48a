#include "USB.h"

#include "EZUSB.h"
#include "UsbEventThread.h"
#include "core/DateTime.h"

TUSBTamarik::TUSBTamarik(TEzUsb& usb, ReceiveRing& ring, TClock now)
    : usb_(usb), ring_(ring), now_(now ? std::move(now) : TClock(NowDateTime)) {
  thread_ = std::make_unique<TUSBEventThread>(*this);
}

TUSBTamarik::~TUSBTamarik() {
  active_ = false;
  thread_.reset();
}

void TUSBTamarik::SetActive(bool active) {
  if (active) {
    const uint8_t s = usb_.UsbReadRam(kUsbFillSlotAddress);
    usb_.UsbWriteRam(kUsbReadSlotAddress, s);
    readSlotStart_ = (s + 1) & 3;
    load_ = 0;
    activation_.fetch_add(1);
  }
  active_ = active;
  if (thread_) thread_->Wake();
}

void TUSBTamarik::BeginDeviceAccess() { busyCount_.fetch_add(1); }

void TUSBTamarik::EndDeviceAccess() {
  int32_t count = busyCount_.load();
  while (count > 0 && !busyCount_.compare_exchange_weak(count, count - 1)) {
  }
}

std::string TUSBTamarik::PassText() const {
  const int32_t passes = passesShown_.load();
  return passes < 0 ? std::string("-") : std::to_string(passes);
}

void TUSBTamarik::SetPassCountChanged(TPassCountChanged changed) {
  std::lock_guard lock(passLock_);
  passCountChanged_ = std::move(changed);
}

void TUSBTamarik::ShowPasses(int32_t passes) {
  passesShown_ = passes;
  std::lock_guard lock(passLock_);
  if (passCountChanged_) passCountChanged_(PassText());
}

#include "UsbWatch.h"

#include "EZUSB.h"
#include "USB.h"

TUsbWatch::TUsbWatch(TEzUsb& usb, TUSBTamarik& monitor, std::function<bool()> restart, std::function<void()> deviceError)
    : usb_(usb), monitor_(monitor), restart_(std::move(restart)), deviceError_(std::move(deviceError)) {}

bool TUsbWatch::Answers() {
  // An open handle alone proves little: the chip must answer a request.
  if (!usb_.UsbReopen()) return false;
  usb_.UsbReadRam(TEzUsb::Cpucs);
  return !usb_.UsbError.load();
}

TUsbLamp TUsbWatch::Tick() {
  if (usb_.UsbError.load() && monitor_.Active()) {
    lost_ = true;  // the receive thread idles and has reported it
    if (lamp_ != ulRed && !usb_.UsbReopen() && deviceError_) deviceError_();
  }
  if (usb_.UsbError.load() || lost_) {
    lamp_ = ulRed;
    // Back again: its image is gone, so the whole start runs again.
    if (lost_ && Answers() && restart_ && restart_()) {
      lost_ = false;
      lamp_ = ulGreen;
    }
  } else {
    lamp_ = monitor_.Active() ? ulGreen : ulButtonFace;
  }
  closeTick_ = !closeTick_;
  if (closeTick_) usb_.UsbCloseRequest = true;
  return lamp_;
}

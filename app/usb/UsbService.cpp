#include "UsbService.h"

#include <cstdio>

#include "EZUSB.h"

TUsbDeviceChoice DeviceForChoice(int item, const std::string& freeName) {
  switch (item) {
    case udChip: return {"\\\\.\\ezusb-0", false};
    case udFree: return {freeName, true};
    case udSecond: return {"\\\\.\\tamarik-1", true};
    default: return {"\\\\.\\tamarik-0", false};
  }
}

std::string DriverVersionText(uint16_t major, uint16_t minor, uint16_t build) {
  char text[32];
  std::snprintf(text, sizeof text, "V%u.%u.%04X", unsigned(major), unsigned(minor), unsigned(build));
  return text;
}

TMemoryRead ReadMemoryBytes(TEzUsb& usb, uint16_t start, int count) {
  TMemoryRead r;
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X:", unsigned(start));
  r.Text = hex;
  for (int i = 0; i <= count; ++i) {
    const uint8_t byte = usb.UsbReadRam(static_cast<uint16_t>(start + i));
    if (usb.UsbError) {
      r.Ok = false;
      break;
    }
    std::snprintf(hex, sizeof hex, "%02X ", unsigned(byte));
    r.Text += hex;
  }
  return r;
}

bool CheckDevice(TEzUsb& usb, bool reopen, const std::function<void()>& deviceError) {
  const bool fine = reopen ? usb.UsbReopen() : !usb.UsbError;
  if (!fine && deviceError) deviceError();
  return fine;
}

void TUsbTimerDuty::SetLamp(TUsbLamp lamp) {
  lamp_ = lamp;
  if (hooks_.Lamp) hooks_.Lamp(lamp);
}

void TUsbTimerDuty::Tick() {
  const bool active = hooks_.MonitorActive && hooks_.MonitorActive();
  if (usb_.UsbError && active) {
    if (hooks_.EnableOk) hooks_.EnableOk();
    // Reported once: while the lamp is red the error stands.
    if (lamp_ != TUsbLamp::Red) CheckDevice(usb_, true, [&] {
        if (hooks_.DeviceError) hooks_.DeviceError();
        SetLamp(TUsbLamp::Red);
      });
  }
  if (usb_.UsbError) {
    SetLamp(TUsbLamp::Red);
    const bool retry = hooks_.UsbModeChosen && hooks_.UsbModeChosen() && hooks_.OkEnabled && hooks_.OkEnabled();
    if (retry && usb_.UsbReopen() && hooks_.RunOk) hooks_.RunOk();
  } else {
    SetLamp(active ? TUsbLamp::Green : TUsbLamp::ButtonFace);
  }
  // The handle is held only briefly, so the box can be unplugged meanwhile.
  if (++ticks_ % 2 == 0) usb_.UsbCloseRequest = true;
}

bool ConfigEepromFound() {
  const tamarikusb::THandle h = tamarikusb::Open("\\\\.\\tamarik-0");
  if (h) tamarikusb::Close(h);
  return h != 0;
}

// The window-free part of the USB page: the device choice, the memory read
// and its text, the driver version text, the device check and the timer's
// duties. The page shows what these return.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TEzUsb;

// Items of the device choice: the bare chip, the first interface, a free
// name, the second interface.
enum TUsbDeviceItem { udChip = 0, udFirst = 1, udFree = 2, udSecond = 3 };

struct TUsbDeviceChoice {
  std::string Name;
  bool Fixed = false;  // open only this name, no scan
};
TUsbDeviceChoice DeviceForChoice(int item, const std::string& freeName);

// "V1.1.3A15": the build as four hexadecimal digits.
std::string DriverVersionText(uint16_t major, uint16_t minor, uint16_t build);

struct TMemoryRead {
  std::string Text;  // "0100:12 34 56 78 "
  bool Ok = true;    // false: an access error stopped the read
};
// Reads the bytes from `start` to `start + count` (both included) one at a
// time; stops at the first access error.
TMemoryRead ReadMemoryBytes(TEzUsb& usb, uint16_t start, int count);

// With reopen: reopens and reports a failure; without, reports when the
// last request failed. Returns whether the device is fine.
bool CheckDevice(TEzUsb& usb, bool reopen, const std::function<void()>& deviceError);

// The indicator beside the page and on the interface page.
enum class TUsbLamp { ButtonFace, Green, Red, Yellow };

// What the main window's timer does for the USB interface once a tick.
struct TUsbTimerHooks {
  std::function<bool()> MonitorActive;  // TUSBTamarik is active
  std::function<bool()> UsbModeChosen;  // rgrpG
  std::function<bool()> OkEnabled;     // the interface page's OK action
  std::function<void()> EnableOk;
  std::function<void()> RunOk;        // start the USB mode again
  std::function<void()> DeviceError;  // beep, status text, lamp red
  std::function<void(TUsbLamp)> Lamp;
};

class TUsbTimerDuty {
 public:
  TUsbTimerDuty(TEzUsb& usb, TUsbTimerHooks hooks) : usb_(usb), hooks_(std::move(hooks)) {}
  void Tick();
  TUsbLamp Lamp() const { return lamp_; }
  // Set by the page when it reports a device error itself.
  void SetLamp(TUsbLamp lamp);

 private:
  TEzUsb& usb_;
  TUsbTimerHooks hooks_;
  TUsbLamp lamp_ = TUsbLamp::ButtonFace;
  unsigned ticks_ = 0;
};

// A configured interface (one whose EEPROM gave it our identifiers) answers
// under the first interface's name.
bool ConfigEepromFound();

// The monitor's part of the one-second timer, without a window: the state
// lamp, and after the box was unplugged while monitoring, finding it again
// and running the USB start anew (a replugged box has lost its image).
#pragma once

#include <functional>

class TEzUsb;
class TUSBTamarik;

// shUSBOK's colours.
enum TUsbLamp { ulButtonFace = 0, ulYellow = 1, ulGreen = 2, ulRed = 3 };

class TUsbWatch {
 public:
  // restart runs the USB start and says whether the monitor runs again;
  // deviceError shows the device error (beep, status line) once per loss.
  TUsbWatch(TEzUsb& usb, TUSBTamarik& monitor, std::function<bool()> restart, std::function<void()> deviceError = {});

  // One tick; returns the lamp. Every second tick asks the access layer to
  // close the device after its next request, so it can be unplugged.
  TUsbLamp Tick();
  // The USB mode was left (or never chosen): nothing to restart.
  void Forget() { lost_ = false; }

 private:
  bool Answers();

  TEzUsb& usb_;
  TUSBTamarik& monitor_;
  std::function<bool()> restart_;
  std::function<void()> deviceError_;
  TUsbLamp lamp_ = ulButtonFace;
  bool lost_ = false;  // the monitor ran when the device failed
  bool closeTick_ = false;
};

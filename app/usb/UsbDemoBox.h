// The USB demo without a window: an emulated box on our V24 image, both
// inputs at 115200 Bd, fed by the serial demo's conversation (the PC on
// input 1, the controller on input 2). Both front ends run it through their
// own USB start on their own monitor.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "UsbStart.h"

class TDemoSource;
class TEmulatedBox;

class TUsbDemoBox {
 public:
  static constexpr uint32_t kBaud = 115200;

  explicit TUsbDemoBox(int pauseMs = 250);
  // Unplugs the box; the owner has switched its monitor off and closed the
  // access layer's handle before.
  ~TUsbDemoBox();
  TUsbDemoBox(const TUsbDemoBox&) = delete;
  TUsbDemoBox& operator=(const TUsbDemoBox&) = delete;

  // Plugs the box in and returns its name: the last emulated box that
  // opens, since others may come from the environment.
  std::string Attach();
  // What the USB start is asked for: mode 410, both inputs at kBaud.
  static TUsbStartRequest Request();
  // Once the monitor runs: the conversation starts, and stops again.
  void StartConversation();
  void StopConversation();

 private:
  void Feed(bool fromSps, const std::string& bytes);

  int pauseMs_;
  std::unique_ptr<TEmulatedBox> box_;
  std::unique_ptr<TDemoSource> source_;
  std::mutex feedLock_;
  uint64_t feedEnd_[2] = {};
};

// An emulated box whose core runs on its own thread in real time, with the
// monitor, the USB start and a consumer that takes the ring's records as
// the receive pipeline would.
#pragma once

#include <chrono>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "FirmwareLoad.h"
#include "InterfaceBoard.h"
#include "USB.h"
#include "UsbStart.h"
#include "core/ReceiveRing.h"

class TUsbMonitorRig {
 public:
  TUsbMonitorRig();
  ~TUsbMonitorRig();

  TUsbStartResult Start(int workMode, uint32_t baud);
  // Sends bytes back to back into an input from a little after now; returns
  // the core cycle its last stop bit ends.
  uint64_t Feed(int input, const std::vector<uint8_t>& bytes, uint32_t baud);
  // Takes committed records until `bytes` serial bytes arrived or the
  // deadline passed; false on the deadline.
  bool CollectBytes(size_t bytes, std::chrono::seconds deadline);
  // Waits until done() or the deadline.
  template <typename F>
  bool WaitUntil(F done, std::chrono::seconds deadline) {
    const auto until = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
      if (std::chrono::steady_clock::now() > until) return false;
      TakeRecords();
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
  }
  std::vector<std::string> Reports();
  void TakeRecords();

  std::shared_ptr<tamarikusb::TEzUsbDevice> chip;
  std::unique_ptr<tamarikusb::TInterfaceBoard> board;
  TEzUsb usb;
  ReceiveRing ring;
  std::unique_ptr<TUSBTamarik> monitor;
  std::unique_ptr<TFirmwareLoader> loader;
  // What the consumer took: bytes by input, and every record.
  std::vector<uint8_t> input1, input2;
  std::vector<TSeriellData> records;

 private:
  std::mutex reportLock_;
  std::vector<std::string> reports_;
};

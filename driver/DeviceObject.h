// One attached interface as the driver keeps it: its names, its target and
// the device lock that keeps removal from freeing it under a request.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "IsoStream.h"
#include "TamarikUsb.h"
#include "UsbTarget.h"

namespace tamarikusb {

struct TDeviceObject {
  std::string linkName;   // "tamarik-N" or "ezusb-N"
  std::string aliasName;  // "tamarik-emu-N" for emulated devices
  std::string key;        // bus:address of a libusb device
  std::shared_ptr<TEzUsbDevice> emulated;
  std::unique_ptr<TUsbTarget> target;
  bool started = true;
  uint32_t lastUsbError = 0;
  uint8_t interfaceNumber = 0, alternateSetting = 0;
  std::mutex isoMutex;
  std::unique_ptr<TIsoStream> iso;  // declared after the target it reads from

  // Device lock: PendingIo starts at 1; a request holds one count; removal
  // sets Removing, drops the initial count and waits for zero.
  std::mutex lockMutex;
  std::condition_variable removeEvent;
  int pendingIo = 1;
  bool removing = false;

  bool Acquire();
  void Release();
  void RemoveAndWait();
};

// Serves one control request on an acquired device.
uint32_t Dispatch(TDeviceObject& dev, uint32_t code, const uint8_t* in, size_t inLength, uint8_t* out,
                  size_t outLength, size_t& information);

}  // namespace tamarikusb

// An emulated interface running one of our images, driven step by step from
// the test's thread: the core runs for a given time, then the host side
// reads the record buffers the way the receive thread does (activation,
// the first pass that initialises the four buffers, polling in turn).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "InterfaceBoard.h"

struct TRawRecord {
  uint8_t status, data, tick;
  uint8_t slot;  // buffer it came in
  uint8_t ref;   // that buffer's reference tick (byte 2)
};

class TFirmwareRig {
 public:
  explicit TFirmwareRig(const std::string& image);
  ~TFirmwareRig();

  void RunMicroseconds(uint64_t us);
  uint64_t Now() { return board->Now(); }
  static uint64_t Cycles(double us) { return static_cast<uint64_t>(us * 6.0); }

  // The host's activation: 0x10B into 0x10C, the first pass over the four
  // buffers, polling from the next one.
  void Activate();
  // One poll pass as the receive thread makes it: reads the complete
  // buffers in turn, at most four; returns the number read.
  int Poll();
  // Runs for `us` microseconds, polling every `pollUs`.
  void RunPolling(uint64_t us, uint64_t pollUs);

  std::vector<TRawRecord> records;
  std::vector<uint8_t> buffersHigh;  // high four bits of byte 1 of each buffer read
  std::vector<std::vector<uint8_t>> buffers;  // each buffer read, L + 3 bytes
  std::shared_ptr<tamarikusb::TEzUsbDevice> chip;
  std::unique_ptr<tamarikusb::TInterfaceBoard> board;
  TEzUsb usb;

 private:
  int readSlot_ = 0;
};

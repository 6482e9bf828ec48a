#include "FirmwareRig.h"

#include <gtest/gtest.h>

#include "FirmwareLoad.h"

using namespace tamarikusb;

TFirmwareRig::TFirmwareRig(const std::string& image) {
  chip = AttachEmulated(true, false);
  board = std::make_unique<TInterfaceBoard>(*chip);
  usb.UsbDeviceName = "\\\\.\\tamarik-emu-0";
  usb.UsbFixedName = true;
  TFirmwareLoader loader(usb, {});
  EXPECT_TRUE(loader.LoadFirmware(image, true)) << image;
  RunMicroseconds(2000);
}

TFirmwareRig::~TFirmwareRig() {
  usb.UsbClose();
  board.reset();
  DetachAllEmulated();
}

void TFirmwareRig::RunMicroseconds(uint64_t us) {
  chip->WithCore([&](emu8051::TCore8051& core) { core.RunUntilCycle(core.Cycles() + Cycles(static_cast<double>(us))); });
}

void TFirmwareRig::Activate() {
  const uint8_t s = usb.UsbReadRam(0x10B);
  usb.UsbWriteRam(0x10C, s);
  readSlot_ = (s + 1) & 3;
  for (size_t i = 0; i < 256; ++i) usb.UsbDownloadBuffer[i] = static_cast<uint8_t>(i);
  usb.UsbDownloadBuffer[0] = usb.UsbDownloadBuffer[1] = 0;
  for (int b = 0; b < 4; ++b) usb.UsbDownload(static_cast<uint16_t>(0x900 + 256 * b), 256);
}

int TFirmwareRig::Poll() {
  int read = 0;
  // At most one cycle of four, as the receive thread pauses after each.
  while (read < 4) {
    const uint16_t base = static_cast<uint16_t>(0x900 + 256 * readSlot_);
    usb.UsbWriteRam(0x10C, static_cast<uint8_t>(readSlot_));
    if (usb.UsbReadRamBlock(base, 8) != 8) return read;
    if ((usb.UsbReadBuffer[1] & 0x0F) != readSlot_) return read;
    const int length = usb.UsbReadBuffer[0];
    if (length > 5 && usb.UsbReadRamBlock(base, length + 3) != length + 3) return read;
    buffersHigh.push_back(usb.UsbReadBuffer[1] & 0xF0);
    buffers.emplace_back(usb.UsbReadBuffer.begin(), usb.UsbReadBuffer.begin() + length + 3);
    for (int i = 3; i + 2 < length + 3; i += 3)
      records.push_back({usb.UsbReadBuffer[i], usb.UsbReadBuffer[i + 1], usb.UsbReadBuffer[i + 2],
                         static_cast<uint8_t>(readSlot_), usb.UsbReadBuffer[2]});
    readSlot_ = (readSlot_ + 1) & 3;
    ++read;
  }
  return read;
}

void TFirmwareRig::RunPolling(uint64_t us, uint64_t pollUs) {
  for (uint64_t t = 0; t < us; t += pollUs) {
    RunMicroseconds(pollUs);
    Poll();
  }
}

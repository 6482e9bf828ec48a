#include "UsbSendDevice.h"

#include <algorithm>

void TEzUsbSendDevice::DownloadSmall(std::uint16_t address, const std::uint8_t* bytes, int length) {
  const int n = std::clamp(length, 0, static_cast<int>(usb_.UsbSendBuffer.size()));
  std::copy(bytes, bytes + n, usb_.UsbSendBuffer.begin());
  usb_.UsbDownloadSmall(address, n);
}

bool TEzUsbSendDevice::ReadRamSmall(std::uint16_t address, int count, std::uint8_t* out) {
  if (usb_.UsbReadRamSmall(address, count) != count) return false;
  std::copy(usb_.UsbSmallBuffer.begin(), usb_.UsbSmallBuffer.begin() + count, out);
  return true;
}

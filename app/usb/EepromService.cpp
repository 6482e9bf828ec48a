#include "EepromService.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <thread>

#include "EZUSB.h"
#include "FirmwareLoad.h"
#include "core/Language.h"

namespace mb = eeprom_mailbox;

namespace {

constexpr int kEepromErased = 1429, kEepromWritten = 1430, kFileUnreadable = 1435, kServiceSilent = 1436,
              kEepromSilent = 1437, kVerifyFailed = 1438, kFileTooLarge = 1439;
// Offsets are 16 bits in the mailbox.
constexpr size_t kLargestFile = 0x10000;

std::string Hex4(unsigned value) {
  char text[8];
  std::snprintf(text, sizeof text, "%04X", value & 0xFFFF);
  return text;
}

// Brackets an operation: the caller's device access and the hourglass.
class TOperation {
 public:
  explicit TOperation(const TEepromServiceUi& ui) : ui_(ui) {
    if (ui_.Hourglass) ui_.Hourglass(true);
    if (ui_.BeginDeviceAccess) ui_.BeginDeviceAccess();
  }
  ~TOperation() {
    if (ui_.EndDeviceAccess) ui_.EndDeviceAccess();
    if (ui_.Hourglass) ui_.Hourglass(false);
  }

 private:
  const TEepromServiceUi& ui_;
};

}  // namespace

std::vector<std::array<uint8_t, mb::kPageSize>> TEepromService::Pages(std::span<const uint8_t> bytes) {
  std::vector<std::array<uint8_t, mb::kPageSize>> pages((bytes.size() + mb::kPageSize - 1) / mb::kPageSize);
  for (size_t p = 0; p < pages.size(); ++p) {
    pages[p].fill(0xFF);
    const size_t from = p * mb::kPageSize, n = std::min(mb::kPageSize, bytes.size() - from);
    std::copy_n(bytes.begin() + static_cast<long>(from), n, pages[p].begin());
  }
  return pages;
}

TEepromService::TWait TEepromService::WaitFor(uint16_t address, const std::function<bool(uint8_t)>& done, int limitMs,
                                              const std::function<void(uint8_t)>& progress) {
  for (int waited = 0;; waited += kPollMs) {
    const uint8_t value = usb_.UsbReadRam(address);
    if (usb_.UsbError) return TWait::DeviceError;
    if (done(value)) return TWait::Ok;
    if (progress) progress(value);
    if (waited >= limitMs) return TWait::Timeout;
    if (ui_.Wait) {
      if (!ui_.Wait(kPollMs)) return TWait::Closing;
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
    }
  }
}

bool TEepromService::Failed(TWait w) {
  switch (w) {
    case TWait::Ok:
      return false;
    case TWait::DeviceError:
      if (ui_.DeviceError) ui_.DeviceError();
      break;
    case TWait::Timeout:
      Status(GetText(kServiceSilent));
      break;
    case TWait::Closing:
      break;
  }
  return true;
}

bool TEepromService::StartService(std::string_view userAction) {
  TFirmwareLoader loader(usb_, {nullptr, nullptr, ui_.DeviceError, nullptr, nullptr});
  if (!loader.LoadFirmware(image_, false)) return false;
  // The image leaves these bytes as 0xFF, which would pass both waits
  // before the program has even started.
  usb_.UsbWriteRam(mb::kReady, 0);
  usb_.UsbWriteRam(mb::kCommand, 0);
  if (!userAction.empty() && ui_.UserAction) ui_.UserAction(userAction);
  usb_.Run8051();
  if (usb_.UsbError) return !Failed(TWait::DeviceError);
  const auto ready = [](uint8_t v) { return v >= mb::kReadyValue; };
  if (Failed(WaitFor(mb::kReady, ready, kReadyLimitMs))) return false;
  return true;
}

bool TEepromService::WaitDone(int limitMs, uint8_t& answer, const std::function<void(uint8_t)>& progress) {
  const TWait w = WaitFor(
      mb::kCommand, [&](uint8_t v) { answer = v; return (v & mb::kDone) != 0; }, limitMs,
      progress ? std::function<void(uint8_t)>([&](uint8_t) { progress(usb_.UsbReadRam(mb::kOffsetLow)); })
               : std::function<void(uint8_t)>());
  return !Failed(w);
}

bool TEepromService::ReportAnswer(uint8_t answer, uint16_t offset) {
  if (answer == mb::kDone) return true;
  if (answer & mb::kNoAnswer)
    Status(GetText(kEepromSilent));
  else if (answer & mb::kVerifyFailed)
    Status(GetText(kVerifyFailed) + " " + Hex4(offset));
  else if (answer & mb::kOutOfRange)
    Status(GetText(kFileTooLarge) + " " + Hex4(offset));
  else
    Status(GetText(kServiceSilent));
  return false;
}

bool TEepromService::Erase() {
  TOperation op(ui_);
  Status("");
  if (!StartService("UserAction: USB-Test erase EEPROM.")) return false;
  if (usb_.UsbReadRam(mb::kMode) > 16) usb_.UsbWriteRam(mb::kMode, 2);
  uint8_t answer = 0;
  if (!WaitDone(kReadyLimitMs, answer)) return false;
  usb_.UsbWriteRam(mb::kOffsetHigh, 0);
  usb_.UsbWriteRam(mb::kOffsetLow, 0);
  usb_.UsbWriteRam(mb::kFill, 0xFF);
  usb_.UsbWriteRam(mb::kCommand, mb::kErase);
  if (usb_.UsbError) return !Failed(TWait::DeviceError);
  if (!WaitDone(kEraseLimitMs, answer)) return false;
  if (!ReportAnswer(answer, 0)) return false;
  Status(GetText(kEepromErased));
  return true;
}

bool TEepromService::WriteFile(const std::string& fileName) {
  std::ifstream in(fileName, std::ios::binary);
  std::vector<uint8_t> bytes;
  if (in) bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (!in.good() && !in.eof()) bytes.clear();
  return WriteBytes(bytes, fileName);
}

bool TEepromService::WriteBytes(std::span<const uint8_t> bytes, const std::string& fileName) {
  // Nothing is written from a file that cannot be read whole.
  if (bytes.empty()) {
    Status(GetText(kFileUnreadable) + " " + fileName);
    return false;
  }
  if (bytes.size() > kLargestFile) {
    Status(GetText(kFileTooLarge) + " " + Hex4(0));
    return false;
  }
  TOperation op(ui_);
  if (!StartService("UserAction: USB-Test File into EEROM \"" + fileName + "\"")) return false;
  usb_.UsbWriteRam(mb::kMode, 2);
  const auto pages = Pages(bytes);
  for (size_t p = 0; p < pages.size(); ++p) {
    const auto offset = static_cast<uint16_t>(p * mb::kPageSize);
    std::copy(pages[p].begin(), pages[p].end(), usb_.UsbDownloadBuffer.begin());
    usb_.UsbDownload(mb::kPageBuffer, static_cast<int>(mb::kPageSize));
    usb_.UsbWriteRam(mb::kOffsetHigh, static_cast<uint8_t>(offset >> 8));
    usb_.UsbWriteRam(mb::kOffsetLow, static_cast<uint8_t>(offset));
    usb_.UsbWriteRam(mb::kCommand, mb::kWritePage);
    if (usb_.UsbError) return !Failed(TWait::DeviceError);
    Status(Hex4(offset));
    uint8_t answer = 0, shown = 0;
    const auto progress = [&](uint8_t done) {
      if (done == shown) return;
      shown = done;
      Status(Hex4(offset + done));
    };
    if (!WaitDone(kPageLimitMs, answer, progress)) return false;
    if (!ReportAnswer(answer, offset)) return false;
  }
  Status(GetText(kEepromWritten) + " (" + std::to_string(bytes.size()) + ")");
  return true;
}

bool TEepromService::Detect(bool& found) {
  TOperation op(ui_);
  found = false;
  if (!StartService({})) return false;
  found = usb_.UsbReadRam(mb::kFound) == 1;
  return !usb_.UsbError;
}

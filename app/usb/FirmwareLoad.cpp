#include "FirmwareLoad.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>

#include "EZUSB.h"
#include "FirmwareImages.h"
#include "IntelHex.h"
#include "core/Language.h"

namespace {

constexpr int kFileWritten = 1417, kBytes = 1418, kAddressOverflow = 1419, kFileTooLarge = 1477;

struct TImageText {
  const char* name;
  int text;
};
constexpr TImageText kImageTexts[] = {{"V24", 1410}, {"RS4XX", 1411}, {"CAN", 1412},
                                      {"FQ", 1413},  {"BAUDMESS", 1414}, {"BLINKLED", 1415}};

bool ReadWholeFile(const std::string& fileName, std::string& content) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return false;
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return true;
}

bool EndsWithBin(const std::string& name) {
  if (name.size() < 4) return false;
  std::string ext = name.substr(name.size() - 4);
  std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
  return ext == ".bin";
}

class THourglass {
 public:
  explicit THourglass(const TUsbLoadUi& ui) : ui_(ui) { if (ui_.Hourglass) ui_.Hourglass(true); }
  ~THourglass() { if (ui_.Hourglass) ui_.Hourglass(false); }

 private:
  const TUsbLoadUi& ui_;
};

}  // namespace

std::string FirmwareStatusText(std::string_view resourceName) {
  for (const TImageText& t : kImageTexts)
    if (resourceName == t.name) return GetText(t.text);
  return {};
}

bool TFirmwareLoader::LoadFirmware(std::string_view resourceName, bool userAction) {
  const std::span<const uint8_t> image = FirmwareImage(resourceName);
  {
    THourglass busy(ui_);
    if (!image.empty() && image.size() <= usb_.UsbDownloadBuffer.size()) {
      usb_.Hold8051();
      std::copy(image.begin(), image.end(), usb_.UsbDownloadBuffer.begin());
      usb_.UsbDownload(0, static_cast<int>(image.size()));
      if (userAction) {
        usb_.Run8051();
        Status(FirmwareStatusText(resourceName));
      }
    }
  }
  // A missing image is a device that cannot work, never a silent success.
  const bool ok = !image.empty() && !usb_.UsbError;
  if (!ok && ui_.DeviceError) ui_.DeviceError();
  return ok;
}

int TFirmwareLoader::LoadHexToDevice(const std::string& fileName) {
  std::string text;
  if (!ReadWholeFile(fileName, text)) return 0;
  const THexReadResult r = ReadIntelHex(text, usb_.UsbDownloadBuffer, static_cast<uint32_t>(usb_.UsbDownloadBuffer.size() - 1));
  if (!r.Ok) {
    // Nothing of a bad or oversized file goes to the chip.
    Message(r.Overflow ? GetText(kFileTooLarge) + " " + r.Error : r.Error);
    return 0;
  }
  if (r.End) usb_.UsbDownload(0, static_cast<int>(r.End));
  return static_cast<int>(r.End);
}

void TFirmwareLoader::SendFileToDevice(const std::string& fileName) {
  int count = 0;
  {
    THourglass busy(ui_);
    usb_.Hold8051();
    if (ui_.UserAction) ui_.UserAction("UserAction: USB-Test Download File.");
    if (EndsWithBin(fileName)) {
      std::string content;
      if (ReadWholeFile(fileName, content)) {
        if (content.size() > usb_.UsbDownloadBuffer.size()) {
          Message(GetText(kFileTooLarge) + " " + fileName);
        } else if (!content.empty()) {
          std::copy(content.begin(), content.end(), usb_.UsbDownloadBuffer.begin());
          usb_.UsbDownload(0, static_cast<int>(content.size()));
          count = static_cast<int>(content.size());
        }
      }
    } else {
      count = LoadHexToDevice(fileName);
    }
  }
  char hex[8];
  std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(count) & 0xFFFF);
  Status(GetText(kFileWritten) + " " + hex + " " + GetText(kBytes) + " (HEX)");
  if (usb_.UsbError && ui_.DeviceError) ui_.DeviceError();
}

int LoadHexToBuffer(const std::string& fileName, std::span<uint8_t> buffer, uint32_t maxAddress,
                    const std::function<void(std::string_view)>& message) {
  std::string text;
  if (!ReadWholeFile(fileName, text)) return 0;
  const THexReadResult r = ReadIntelHex(text, buffer, maxAddress);
  if (!r.Ok && message) message(r.Error);
  if (!r.Ok && !r.Overflow) return 0;
  return static_cast<int>(r.End);
}

int LoadBinToBuffer(const std::string& fileName, std::span<uint8_t> buffer, uint32_t maxIndex,
                    const std::function<void(std::string_view)>& message) {
  std::ifstream in(fileName, std::ios::binary);
  if (!in) return 0;
  if (!buffer.empty() && maxIndex >= buffer.size()) maxIndex = static_cast<uint32_t>(buffer.size() - 1);
  uint32_t index = 0;
  for (char c; in.get(c); ++index) {
    if (buffer.empty() || index > maxIndex) {
      if (message) message(GetText(kAddressOverflow));
      return static_cast<int>(index);
    }
    buffer[index] = static_cast<uint8_t>(c);
  }
  return static_cast<int>(index);
}

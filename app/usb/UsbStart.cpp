#include "UsbStart.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <thread>

#include "EZUSB.h"
#include "FirmwareLoad.h"
#include "USB.h"
#include "core/AppFlags.h"
#include "core/Language.h"
#include "core/TextIds.h"

namespace {

constexpr uint32_t kBase0 = 691200, kBase1 = 750000;

uint16_t RoundedDivisor(uint32_t base, uint32_t baud) {
  if (baud == 0) return 0xFFFF;
  const double d = std::round(static_cast<double>(base) / baud);
  return static_cast<uint16_t>(std::clamp(d, 1.0, 65535.0));
}

bool ParseRate(const std::string& text, uint32_t& rate) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  while (begin < end && *begin == ' ') ++begin;
  while (end > begin && end[-1] == ' ') --end;
  const auto [ptr, ec] = std::from_chars(begin, end, rate);
  return ec == std::errc() && ptr == end && rate > 0;
}

TUsbLineFormat FormatOf(const TPortSettings& port) {
  TUsbLineFormat f;
  f.DataBits = static_cast<uint8_t>(port.DataBits >= 0 && port.DataBits <= 3 ? 5 + port.DataBits : 8);
  f.StopChoice = port.StopBits == 1 ? 1 : 0;
  f.ParityCode = UsbParityCode(port.Parity);
  return f;
}

}  // namespace

uint8_t UsbParityCode(int parityIndex) {
  static constexpr uint8_t kCodes[] = {0x00, 0x18, 0x08, 0x28, 0x38};  // none, even, odd, mark, space
  return parityIndex >= 0 && parityIndex < 5 ? kCodes[parityIndex] : 0x00;
}

bool UsbStartRequestFrom(int workMode, const TPortABSettings& ports, const std::vector<std::string>& baudItems,
                         const std::string& messen, TUsbStartRequest& out, std::string& error) {
  out = {};
  out.WorkMode = workMode;
  const TPortSettings* inputs[] = {&ports.PortASettings, &ports.PortBSettings};
  TUsbLineFormat* formats[] = {&out.Input1, &out.Input2};
  // The serial images take the rates, the CAN image its bit rate.
  const bool usesRate = UsbImageFor(workMode, false).FirmwareType <= 2;
  for (int i = 0; i < 2; ++i) {
    const TPortSettings& port = *inputs[i];
    if (port.Baudrate < 0 || port.Baudrate >= static_cast<int>(baudItems.size())) {
      out.RateSelected = false;
      return true;
    }
    const std::string& item = port.Baudrate == 0 ? port.OtherBaud : baudItems[static_cast<size_t>(port.Baudrate)];
    *formats[i] = FormatOf(port);
    if (port.Baudrate != 0 && item == messen) {
      out.MeasureBaud = true;
      continue;
    }
    if (usesRate && !ParseRate(item, formats[i]->Baud)) {
      error = GetText(TextId::MsgCheckBaudrate) + " (" + item + ")";
      return false;
    }
  }
  return true;
}

TUsbImage UsbImageFor(int workMode, bool measureBaud) {
  TUsbImage image;
  switch (workMode) {
    case 410: image = {"V24", 0, 0}; break;
    case 420: image = {"RS4XX", 1, 3}; break;
    case 450: image = {"RS4XX", 1, 1}; break;
    case 460: image = {"RS4XX", 1, 2}; break;
    case 440:
    case 470: image = {"CAN", 2, 0}; break;
    case 430: image = {"FQ", 3, 0}; break;
    default: return image;
  }
  if (measureBaud) image = {"BAUDMESS", 4, 0};
  return image;
}

TUsbDivisors UsbDivisorsFor(uint32_t baud1, uint32_t baud2) {
  TUsbDivisors d;
  auto divides = [](uint32_t base, uint32_t baud) { return baud != 0 && base % baud == 0; };
  if (divides(kBase0, baud1) || divides(kBase0, baud2)) {
    d.Base = kBase0;
    d.ClockFlag = 0;
  } else if (divides(kBase1, baud1)) {
    d.Base = kBase1;
    d.ClockFlag = 1;
  } else {
    const double b = baud1 ? static_cast<double>(baud1) : 1.0;
    const double e0 = std::fabs(std::round(kBase0 / b) - kBase0 / b);
    const double e1 = std::fabs(std::round(kBase1 / b) - kBase1 / b);
    const bool fast = e1 < e0 || baud1 >= 720600;
    d.Base = fast ? kBase1 : kBase0;
    d.ClockFlag = fast ? 1 : 0;
  }
  // Rounded, not cut: when only input 2's rate chose the base, input 1
  // still gets the nearest rate the base allows.
  d.Divisor1 = RoundedDivisor(d.Base, baud1);
  d.Divisor2 = RoundedDivisor(d.Base, baud2);
  return d;
}

std::vector<TUsbConfigByte> UsbSerialConfigBytes(const TUsbStartRequest& request, const TUsbDivisors& d) {
  const TUsbLineFormat& a = request.Input1;
  const TUsbLineFormat& b = request.Input2;
  return {
      {0x101, static_cast<uint8_t>(d.Divisor1 >> 8)},
      {0x102, static_cast<uint8_t>(d.Divisor1 & 0xFF)},
      {0x103, d.ClockFlag},
      {0x104, a.DataBits},
      {0x105, a.StopChoice},
      {0x106, a.ParityCode},
      {0x7B, static_cast<uint8_t>(d.Divisor2 >> 8)},
      {0x7C, static_cast<uint8_t>(d.Divisor2 & 0xFF)},
      {0x7D, b.DataBits},
      {0x7E, b.StopChoice},
      {0x7F, b.ParityCode},
  };
}

TUsbStart::TUsbStart(TEzUsb& usb, TUSBTamarik& monitor, TFirmwareLoader& loader, TUsbStartUi ui)
    : usb_(usb), monitor_(monitor), loader_(loader), ui_(std::move(ui)) {
  if (!ui_.Wait)
    ui_.Wait = [](int ms) {
      std::this_thread::sleep_for(std::chrono::milliseconds(ms));
      return !AppClosing.load();
    };
}

bool TUsbStart::WaitFor(uint16_t address, const std::function<bool(uint8_t)>& done, int timeoutMs) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  for (;;) {
    const uint8_t value = usb_.UsbReadRam(address);
    if (usb_.UsbError.load()) return false;
    if (done(value)) return true;
    if (std::chrono::steady_clock::now() >= until || !ui_.Wait(5)) return false;
  }
}

TUsbStartResult TUsbStart::Run(const TUsbStartRequest& request) {
  auto lamp = [&](int colour) { if (ui_.Lamp) ui_.Lamp(colour); };
  auto failed = [&] {
    usb_.Hold8051();
    lamp(3);
    if (ui_.DeviceError) ui_.DeviceError();
    return usDeviceError;
  };
  if (!request.RateSelected) return usNoRate;
  lamp(1);
  const TUsbImage image = UsbImageFor(request.WorkMode, request.MeasureBaud);
  if (image.Image.empty()) {
    usb_.Hold8051();
    if (usb_.UsbError.load()) return failed();
    if (ui_.StatusLine) ui_.StatusLine(GetText(TextId::MsgChooseUsbMode));
    return usNoMode;
  }

  struct TAccess {
    TUSBTamarik& m;
    explicit TAccess(TUSBTamarik& monitor) : m(monitor) { m.BeginDeviceAccess(); }
    ~TAccess() { m.EndDeviceAccess(); }
  } access(monitor_);
  monitor_.SetActive(false);
  monitor_.FirmwareType = image.FirmwareType;
  if (!loader_.LoadFirmware(image.Image, false)) return failed();
  // The image writes its own defaults when it starts, so it runs before
  // the configuration bytes go in.
  usb_.Run8051();
  if (image.TransceiverMode) usb_.UsbWriteRam(0x10D, static_cast<uint8_t>(image.TransceiverMode));

  if (image.FirmwareType <= 1) {
    if (!ui_.Wait(20)) return usDeviceError;
    WaitFor(0x100, [](uint8_t v) { return v != 0xFF; }, 480);
    const TUsbDivisors d = UsbDivisorsFor(request.Input1.Baud, request.Input2.Baud);
    if (ui_.RateObtained) {
      ui_.RateObtained(1, d.Rate1());
      ui_.RateObtained(2, d.Rate2());
    }
    for (const TUsbConfigByte& c : UsbSerialConfigBytes(request, d)) usb_.UsbWriteRam(c.Address, c.Value);
  } else if (image.FirmwareType == 2) {
    WaitFor(0x106, [](uint8_t v) { return v == 4; }, 10000);
    if (ui_.ConfigureCan && !ui_.ConfigureCan(request.Input1.Baud)) return failed();
  } else {
    WaitFor(0x100, [](uint8_t v) { return v == 0; }, 10000);
    if (image.FirmwareType == 3 && ui_.StartMeasurement && !ui_.StartMeasurement()) return failed();
  }
  if (AppClosing.load()) return usDeviceError;
  monitor_.SetActive(true);
  if (usb_.UsbError.load()) {
    monitor_.SetActive(false);
    return failed();
  }
  lamp(2);
  return usStarted;
}

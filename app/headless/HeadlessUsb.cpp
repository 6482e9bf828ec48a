#include "headless/HeadlessUsb.h"

#include <algorithm>

#include "EZUSB.h"
#include "EzUsbDevice.h"
#include "FirmwareLoad.h"
#include "InterfaceBoard.h"
#include "USB.h"
#include "UsbWatch.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/TextIds.h"
#include "serial/DemoSource.h"

THeadlessUsb::THeadlessUsb(ReceiveRing& ring) : usb_(EzUsb()), ring_(ring) {
  monitor_ = std::make_unique<TUSBTamarik>(usb_, ring_);
  TUsbLoadUi ui;
  ui.DeviceError = [] { ReportError("3.4", GetText(TextId::MsgUsbDeviceNotConnected)); };
  ui.Message = [](std::string_view text) { ReportError("3.3", text); };
  loader_ = std::make_unique<TFirmwareLoader>(usb_, ui);
  watch_ = std::make_unique<TUsbWatch>(usb_, *monitor_, [this] {
    return TUsbStart(usb_, *monitor_, *loader_, {}).Run(request_) == usStarted;
  });
}

THeadlessUsb::~THeadlessUsb() { Stop(); }

bool THeadlessUsb::Start(const TUsbStartRequest& request, const std::string& deviceName) {
  usb_.UsbDeviceName = deviceName.empty() ? std::string("\\\\.\\tamarik-0") : deviceName;
  usb_.UsbFixedName = !deviceName.empty();
  request_ = request;
  TUsbStartUi ui;
  ui.StatusLine = [](std::string_view text) { ReportError("3.4", text); };
  ui.DeviceError = [] { ReportError("3.4", GetText(TextId::MsgUsbDeviceNotConnected)); };
  switch (TUsbStart(usb_, *monitor_, *loader_, ui).Run(request_)) {
    case usStarted: return true;
    case usNoRate: ReportError("3.4", "No rate chosen for the USB inputs"); return false;
    default: return false;  // reported on the way
  }
}

bool THeadlessUsb::StartDemo(int pauseMs) {
  chip_ = tamarikusb::AttachEmulated(true, true, true);
  board_ = std::make_unique<tamarikusb::TInterfaceBoard>(*chip_);
  TUsbStartRequest request;
  request.WorkMode = 410;
  request.Input1.Baud = request.Input2.Baud = kDemoBaud;
  // Ours is the last emulated box attached (others may come from the
  // environment): the highest number that opens.
  std::string name;
  for (int n = 0; n < 8; ++n) {
    const std::string candidate = "\\\\.\\tamarik-emu-" + std::to_string(n);
    const tamarikusb::THandle h = tamarikusb::Open(candidate);
    if (!h) break;
    tamarikusb::Close(h);
    name = candidate;
  }
  if (!Start(request, name)) return false;
  source_ = std::make_unique<TDemoSource>([this](bool fromSps, const std::string& bytes) { FeedDemo(fromSps, bytes); },
                                          pauseMs);
  source_->Start();
  return true;
}

void THeadlessUsb::FeedDemo(bool fromSps, const std::string& bytes) {
  if (!board_) return;
  std::lock_guard lock(feedLock_);
  const int input = fromSps ? 2 : 1;
  // A little ahead of the core, and never over the telegram still going out.
  const uint64_t start = std::max(board_->Now() + 6000, feedEnd_[input - 1]);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  feedEnd_[input - 1] = board_->SendToInput(input, start, {data, bytes.size()}, kDemoBaud);
}

void THeadlessUsb::Tick() {
  if (watch_) watch_->Tick();
}

void THeadlessUsb::Stop() {
  if (source_) source_->Stop();
  source_.reset();
  if (monitor_) monitor_->SetActive(false);
  if (chip_) {
    usb_.UsbClose();
    board_.reset();
    tamarikusb::DetachEmulated(chip_);
    chip_.reset();
  }
}

std::string THeadlessUsb::DeviceName() const { return usb_.UsbDeviceName; }

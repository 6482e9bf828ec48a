#include "headless/HeadlessUsb.h"

#include <algorithm>

#include "CanDemo.h"
#include "EZUSB.h"
#include "EmulatedBox.h"
#include "EzUsbDevice.h"
#include "FirmwareLoad.h"
#include "InterfaceBoard.h"
#include "USB.h"
#include "UsbSendDevice.h"
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
  sendDevice_ = std::make_unique<TEzUsbSendDevice>(
      usb_, [this] { monitor_->BeginDeviceAccess(); }, [this] { monitor_->EndDeviceAccess(); });
  send_ = std::make_unique<TUsbHandshakeSend>(*sendDevice_);
  watch_ = std::make_unique<TUsbWatch>(usb_, *monitor_, [this] {
    return TUsbStart(usb_, *monitor_, *loader_, {}).Run(request_) == usStarted;
  });
}

THeadlessUsb::~THeadlessUsb() { Stop(); }

bool THeadlessUsb::Start(const TUsbStartRequest& request, const std::string& deviceName) {
  return Run(request, deviceName, {});
}

bool THeadlessUsb::Run(const TUsbStartRequest& request, const std::string& deviceName,
                       std::function<bool()> configureCan) {
  usb_.UsbDeviceName = deviceName.empty() ? std::string("\\\\.\\tamarik-0") : deviceName;
  usb_.UsbFixedName = !deviceName.empty();
  request_ = request;
  TUsbStartUi ui;
  ui.StatusLine = [](std::string_view text) { ReportError("3.4", text); };
  ui.DeviceError = [] { ReportError("3.4", GetText(TextId::MsgUsbDeviceNotConnected)); };
  ui.ConfigureCan = std::move(configureCan);
  switch (TUsbStart(usb_, *monitor_, *loader_, ui).Run(request_)) {
    case usStarted: return true;
    case usNoRate: ReportError("3.4", "No rate chosen for the USB inputs"); return false;
    default: return false;  // reported on the way
  }
}

bool THeadlessUsb::StartDemo(int pauseMs) {
  box_ = std::make_unique<TEmulatedBox>();
  TUsbStartRequest request;
  request.WorkMode = 410;
  request.Input1.Baud = request.Input2.Baud = kDemoBaud;
  if (!Start(request, box_->Name())) return false;
  source_ = std::make_unique<TDemoSource>([this](bool fromSps, const std::string& bytes) { FeedDemo(fromSps, bytes); },
                                          pauseMs);
  source_->Start();
  return true;
}

bool THeadlessUsb::StartCanDemo() {
  canDemo_ = std::make_unique<TCanDemo>();
  TUsbStartRequest request;
  request.WorkMode = TCanDemo::kWorkMode;
  if (!Run(request, canDemo_->Name(), [this] { return TCanDemo::SetUpController(usb_); })) return false;
  canDemo_->Start(*monitor_);
  return true;
}

void THeadlessUsb::FeedDemo(bool fromSps, const std::string& bytes) {
  if (!box_) return;
  std::lock_guard lock(feedLock_);
  const int input = fromSps ? 2 : 1;
  // A little ahead of the core, and never over the telegram still going out.
  const uint64_t start = std::max(box_->Board().Now() + 6000, feedEnd_[input - 1]);
  const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
  feedEnd_[input - 1] = box_->Board().SendToInput(input, start, {data, bytes.size()}, kDemoBaud);
}

void THeadlessUsb::Tick() {
  if (watch_) watch_->Tick();
}

void THeadlessUsb::Stop() {
  if (source_) source_->Stop();
  source_.reset();
  if (canDemo_) canDemo_->Stop();
  if (monitor_) monitor_->SetActive(false);
  if (box_ || canDemo_) {
    usb_.UsbClose();
    box_.reset();
    canDemo_.reset();
  }
}

std::string THeadlessUsb::DeviceName() const { return usb_.UsbDeviceName; }

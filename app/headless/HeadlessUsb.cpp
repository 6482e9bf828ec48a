#include "headless/HeadlessUsb.h"

#include "CanDemo.h"
#include "EZUSB.h"
#include "FirmwareLoad.h"
#include "USB.h"
#include "UsbSendDevice.h"
#include "UsbWatch.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/TextIds.h"

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
    TUsbStartUi ui = StartUi();
    ui.StatusLine = nullptr;
    ui.DeviceError = nullptr;  // the watch reports a loss once
    return TUsbStart(usb_, *monitor_, *loader_, ui).Run(request_) == usStarted;
  });
}

void THeadlessUsb::SetImageSetup(std::function<bool(uint32_t bitRate)> configureCan, std::function<bool()> startMeasurement) {
  configureCan_ = std::move(configureCan);
  startMeasurement_ = std::move(startMeasurement);
}

TUsbStartUi THeadlessUsb::StartUi() const {
  TUsbStartUi ui;
  ui.StatusLine = [](std::string_view text) { ReportError("3.4", text); };
  ui.DeviceError = [] { ReportError("3.4", GetText(TextId::MsgUsbDeviceNotConnected)); };
  ui.ConfigureCan = configureCan_;
  ui.StartMeasurement = startMeasurement_;
  return ui;
}

THeadlessUsb::~THeadlessUsb() { Stop(); }

bool THeadlessUsb::Start(const TUsbStartRequest& request, const std::string& deviceName) {
  usb_.UsbDeviceName = deviceName.empty() ? std::string("\\\\.\\tamarik-0") : deviceName;
  usb_.UsbFixedName = !deviceName.empty();
  request_ = request;
  switch (TUsbStart(usb_, *monitor_, *loader_, StartUi()).Run(request_)) {
    case usStarted: return true;
    case usNoRate: ReportError("3.4", "No rate chosen for the USB inputs"); return false;
    default: return false;  // reported on the way
  }
}

bool THeadlessUsb::StartDemo(int pauseMs) {
  demo_ = std::make_unique<TUsbDemoBox>(pauseMs);
  const std::string name = demo_->Attach();
  if (!Start(TUsbDemoBox::Request(), name)) return false;
  demo_->StartConversation();
  return true;
}

bool THeadlessUsb::StartCanDemo() {
  canDemo_ = std::make_unique<TCanDemo>();
  TUsbStartRequest request;
  request.WorkMode = TCanDemo::kWorkMode;
  request.Input1.Baud = request.Input2.Baud = TCanDemo::kBitRate;
  configureCan_ = [this](uint32_t) { return TCanDemo::SetUpController(usb_); };
  if (!Start(request, canDemo_->Name())) return false;
  canDemo_->Start(*monitor_);
  return true;
}

void THeadlessUsb::Tick() {
  if (watch_) watch_->Tick();
}

void THeadlessUsb::Stop() {
  if (demo_) demo_->StopConversation();
  if (canDemo_) canDemo_->Stop();
  if (monitor_) monitor_->SetActive(false);
  if (demo_ || canDemo_) {
    usb_.UsbClose();
    demo_.reset();
    canDemo_.reset();
  }
}

std::string THeadlessUsb::DeviceName() const { return usb_.UsbDeviceName; }

// The terminal front end in the USB modes: the box (or the emulated one of
// the demo) reaches the same ring and pipeline as the serial ports.
#include "CanDemo.h"
#include "core/ErrorReport.h"
#include "core/InterfaceConfig.h"
#include "headless/HeadlessApp.h"
#include "headless/HeadlessUsb.h"

bool THeadlessApp::StartUsb(const TUsbStartRequest& request) {
  usb_ = std::make_unique<THeadlessUsb>(consumer_.Ring());
  usbBaud_ = request.Input1.Baud;
  if (!usb_->Start(request, options_.UsbDevice)) return false;
  TRxOptions rx = pipeline_.Options();
  rx.WorkMode = request.WorkMode;
  rx.UsbModeSelected = true;
  rx.RelayPorts = false;
  pipeline_.SetOptions(rx);
  return true;
}

bool THeadlessApp::StartUsbFromOptions() {
  const int mode = options_.WorkMode;
  if (UsbImageFor(mode, false).FirmwareType > 1) {
    // CAN and the measurements need their own pages' settings first.
    ReportError("1.7", "Mode " + std::to_string(mode) + " is not available in the terminal yet");
    return false;
  }
  TUsbStartRequest request;
  request.WorkMode = mode;
  request.Input1.Baud = request.Input2.Baud = static_cast<uint32_t>(options_.Baudrate);
  return StartUsb(request);
}

bool THeadlessApp::StartUsbDemo() {
  usb_ = std::make_unique<THeadlessUsb>(consumer_.Ring());
  const bool can = options_.DemoCan;
  usbBaud_ = can ? TCanDemo::kBitRate : THeadlessUsb::kDemoBaud;
  if (!(can ? usb_->StartCanDemo() : usb_->StartDemo())) return false;
  TRxOptions rx = pipeline_.Options();
  rx.WorkMode = can ? TCanDemo::kWorkMode : 410;
  rx.UsbModeSelected = true;
  rx.RelayPorts = false;
  pipeline_.SetOptions(rx);
  return true;
}

std::string UsbStartLine(int workMode, const std::string& device, uint32_t baud, bool demo) {
  std::string line = "Mode " + std::to_string(workMode) + ": USB " + device + ", " + std::to_string(baud) + " Bd";
  if (demo) line += " (demo)";
  return line;
}

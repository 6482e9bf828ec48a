// The terminal front end in the USB modes: the box (or the emulated one of
// the demo) reaches the same ring and pipeline as the serial ports.
#include "CanDemo.h"
#include "EZUSB.h"
#include "core/CanTiming.h"
#include "core/ErrorReport.h"
#include "core/Measurement.h"
#include "core/InterfaceConfig.h"
#include "headless/HeadlessApp.h"
#include "headless/HeadlessUsb.h"

bool THeadlessApp::StartUsb(const TUsbStartRequest& request) {
  usb_ = std::make_unique<THeadlessUsb>(consumer_.Ring());
  usbBaud_ = request.Input1.Baud;
  // No page to show: the stored CAN registers and frequency panel set the
  // images up, as the window's pages would.
  const int mode = request.WorkMode;
  TCanRegisters can = options_.Can.Registers;
  const TFqSettings fq = options_.Fq;
  auto write = [](uint16_t address, uint8_t value) { return EzUsb().UsbWriteRam(address, value); };
  usb_->SetImageSetup(
      [can, mode, write](uint32_t bitRate) mutable { return StartCanController(bitRate, mode, can, write); },
      [fq, write] {
        return write(0x101, FqInputCode(fq.grpFQIN_ItemIndex)) &&
               write(0x102, static_cast<uint8_t>(FqCycle(fq.edFQZyk_Text)));
      });
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

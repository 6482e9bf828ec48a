// Mode G on the interface page: the window-free USB start run on the
// window's monitor, with the window's waits, status line and lamp.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolButton>

#include "EZUSB.h"
#include "UsbStart.h"
#include "core/AppFlags.h"
#include "core/CanTiming.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/Measurement.h"
#include "core/TextIds.h"
#include "ui_FMain.h"
#include "ui_TabSchnittstelle.h"
#include "window/CanPageUi.h"
#include "window/Captions.h"
#include "window/FMain.h"
#include "window/FMain_UsbPage.h"
#include "window/RadioGroup.h"

namespace {

TUsbLamp LampOf(int colour) {
  switch (colour) {
    case 1: return TUsbLamp::Yellow;
    case 2: return TUsbLamp::Green;
    case 3: return TUsbLamp::Red;
    default: return TUsbLamp::ButtonFace;
  }
}

}  // namespace

TUsbStartUi TFrmMain::UsbStartUi() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  TUsbStartUi ui;
  ui.Wait = [](int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms && !AppClosing.load()) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    return !AppClosing.load();
  };
  ui.StatusLine = [this](std::string_view text) {
    ShowStatusMessage(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
  };
  ui.DeviceError = [this] { usbPage_->DeviceError(); };
  ui.Lamp = [this](int colour) { usbPage_->Duty().SetLamp(LampOf(colour)); };
  ui.RateObtained = [&u](int input, uint32_t rate) {
    // The rate the box really runs at, where the page shows that input's rate.
    const bool shown = input == 1 ? !u.spBaudB->isChecked() : !u.spBaudA->isChecked();
    if (shown) u.edOtherBaud->setText(QString::number(rate));
  };
  ui.ConfigureCan = [this](uint32_t bitRate) {
    TCanRegisters regs = CanRegistersFromControls();
    const bool started = StartCanController(bitRate, workMode_, regs, usbWriteRam_);
    ApplyCanRegisters(regs);
    return started;
  };
  ui.StartMeasurement = [this] {
    return usbWriteRam_(0x101, FqInputCode(fqUi_->grpFQIN->ItemIndex())) &&
           usbWriteRam_(0x102, static_cast<uint8_t>(FqCycle(fqUi_->edFQZyk->text().toStdString())));
  };
  return ui;
}

void TFrmMain::StartUsbMode() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  QWidget* page = u.btnOK1->parentWidget();
  auto backToPage = [&] {
    btnOK1Enabled(true);
    if (ui_->Page->currentWidget() != page) ui_->Page->setCurrentWidget(page);
  };
  TUsbStartRequest request;
  std::vector<std::string> items;
  for (const QString& item : u.grpBaud->Items()) items.push_back(item.toStdString());
  std::string error;
  if (!UsbStartRequestFrom(workMode_, portAB_, items, GetText(TextId::BaudMessen), request, error)) {
    ReportError("3.4", error);
    backToPage();
    return;
  }
  if (u.grpBaud->ItemIndex() < 0) request.RateSelected = false;
  TUsbStart start(EzUsb(), *usbMonitor_, usbPage_->Loader(), UsbStartUi());
  switch (start.Run(request)) {
    case usStarted: break;
    case usNoRate:
      usbPage_->Duty().SetLamp(TUsbLamp::Yellow);
      backToPage();
      break;
    case usNoMode:
    case usDeviceError: backToPage(); break;
  }
}

// The built-in demos: a simulated PC and controller on pseudo-terminals, the
// monitor in the line between them, the same two through an emulated USB
// box, or that box on a CAN bus. The interface page shows it while it runs;
// the trace follows the stored settings as with real ports.
#include <QComboBox>
#include <QRadioButton>

#include "CanDemo.h"
#include "EZUSB.h"
#include "UsbDemoBox.h"
#include "UsbStart.h"
#include "core/InterfaceConfig.h"
#include "ui_TabSchnittstelle.h"
#include "window/FMain.h"
#include "window/FMain_UsbPage.h"

void TFrmMain::StartDemo() {
  // Mode 200 between two pseudo-terminal pairs: every byte takes the real
  // serial road.
  rxBase_.WorkMode = 200;
  rxBase_.RelayPorts = true;
  PublishRxOptions();
  demo_ = std::make_unique<TDemoLink>(Ring(), Pipeline());
  if (!demo_->Start()) {
    demo_.reset();
    return;
  }
  ShowDemoInterface();
}

void TFrmMain::ShowDemoInterface() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const QString portA = QString::fromStdString(demo_->PortA().Port());
  const QString portB = QString::fromStdString(demo_->PortB().Port());
  std::vector<std::string> names = portList_;
  names.push_back(portA.toStdString());
  names.push_back(portB.toStdString());
  FillPortLists(std::move(names));
  u.rgrpE->setChecked(true);
  for (auto [box, name] : {std::pair{u.cbxSSA, portA}, std::pair{u.cbxSSB, portB}}) {
    const QSignalBlocker quiet(box);
    const int index = box->findText(name);
    if (index >= 0) box->setCurrentIndex(index);
    else box->setEditText(name);
  }
  UpdatePortLabels(false);
  UpdatePortLabels(true);
  const int rate = static_cast<int>(u.grpBaud->Items().indexOf(QString::number(demo_->PortA().Baudrate())));
  if (rate >= 0) u.grpBaud->SetItemIndex(rate);
  // Connected: the button disconnects.
  btnOK1Enabled(false);
  demoOnPage_ = true;
}

void TFrmMain::StartUsbDemo() {
  usbDemo_ = std::make_unique<TUsbDemoBox>();
  TEzUsb& usb = EzUsb();
  usb.UsbClose();
  usb.UsbDeviceName = usbDemo_->Attach();
  usb.UsbFixedName = true;
  ShowUsbDemoInterface(TUsbDemoBox::Request().WorkMode, TUsbDemoBox::kBaud);
  TUsbStart start(usb, *usbMonitor_, usbPage_->Loader(), UsbStartUi());
  if (start.Run(TUsbDemoBox::Request()) != usStarted) {
    StopDemo();
    return;
  }
  usbDemo_->StartConversation();
}

void TFrmMain::StartCanDemo() {
  canDemo_ = std::make_unique<TCanDemo>();
  TEzUsb& usb = EzUsb();
  usb.UsbClose();
  usb.UsbDeviceName = canDemo_->Name();
  usb.UsbFixedName = true;
  ShowUsbDemoInterface(TCanDemo::kWorkMode, TCanDemo::kBitRate);
  TUsbStartRequest request;
  request.WorkMode = TCanDemo::kWorkMode;
  request.Input1.Baud = request.Input2.Baud = TCanDemo::kBitRate;
  TUsbStartUi ui = UsbStartUi();
  // The demo's bus wants every frame through, whatever filter the page
  // holds; the page's stored registers stay as they are.
  ui.ConfigureCan = [](uint32_t) { return TCanDemo::SetUpController(EzUsb()); };
  if (TUsbStart(usb, *usbMonitor_, usbPage_->Loader(), ui).Run(request) != usStarted) {
    StopDemo();
    return;
  }
  canDemo_->Start(*usbMonitor_);
}

void TFrmMain::ShowUsbDemoInterface(int workMode, uint32_t rate) {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  // Mode G with the demo's image and rate for both inputs; the stored
  // interface stays in the file.
  {
    const QSignalBlocker quiet(u.rgrpG);
    u.rgrpG->setChecked(true);
  }
  for (int i = 0; i < u.grpUSB->Count(); ++i)
    if (UsbWorkModeAt(i) == workMode) u.grpUSB->SetItemIndex(i);
  u.spBaud->setChecked(true);
  SetIcon(-1);
  const int index = static_cast<int>(u.grpBaud->Items().indexOf(QString::number(rate)));
  if (index >= 0) u.grpBaud->SetItemIndex(index);
  btnOK1Enabled(false);
  demoOnPage_ = true;
  PublishRxOptions();
}

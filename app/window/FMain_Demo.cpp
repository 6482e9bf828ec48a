// The built-in demos: a simulated PC and controller on pseudo-terminals, the
// monitor in the line between them, or the same two through an emulated USB
// box. The interface page shows it while it
// runs; the trace follows the stored settings as with real ports.
#include <QComboBox>
#include <QRadioButton>

#include "EZUSB.h"
#include "UsbDemoBox.h"
#include "UsbStart.h"
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
  ShowUsbDemoInterface();
  TUsbStart start(usb, *usbMonitor_, usbPage_->Loader(), UsbStartUi());
  if (start.Run(TUsbDemoBox::Request()) != usStarted) {
    StopDemo();
    return;
  }
  usbDemo_->StartConversation();
}

void TFrmMain::ShowUsbDemoInterface() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  // Mode G with V24 and the demo's rate for both inputs; the stored
  // interface stays in the file.
  {
    const QSignalBlocker quiet(u.rgrpG);
    u.rgrpG->setChecked(true);
  }
  u.grpUSB->SetItemIndex(0);
  u.spBaud->setChecked(true);
  SetIcon(-1);
  const int rate = static_cast<int>(u.grpBaud->Items().indexOf(QString::number(TUsbDemoBox::kBaud)));
  if (rate >= 0) u.grpBaud->SetItemIndex(rate);
  btnOK1Enabled(false);
  demoOnPage_ = true;
  PublishRxOptions();
}

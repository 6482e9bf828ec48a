// The built-in demo: a simulated PC and controller on pseudo-terminals, the
// monitor in the line between them. The interface page shows it while it
// runs; the trace follows the stored settings as with real ports.
#include <QComboBox>
#include <QRadioButton>

#include "ui_TabSchnittstelle.h"
#include "window/FMain.h"

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

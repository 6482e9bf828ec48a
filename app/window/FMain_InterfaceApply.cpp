// The interface page's apply/disconnect button, the port lists and the
// flow-signal boxes. The ports and the order of opening are the core's
// (TInterfacePorts); this file turns the page into its request and shows
// what came back.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <utility>

#include "CanDemo.h"
#include "UsbDemoBox.h"
#include "core/ErrorLog.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/TextIds.h"
#include "serial/InterfacePorts.h"
#include "serial/PortList.h"
#include "ui_FMain.h"
#include "ui_TabSchnittstelle.h"
#include "prog/ProgAtmel.h"
#include "window/FMain.h"

namespace {

QString Text(int id) { return QString::fromStdString(GetText(id)); }

// The wait cursor for as long as an apply runs, whichever way it ends.
struct TWaitCursor {
  TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
  TWaitCursor(const TWaitCursor&) = delete;
  TWaitCursor& operator=(const TWaitCursor&) = delete;
};

void LogUserAction(const char* line) {
  if (ErrorLogEnabled()) WriteErrorLog(line);
}

// A name that is none of the list's items stays in its field.
void ShowTypedPort(QComboBox* box, const std::string& name) {
  const QSignalBlocker quiet(box);
  box->setCurrentIndex(-1);
  box->setEditText(QString::fromStdString(name));
}

}  // namespace

void TFrmMain::btnOK1Enabled(bool pending) {
  if (pending == applyPending_) return;
  applyPending_ = pending;
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  if (pending) {
    u.btnOK1->setEnabled(true);
    u.btnOK1->setProperty("tag", TextId::btnOK1);
    u.Label3->setProperty("tag", TextId::Label3);
    u.btnOK1->setIcon(ApplyGlyph(0));
  } else if (workMode_ > 200 && workMode_ != 500 && !(workMode_ == 300 && !chkIPSend_)) {
    // USB and TCP-sending modes: nothing to disconnect by hand.
    u.btnOK1->setEnabled(false);
    u.btnOK1->setIcon(ApplyGlyph(0));
  } else {
    u.btnOK1->setProperty("tag", TextId::btnOK1Trennen);
    u.Label3->setProperty("tag", TextId::Label3Trennen);
    u.btnOK1->setEnabled(true);
    u.btnOK1->setIcon(ApplyGlyph(1));
  }
  u.btnOK1->setText(Text(u.btnOK1->property("tag").toInt()));
  u.Label3->setText(Text(u.Label3->property("tag").toInt()));
}

void TFrmMain::ShowInterfaceMessage(const QString& text, bool error) {
  ShowStatusMessage(text);
  // Not modal to the program: the receive path keeps draining meanwhile.
  auto* box = new QMessageBox(error ? QMessageBox::Critical : QMessageBox::Information, windowTitle(), text,
                              QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("msgInterface"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

void TFrmMain::ReportOpenFailure(const std::string& port) {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const bool other = u.grpBaud->ItemIndex() == 0;
  // An unplugged adapter is not a matter of the baud rate.
  ShowInterfaceMessage(QString::fromStdString(PortPresent(port) ? PortOpenFailedText(port, other)
                                                                : PortNotPresentText(port)),
                       true);
  QWidget* page = u.btnOK1->parentWidget();
  if (ui_->Page->currentWidget() != page) ui_->Page->setCurrentWidget(page);
  if (other) u.edOtherBaud->setFocus();
}

void TFrmMain::StopDemo() {
  if (!demo_ && !usbDemo_ && !canDemo_) return;
  if (demo_) demo_->Stop();
  demo_.reset();
  if (usbDemo_ || canDemo_) {
    if (usbDemo_) usbDemo_->StopConversation();
    if (canDemo_) canDemo_->Stop();
    StopUsbMonitor();
    usbDemo_.reset();
    canDemo_.reset();
  }
  // Its pseudo-terminals are gone: unless the user chose other ports, the
  // page shows the stored interface again.
  if (std::exchange(demoOnPage_, false) && !applyPending_) ApplyInterfaceSettings();
}

// The box is changed while hidden, so that its click handler does not run.
void TFrmMain::SetBoxQuietly(QCheckBox* box, bool checked) {
  const bool shown = box->isVisibleTo(box->parentWidget());
  box->setVisible(false);
  const QSignalBlocker quiet(box);
  box->setChecked(checked);
  box->setVisible(shown);
}

void TFrmMain::btnOK1Click() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  activeWorkMode_ = workMode_;
  ProgrammerActive.store(0);
  const TModeButton mode = SelectedMode();
  // The names decide: a list may show a name that is not among its items.
  const std::string portA = PortNameBelowDev(u.cbxSSA->currentText().trimmed().toStdString());
  const std::string portB = PortNameBelowDev(u.cbxSSB->currentText().trimmed().toStdString());
  switch (CheckApply(mode, portA, portB, u.grpBaud->ItemIndex(), u.edOtherBaud->text().toStdString())) {
    case arPortsMustDiffer:
      ShowInterfaceMessage(Text(TextId::MsgPortsMustDiffer), true);
      return;
    case arBaudrateMissing:
      ShowInterfaceMessage(Text(TextId::MsgBaudrateMissing), true);
      ui_->Page->setCurrentWidget(u.btnOK1->parentWidget());
      if (u.edOtherBaud->isEnabled()) u.edOtherBaud->setFocus();
      return;
    case arNone:
      break;
  }
  const bool disconnect = u.btnOK1->property("tag").toInt() == TextId::btnOK1Trennen && u.btnOK1->isEnabled();
  // Mode F with "chkIPSend" takes its data from the coupled instance, not from a port.
  const bool coupled = mode == mbF && chkIPSend_;
  const bool serial = mode != mbG && !coupled;
  // The USB inputs take their rates and formats from the same records.
  if (!disconnect && !coupled && u.spBaud->isChecked()) {
    portAB_.PortASettings = ControlsRecord();
    portAB_.PortBSettings = portAB_.PortASettings;
  }
  TInterfaceRequest request;
  request.Mode = mode;
  request.WorkMode = workMode_;
  request.PortA = portA;
  request.PortB = portB;
  request.Ports = portAB_;
  for (const QString& item : u.grpBaud->Items()) request.BaudItems.push_back(item.toStdString());
  request.Flow = {u.chkFlowSignals->isChecked(), u.chkFlowSignalsRTSA->isChecked(), u.chkFlowSignalsDTRA->isChecked(),
                  u.chkFlowSignalsRTSB->isChecked(), u.chkFlowSignalsDTRB->isChecked()};
  // A rate that is no number is refused like a missing one: the running
  // ports stay as they are.
  if (!disconnect && serial && !LineSettingsUsable(request)) {
    ShowInterfaceMessage(Text(TextId::MsgCheckBaudrate), true);
    ui_->Page->setCurrentWidget(u.btnOK1->parentWidget());
    if (u.edOtherBaud->isEnabled()) u.edOtherBaud->setFocus();
    return;
  }
  TWaitCursor wait;
  if (ports_->PortA().Opened()) LogUserAction("UserAction: Close COM-Ports.");
  // Real settings take over from the demo.
  StopDemo();
  ports_->CloseAll();
  StopUsbMonitor();
  if (disconnect) {
    btnOK1Enabled(true);
    PublishRxOptions();
    return;
  }
  if (!serial) {
    if (mode == mbF) {
      // The coupled instance is the source: no port of ours opens.
      btnOK1Enabled(false);
      ApplyTcpMode();
      PublishRxOptions();
      return;
    }
    LogUserAction("UserAction: Open USB-Port.");
    btnOK1Enabled(false);
    PublishRxOptions();
    StartUsbMode();
    return;
  }
  LogUserAction("UserAction: Open COM-Ports.");
  const TApplyResult result = ports_->Open(request);
  if (result.ConversionFailed) {
    ReportError("1.7", result.ConversionError);
    PublishRxOptions();
    return;
  }
  SetBoxQuietly(u.chkFlowSignalsRTSA, result.Boxes.chkFlowSignalsRTSA);
  SetBoxQuietly(u.chkFlowSignalsDTRA, result.Boxes.chkFlowSignalsDTRA);
  SetBoxQuietly(u.chkFlowSignalsRTSB, result.Boxes.chkFlowSignalsRTSB);
  SetBoxQuietly(u.chkFlowSignalsDTRB, result.Boxes.chkFlowSignalsDTRB);
  for (const std::string& port : result.FailedPorts) ReportOpenFailure(port);
  btnOK1Enabled(result.Pending);
  ApplyTcpMode();
  PublishRxOptions();
}

void TFrmMain::chkFlowSignalsClick() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const bool on = u.chkFlowSignals->isChecked();
  for (QCheckBox* box : {u.chkFlowSignalsRTSA, u.chkFlowSignalsDTRA, u.chkFlowSignalsRTSB, u.chkFlowSignalsDTRB})
    box->setEnabled(on);
  const TFlowCtrlSettings boxes =
      ports_->FlowSignalsChanged({on, u.chkFlowSignalsRTSA->isChecked(), u.chkFlowSignalsDTRA->isChecked(),
                                  u.chkFlowSignalsRTSB->isChecked(), u.chkFlowSignalsDTRB->isChecked()});
  const QSignalBlocker a1(u.chkFlowSignalsRTSA), a2(u.chkFlowSignalsDTRA);
  const QSignalBlocker b1(u.chkFlowSignalsRTSB), b2(u.chkFlowSignalsDTRB);
  u.chkFlowSignalsRTSA->setChecked(boxes.chkFlowSignalsRTSA);
  u.chkFlowSignalsDTRA->setChecked(boxes.chkFlowSignalsDTRA);
  u.chkFlowSignalsRTSB->setChecked(boxes.chkFlowSignalsRTSB);
  u.chkFlowSignalsDTRB->setChecked(boxes.chkFlowSignalsDTRB);
}

void TFrmMain::chkFlowSignalsBoxClick(QCheckBox* box) {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  if (!box->isVisible()) return;
  const bool portB = box == u.chkFlowSignalsRTSB || box == u.chkFlowSignalsDTRB;
  const int line = (box == u.chkFlowSignalsRTSA || box == u.chkFlowSignalsRTSB) ? 0 : 1;
  ports_->FlowSignalBoxClicked(portB, line, box->isChecked(), u.chkFlowSignals->isChecked());
}

// Both lists offer the same ports: those present, then names stored or
// typed that exist as devices.
void TFrmMain::FillPortLists(std::vector<std::string> ports) {
  std::vector<std::string> present;
  EnumeratePorts(present);
  for (std::string& name : ports) AddPortIfPresent(present, name);
  portList_ = std::move(present);
  for (QComboBox* box : {uiSchnittstelle_->cbxSSA, uiSchnittstelle_->cbxSSB}) {
    const QSignalBlocker quiet(box);
    box->clear();
    for (const std::string& name : portList_) box->addItem(QString::fromStdString(name));
  }
}

// A name typed into a list is taken when it exists as a device. One that
// does not stays as typed, so applying can name it; an empty one brings the
// selection back.
bool TFrmMain::TakeTypedPort(bool portB) {
  QComboBox* box = portB ? uiSchnittstelle_->cbxSSB : uiSchnittstelle_->cbxSSA;
  const std::string typed = PortNameBelowDev(box->currentText().trimmed().toStdString());
  const int current = box->currentIndex();
  if (current >= 0 && box->itemText(current).toStdString() == typed) return false;
  if (typed.empty()) {
    box->setEditText(current >= 0 ? box->itemText(current) : QString());
    return false;
  }
  const std::size_t before = portList_.size();
  if (!AddPortIfPresent(portList_, typed)) {
    ShowTypedPort(box, typed);
    return true;
  }
  if (portList_.size() != before)
    for (QComboBox* list : {uiSchnittstelle_->cbxSSA, uiSchnittstelle_->cbxSSB})
      list->addItem(QString::fromStdString(typed));
  box->setCurrentIndex(box->findText(QString::fromStdString(typed)));
  return true;
}

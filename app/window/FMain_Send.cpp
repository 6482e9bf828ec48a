// Sending: the send routine with the window's ports and echo, the trace's
// menu entry "Senden von Bytes" (Ctrl+S) and the send dialog.
#include <QAction>
#include <QStackedWidget>

#include "core/IniFile.h"
#include "core/InterfaceConfig.h"
#include "core/Language.h"
#include "core/SendData.h"
#include "core/SendDialogMode.h"
#include "core/SendSettings.h"
#include "core/Settings.h"
#include "core/Startup.h"
#include "core/TextIds.h"
#include "core/UsbSendHandshake.h"
#include "serial/InterfacePorts.h"
#include "serial/SerialSendPort.h"
#include "UsbSendDevice.h"
#include "ui_TabSchnittstelle.h"
#include "USB.h"
#include "window/Captions.h"
#include "window/FMain.h"
#include "window/TracePane.h"
#include "window/fSend.h"

void TFrmMain::SetupSend() {
  sendRoutine_ = std::make_unique<TSendRoutine>();
  sendPortA_ = std::make_unique<TSerialSendPort>(ports_->PortA());
  sendPortB_ = std::make_unique<TSerialSendPort>(ports_->PortB());
  sendRoutine_->SetPorts(sendPortA_.get(), sendPortB_.get());
  // The USB modes send through the program's one access layer, bracketed
  // for the receive thread, which spares the bus while a frame goes out.
  usbSendDevice_ = std::make_unique<TEzUsbSendDevice>(
      EzUsb(), [this] { if (usbMonitor_) usbMonitor_->BeginDeviceAccess(); },
      [this] { if (usbMonitor_) usbMonitor_->EndDeviceAccess(); });
  usbSend_ = std::make_unique<TUsbHandshakeSend>(*usbSendDevice_);
  sendRoutine_->SetUsb(usbSend_.get());
  // The status line is queued in order with the received text, from any thread.
  sendRoutine_->SetEcho([this](const std::string& text) { ShowSentData(text); });
  storedSend_ = std::make_unique<TSendSettings>();
  if (startup_ != nullptr) {
    startup_->Settings().Register({"SendBytes",
                                   [this](const TIniFile& ini) { *storedSend_ = ReadSendSettings(ini); },
                                   [this](TIniFile& ini) {
                                     // Without the dialog the stored keys stay as they were read.
                                     if (frmSend_ != nullptr) WriteSendSettings(ini, frmSend_->Settings());
                                   }});
  }
  popDatenSenden = new QAction(QStringLiteral("Senden von Bytes"), ed1);
  popDatenSenden->setObjectName(QStringLiteral("popDatenSenden"));
  popDatenSenden->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  popDatenSenden->setProperty("tag", TextId::popDatenSenden);
  ed1->addAction(popDatenSenden);
  connect(popDatenSenden, &QAction::triggered, this, &TFrmMain::popDatenSendenClick);
  UpdateSendEntry();
}

bool TFrmMain::CanSendData() const {
  const Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  return ::CanSendData(u.rgrpF->isChecked(), chkIPSend_, u.rgrpG->isChecked(), workMode_);
}

namespace {
// Shown on its page, whether or not that page is in front.
bool ShownOnPage(const QWidget* control) {
  const QWidget* page = control;
  while (page->parentWidget() != nullptr && qobject_cast<const QStackedWidget*>(page->parentWidget()) == nullptr)
    page = page->parentWidget();
  return control->isVisibleTo(page);
}
}  // namespace

void TFrmMain::UpdateSendEntry() {
  if (popDatenSenden == nullptr || sendRoutine_ == nullptr) return;
  const Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  sendRoutine_->SetWorkMode(workMode_, u.rgrpG->isChecked());
  const bool canSend = CanSendData();
  popDatenSenden->setVisible(canSend);
  // A viewer's data come from its peer and no port of its own is open: an
  // open dialog would have nothing to send to. One that is still sending
  // stays, so that it can be cancelled.
  if (!canSend && frmSend_ != nullptr && frmSend_->isVisible() && !frmSend_->Sending()) frmSend_->hide();
  const bool measuring = ShownOnPage(u.grpBaud) && u.grpBaud->ItemIndex() >= 0 &&
                         u.grpBaud->Item(u.grpBaud->ItemIndex()) == GetQText(TextId::BaudMessen);
  popDatenSenden->setEnabled(!measuring);
}

void TFrmMain::popDatenSendenClick() {
  UpdateSendEntry();
  if (!popDatenSenden->isEnabled() || !popDatenSenden->isVisible()) {
    // While measuring an open dialog goes away.
    if (frmSend_ != nullptr && !popDatenSenden->isEnabled()) frmSend_->hide();
    return;
  }
  const Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  if (!ShownOnPage(u.panUSB) && !ShownOnPage(u.panSeriell)) return;
  if (frmSend_ == nullptr) frmSend_ = new TfrmSend(this, *sendRoutine_, *storedSend_);
  frmSend_->ShowForMode(SendDialogModeFor(workMode_, chkIPSend_));
}

bool TFrmMain::DatenSenden(bool TargetB, std::string_view Text, bool AddCR, bool AddLF, bool Raw, bool WaitDone,
                           bool BreakOrRtr, int RtrLength) {
  return sendRoutine_->DatenSenden(TargetB, Text, AddCR, AddLF, Raw, WaitDone, BreakOrRtr, RtrLength, WindowDelay);
}

void TFrmMain::StopSending() {
  if (frmSend_ != nullptr) frmSend_->StopFileSend();
}

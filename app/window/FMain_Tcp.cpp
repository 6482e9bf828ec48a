// The interface page's TCP/IP part: the coupling with another instance, its
// address field, lamp and the addresses of this PC. The coupling itself is
// window-free (RemoteCoupling); this file wires it to the controls.
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/Startup.h"
#include "net/DynamicaIP.h"
#include "net/RemoteCoupling.h"
#include "ui_FMain.h"
#include "ui_TabSchnittstelle.h"
#include "window/FMain.h"

namespace {

QString LampStyle(TCouplingLamp lamp) {
  const char* colour = lamp == lampGreen        ? "#00ff00"
                       : lamp == lampRed        ? "#ff0000"
                       : lamp == lampButtonFace ? "palette(button)"
                                                : "#ffff00";
  return QStringLiteral("background-color: %1; border: 1px solid gray; border-radius: 6px;").arg(colour);
}

}  // namespace

void TFrmMain::SetupTcp() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  coupling_ = std::make_unique<TRemoteCoupling>(consumer_.Ring());
  coupling_->OnLamp = [this](TCouplingLamp lamp) { ShowIPLamp(lamp); };
  coupling_->OnPeersChanged = [this](const QStringList& peers) {
    uiSchnittstelle_->lbIPPeerList->setText(peers.join(QStringLiteral(", ")));
  };
  coupling_->OnStatusLine = [this](const std::string& line) { ShowStatusMessage(QString::fromStdString(line)); };
  TRemoteCoupling* coupling = coupling_.get();
  pipeline_.SetBatchForward(
      [coupling](const ReceiveRing& ring, int start, int count) { coupling->Forward(ring, start, count); });

  connect(u.edIP, &QLineEdit::editingFinished, this, &TFrmMain::edIPExit);
  connect(u.edIP, &QLineEdit::textChanged, this, &TFrmMain::edIPChange);
  connect(u.chkIPSend, &QCheckBox::clicked, this, &TFrmMain::chkIPSendClick);
  connect(ui_->Page, &QTabWidget::currentChanged, this, [this] {
    if (ui_->Page->currentWidget() == uiSchnittstelle_->btnOK1->parentWidget()) LeseSysIP();
  });

  const TFrmMainSettings defaults;
  const TFrmMainSettings& f = startup_ != nullptr ? startup_->Settings().Values().FrmMain : defaults;
  {
    const QSignalBlocker quiet(u.edIP);
    u.edIP->setText(QString::fromStdString(f.edIP));
  }
  u.chkIPSend->setChecked(f.chkIPSend);
  chkIPSend_ = f.chkIPSend;
  ShowIPLamp(f.edIP.empty() ? lampRed : lampYellow);
  LeseSysIP();
  // Tests start the coupling themselves, on loopback.
  if (startup_ != nullptr)
    StartTcp({f.edIP, f.TCP_Port, f.chkIPSend, f.TCP_Bind, f.TCP_Allow});
  grpIPentferntEinstellen();
}

void TFrmMain::StartTcp(const TCouplingSettings& settings) {
  coupling_->Start(settings, TcpOff.load());
  coupling_->SetWorkMode(workMode_, chkIPSend_);
}

void TFrmMain::StopTcp() {
  pipeline_.SetBatchForward(nullptr);
  if (coupling_) coupling_->Stop();
}

void TFrmMain::StoreTcpSettings(TFrmMainSettings& f) const {
  f.edIP = uiSchnittstelle_->edIP->text().toStdString();
  f.chkIPSend = uiSchnittstelle_->chkIPSend->isChecked();
}

void TFrmMain::ShowIPLamp(int lamp) {
  // An empty address field keeps the lamp red whatever the sockets say,
  // unless the coupling is not in use at all.
  if (lamp != lampButtonFace && uiSchnittstelle_->edIP->text().isEmpty()) lamp = lampRed;
  uiSchnittstelle_->shIPOK->setStyleSheet(LampStyle(static_cast<TCouplingLamp>(lamp)));
  uiSchnittstelle_->shIPOK->setProperty("lamp", lamp);
}

void TFrmMain::LeseSysIP() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  QString localIP;
  try {
    localIP = coupling_->TcpSrv.LocalIP();
    u.edLokNetz->setText(coupling_->TcpSrv.LocalHostName() + QStringLiteral(" (") + localIP + QStringLiteral(")"));
  } catch (const std::exception& e) {
    ReportError("30", e);
  }
  const QString dialUp = QString::fromStdString(DialUpAddresses());
  u.edLokDFUE->setText(dialUp);
  const bool usable = (!localIP.isEmpty() || (!dialUp.isEmpty() && dialUp.front().isDigit())) && !TcpOff.load();
  u.chkIPSend->setEnabled(usable);
  u.edIP->setEnabled(usable);
  u.rgrpF->setEnabled(usable);
  if (!usable) {
    if (u.rgrpF->isChecked()) u.rgrpA->setChecked(true);
    u.chkIPSend->setChecked(false);
    chkIPSend_ = false;
  }
}

void TFrmMain::grpIPentferntEinstellen() {
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const bool tcpMode = u.rgrpF->isChecked();
  u.chkIPSend->setVisible(tcpMode);
  u.lbTcpAdr->setVisible(tcpMode);
  u.edIP->setVisible(tcpMode);
  u.grpIPentfernt->setMinimumWidth(355);
}

void TFrmMain::edIPExit() {
  if (!coupling_) return;
  coupling_->ConnectTo(uiSchnittstelle_->edIP->text().trimmed());
}

void TFrmMain::edIPChange() {
  if (windowStarting_) return;
  btnOK1Enabled(true);
  if (uiSchnittstelle_->edIP->text().isEmpty()) ShowIPLamp(lampRed);
  if (uiSchnittstelle_->rgrpF->isChecked()) SetIcon(-1);
}

void TFrmMain::chkIPSendClick() {
  chkIPSend_ = uiSchnittstelle_->chkIPSend->isChecked();
  if (uiSchnittstelle_->rgrpF->isChecked()) {
    SetIcon(-1);
  } else if (coupling_ && coupling_->Lamp() != lampGreen) {
    ShowIPLamp(lampYellow);
  }
  if (coupling_) coupling_->SetWorkMode(workMode_, chkIPSend_);
}

void TFrmMain::TcpModeChanged() {
  if (coupling_) coupling_->SetWorkMode(workMode_, chkIPSend_);
}

// Applying the settings: the client connects in mode 300, else it lets go.
void TFrmMain::ApplyTcpMode() {
  if (!coupling_) return;
  coupling_->SetWorkMode(workMode_, chkIPSend_);
  if (!chkIPSend_ && !uiSchnittstelle_->rgrpF->isChecked()) ShowIPLamp(lampButtonFace);
  if (activeWorkMode_ == 300) edIPExit();
  else coupling_->DisconnectClient();
}

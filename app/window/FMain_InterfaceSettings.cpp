// The interface page in Tamarik.ini: the stored mode, ports, line records,
// speed buttons and boxes go into the controls at creation and come back out
// at close; the first showing applies them, so a monitor started from its
// settings file listens without a click.
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QToolButton>
#include <algorithm>

#include "EZUSB.h"
#include "core/AppFlags.h"
#include "core/ProgramVersion.h"
#include "core/Startup.h"
#include "serial/InterfacePorts.h"
#include "serial/PortList.h"
#include "ui_TabSchnittstelle.h"
#include "window/FMain.h"

namespace {

// A stored name that is not there now (an unplugged adapter) stays in the
// field rather than quietly becoming another port; applying names it.
void SelectPort(QComboBox* box, const std::vector<std::string>& list, const std::string& name, int index) {
  const QSignalBlocker quiet(box);
  const auto found = std::find(list.begin(), list.end(), PortNameBelowDev(name));
  if (!name.empty() && found != list.end()) {
    box->setCurrentIndex(static_cast<int>(found - list.begin()));
  } else if (!name.empty()) {
    box->setCurrentIndex(-1);
    box->setEditText(QString::fromStdString(PortNameBelowDev(name)));
  } else if (!list.empty()) {
    box->setCurrentIndex(std::clamp(index, 0, static_cast<int>(list.size()) - 1));
  }
}

}  // namespace

void TFrmMain::ApplyInterfaceSettings() {
  const TSettingsValues defaults;
  const TSettingsValues& v = startup_ != nullptr ? startup_->Settings().Values() : defaults;
  // Without a file the values are those of a file that never had a version.
  const bool oldDataBits = startup_ != nullptr ? startup_->Settings().OldDataBitsNumbering()
                                               : StoredVersionOlderThan(defaults.ProgrammVersion, "2.2.2629");
  const TFrmMainSettings& f = v.FrmMain;
  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  chkIPSend_ = f.chkIPSend;

  std::vector<std::string> stored;
  for (const std::string& name : {f.grpSSA_ItemIndex_S, f.grpSSB_ItemIndex_S})
    if (!name.empty()) stored.push_back(PortNameBelowDev(name));
  FillPortLists(stored);
  SelectPort(u.cbxSSA, portList_, f.grpSSA_ItemIndex_S, f.grpSSA_ItemIndex);
  SelectPort(u.cbxSSB, portList_, f.grpSSB_ItemIndex_S, f.grpSSB_ItemIndex);
  UpdatePortLabels(false);
  UpdatePortLabels(true);

  portAB_ = v.PortAB;
  UpgradeDataBits(portAB_, oldDataBits);
  portAB_.PortASettings.FlowMode = std::clamp(portAB_.PortASettings.FlowMode, 0, 2);
  portAB_.PortBSettings.FlowMode = std::clamp(portAB_.PortBSettings.FlowMode, 0, 2);
  const bool showB = portAB_.sbBaudBDown;
  u.spBaudA->setChecked(portAB_.sbBaudADown && !showB);
  u.spBaudB->setChecked(showB);
  u.spBaud->setChecked(!portAB_.sbBaudADown && !showB);
  lastBaudADown_ = u.spBaudA->isChecked();
  lastBaudBDown_ = u.spBaudB->isChecked();
  const TPortSettings& shown = showB ? portAB_.PortBSettings : portAB_.PortASettings;
  LoadPortRecord(shown);
  u.grpFluss->SetItemIndex(shown.FlowMode);
  ColourLineGroups(showB);

  u.grpUSB->SetItemIndex(std::max(0, UsbModeIndexOfText(f.grpUSB)));
  u.chkSound->setChecked(f.chkSound);
  u.chkCTSDSR->setChecked(f.chkCTSDSR);
  u.chkError->setChecked(f.chkError);
  const TFlowCtrlSettings& flow = v.FlowCtrl;
  u.chkFlowSignals->setChecked(flow.chkFlowSignals);
  {
    const QSignalBlocker a1(u.chkFlowSignalsRTSA), a2(u.chkFlowSignalsDTRA);
    const QSignalBlocker b1(u.chkFlowSignalsRTSB), b2(u.chkFlowSignalsDTRB);
    u.chkFlowSignalsRTSA->setChecked(flow.chkFlowSignalsRTSA);
    u.chkFlowSignalsDTRA->setChecked(flow.chkFlowSignalsDTRA);
    u.chkFlowSignalsRTSB->setChecked(flow.chkFlowSignalsRTSB);
    u.chkFlowSignalsDTRB->setChecked(flow.chkFlowSignalsDTRB);
  }
  chkFlowSignalsClick();

  // The mode last: its layout picks the baud list for the records above.
  QRadioButton* const buttons[] = {u.rgrpA, u.rgrpB, u.rgrpC, u.rgrpD, u.rgrpE, u.rgrpF, u.rgrpG, u.rgrpH};
  const bool checked[] = {f.rgrpA, f.rgrpB, f.rgrpC, f.rgrpD, f.rgrpE, f.rgrpF, f.rgrpG, f.rgrpH};
  const auto first = std::find(std::begin(checked), std::end(checked), true);
  const int mode = first == std::end(checked) ? -1 : static_cast<int>(first - std::begin(checked));
  for (int i = 0; i < 8; ++i) {
    const QSignalBlocker quiet(buttons[i]);
    buttons[i]->setAutoExclusive(false);
    buttons[i]->setChecked(i == mode);
    buttons[i]->setAutoExclusive(true);
  }
  static constexpr int kPictures[] = {0, 2, 1, 3, -1, -1, -1, -1};
  if (mode == 3)
    rgrpDClick();
  else
    SetIcon(mode < 0 ? 0 : kPictures[mode]);
}

void TFrmMain::StoreInterfaceSettings() {
  TSettingsValues& v = startup_->Settings().Values();
  TFrmMainSettings& f = v.FrmMain;
  const Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  const TFrmMainSettings stored = f;
  const TPortABSettings storedPorts = v.PortAB;
  f.grpSSA_ItemIndex_S = u.cbxSSA->currentText().toStdString();
  f.grpSSB_ItemIndex_S = u.cbxSSB->currentText().toStdString();
  f.grpSSA_ItemIndex = std::max(u.cbxSSA->currentIndex(), 0);
  f.grpSSB_ItemIndex = std::max(u.cbxSSB->currentIndex(), 0);
  f.rgrpA = u.rgrpA->isChecked();
  f.rgrpB = u.rgrpB->isChecked();
  f.rgrpC = u.rgrpC->isChecked();
  f.rgrpD = u.rgrpD->isChecked();
  f.rgrpE = u.rgrpE->isChecked();
  f.rgrpF = u.rgrpF->isChecked();
  f.rgrpG = u.rgrpG->isChecked();
  f.rgrpH = u.rgrpH->isChecked();
  const TPortSettings shown = ControlsRecord();
  f.grpBaud = shown.Baudrate;
  f.grpDaten = shown.DataBits;
  f.grpParitaet = shown.Parity;
  f.grpStop = shown.StopBits;
  f.grpFluss = shown.FlowMode;
  f.edOtherBaud = shown.OtherBaud;
  f.chkSound = u.chkSound->isChecked();
  f.chkCTSDSR = u.chkCTSDSR->isChecked();
  f.chkError = u.chkError->isChecked();
  if (u.grpUSB->ItemIndex() >= 0) f.grpUSB = u.grpUSB->Item(u.grpUSB->ItemIndex()).toStdString();

  StoreTcpSettings(f);
  v.PortAB = portAB_;
  v.PortAB.sbBaudADown = u.spBaudA->isChecked();
  v.PortAB.sbBaudBDown = u.spBaudB->isChecked();
  // The records follow every click; the one on show is taken as it stands.
  if (u.spBaud->isChecked() || u.spBaudA->isChecked()) v.PortAB.PortASettings = shown;
  if (u.spBaud->isChecked() || u.spBaudB->isChecked()) v.PortAB.PortBSettings = shown;
  v.FlowCtrl = {u.chkFlowSignals->isChecked(), u.chkFlowSignalsRTSA->isChecked(), u.chkFlowSignalsDTRA->isChecked(),
                u.chkFlowSignalsRTSB->isChecked(), u.chkFlowSignalsDTRB->isChecked()};
  if (demoOnPage_) KeepStoredInterface(f, stored, v.PortAB, storedPorts);
}

// The demo's pseudo-terminals vanish with it: the mode, ports and line
// settings stored before it ran stay in the file.
void TFrmMain::KeepStoredInterface(TFrmMainSettings& f, const TFrmMainSettings& stored, TPortABSettings& ports,
                                   const TPortABSettings& storedPorts) {
  f.grpSSA_ItemIndex_S = stored.grpSSA_ItemIndex_S;
  f.grpSSB_ItemIndex_S = stored.grpSSB_ItemIndex_S;
  f.grpSSA_ItemIndex = stored.grpSSA_ItemIndex;
  f.grpSSB_ItemIndex = stored.grpSSB_ItemIndex;
  f.rgrpA = stored.rgrpA;
  f.rgrpB = stored.rgrpB;
  f.rgrpC = stored.rgrpC;
  f.rgrpD = stored.rgrpD;
  f.rgrpE = stored.rgrpE;
  f.rgrpF = stored.rgrpF;
  f.rgrpG = stored.rgrpG;
  f.rgrpH = stored.rgrpH;
  f.grpBaud = stored.grpBaud;
  f.grpDaten = stored.grpDaten;
  f.grpParitaet = stored.grpParitaet;
  f.grpStop = stored.grpStop;
  f.grpFluss = stored.grpFluss;
  f.edOtherBaud = stored.edOtherBaud;
  ports = storedPorts;
}

void TFrmMain::InterfaceFirstActivation() {
  windowStarting_ = false;
  // Tests run without a file, and a running demo is what the user asked for.
  if (startup_ == nullptr || demo_ || UsbDemoRunning()) return;
  if (uiSchnittstelle_->rgrpG->isChecked() && EzUsb().UsbError.load()) return;
  btnOK1Click();
}

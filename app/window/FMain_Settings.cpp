// Tamarik.ini in the window: the stored values go into the controls once at
// creation, and back out once when the window closes. The settings module
// owns the file; each page adds its controls to ApplySettings/StoreSettings.
#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "CanDemo.h"
#include "UsbDemoBox.h"
#include "core/AppFlags.h"
#include "core/Shutdown.h"
#include "core/Startup.h"
#include "core/StoredRxOptions.h"
#include "serial/InterfacePorts.h"
#include "ui_TabTamarik.h"
#include "ui_TabZeit.h"
#include "window/FMain.h"
#include "window/TracePane.h"

void TFrmMain::ApplySettings() {
  ApplyInterfaceSettings();
  if (startup_ == nullptr) return;
  const TSettingsValues& v = startup_->Settings().Values();
  const TFrmMainSettings& f = v.FrmMain;
  timeFmt_ = startup_->BuildTimeFormat(f.chkMs);
  // What no control of this window holds comes from here; the controls
  // below then publish theirs over it.
  rxBase_ = RxOptionsFromSettings(v, *codePages_, workMode_, timeFmt_);

  setGeometry(f.Left, f.Top, f.Width, f.Height);
  popWordWrap->setChecked(f.ed1_WordWrap);
  popWordWrapClick();

  uiZeit_->chkProtZeit->setChecked(f.chkProtZeit);
  uiZeit_->chkProtZeitEnde->setChecked(f.chkProtZeitEnde);
  uiZeit_->chkProtZeitDiff->setChecked(f.chkProtZeitDiff);
  uiZeit_->chkMs->setChecked(f.chkMs);
  uiZeit_->chkProtZyk->setChecked(f.chkProtZyk);
  uiZeit_->edProtZyk->setText(QString::number(f.edProtZyk));
  UpdateProtZykMinutes();
  if (f.chkProtZyk) ArmPeriodicDateEntry();
  chkSound->setChecked(f.chkSound);

  ApplyDataSettings();

  uiTamarik_->chkColorNeg->setChecked(v.ProtArt.chkColorNeg);
  if (v.ProtArt.chkColorNeg) chkColorNegClick();
  uiTamarik_->chkProtScroll->setChecked(v.ProtArt.chkProtScroll);
  uiZeit_->chkLogBegrenzen->setChecked(v.Log.chkLogBegrenzen);

  sdlgFileName_ = QString::fromStdString(f.SDlg_FileName);
  ApplyLogSettings(v);
  ApplyPlugInSettings();
  ApplyCanSettings(v);
  PublishRxOptions();
}

void TFrmMain::StoreSettings() {
  TSettingsValues& v = startup_->Settings().Values();
  TFrmMainSettings& f = v.FrmMain;
  // The normal bounds, also when the window is maximised at exit.
  const QRect bounds = normalGeometry().isValid() ? normalGeometry() : geometry();
  f.Left = bounds.left();
  f.Top = bounds.top();
  f.Width = bounds.width();
  f.Height = bounds.height();
  f.WindowState = isMaximized() ? 2 : 0;
  f.ed1_WordWrap = popWordWrap->isChecked();
  f.chkProtZeit = uiZeit_->chkProtZeit->isChecked();
  f.chkProtZeitEnde = uiZeit_->chkProtZeitEnde->isChecked();
  f.chkProtZeitDiff = uiZeit_->chkProtZeitDiff->isChecked();
  f.chkMs = uiZeit_->chkMs->isChecked();
  f.chkProtZyk = uiZeit_->chkProtZyk->isChecked();
  f.edProtZyk = uiZeit_->edProtZyk->text().toInt();
  f.chkSound = chkSound->isChecked();
  f.SDlg_FileName = sdlgFileName_.toStdString();
  f.Sprache = Sprache;
  v.ProtArt.chkColorNeg = uiTamarik_->chkColorNeg->isChecked();
  v.ProtArt.chkProtScroll = uiTamarik_->chkProtScroll->isChecked();
  v.Log.chkLogBegrenzen = uiZeit_->chkLogBegrenzen->isChecked();
  StoreDataSettings();
  StoreLogSettings(v);
  StorePlugInSettings();
  StoreCanSettings(v);
  StoreInterfaceSettings();
}

// A stored position whose corner (plus 50 pixels) lies off every screen
// moves to (32, 32).
void TFrmMain::KeepOnScreen() {
  const QPoint corner = geometry().topLeft() + QPoint(50, 50);
  for (const QScreen* screen : QGuiApplication::screens())
    if (screen->availableGeometry().contains(corner)) return;
  move(32, 32);
}

void TFrmMain::FirstActivation() {
  if (startup_ != nullptr && startup_->Settings().Values().FrmMain.WindowState == 2) showMaximized();
  // The ports first, then the logs that ran at the last exit.
  InterfaceFirstActivation();
  RestoreLogs();
}

void TFrmMain::closeEvent(QCloseEvent* event) {
  FormClose();
  QMainWindow::closeEvent(event);
}

void TFrmMain::FormClose() {
  if (formClosed_) return;
  formClosed_ = true;
  // Closing starts here: every wait (a relay hand-over to a stalled port, a
  // full run queue) ends before the ports are closed, or closing would wait on it.
  AppClosing.store(true);
  if (startup_ != nullptr) {
    shutdown_ = std::make_unique<TShutdown>(*startup_);
    shutdown_->BeginClose();
  }
  StopSending();
  ports_->CloseAll();
  if (usbDemo_) usbDemo_->StopConversation();
  if (canDemo_) canDemo_->Stop();
  StopUsbMonitor();
  StopTcp();
  if (startup_ == nullptr) {
    CloseLogs();
    return;
  }
  if (demo_) demo_->Stop();
  shutdown_->RememberLogStates(onlineLog_->Checked(), rawLog_->Checked());
  CloseLogs();
  StoreSettings();
  TSysTestInfo info = startup_->SysTest();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const int depth = std::min(screen->depth(), 24);
    info.SysColorCount = depth > 0 ? (1LL << depth) : 0;
  }
  shutdown_->WriteSettings(info);
}

// The main window's side of the USB interface: the access layer's wait that
// keeps the window alive, the USB page, the status lamp, the timer's USB
// duties and the access check with its dialog.
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QThread>

#include "EZUSB.h"
#include "UsbAccessCheck.h"
#include "UsbService.h"
#include "core/ErrorLog.h"
#include "core/Language.h"
#include "core/TextIds.h"
#include "ui_FMain.h"
#include "ui_TabSchnittstelle.h"
#include "window/Captions.h"
#include "window/FMain.h"
#include "window/FMain_UsbPage.h"
#include "window/fDirAuswahl.h"

void TFrmMain::SetupUsb() {
  // A request that must wait for another one keeps the window responsive
  // while it waits on the window thread; other threads simply wait.
  EzUsb().SetWindowWait([] { QCoreApplication::processEvents(QEventLoop::AllEvents, 5); });

  Ui::TabSchnittstelle& u = *uiSchnittstelle_;
  TUsbPageHost host;
  host.Status = [this](const QString& text) { ShowStatusMessage(text); };
  host.UserAction = [](const char* line) {
    if (ErrorLogEnabled()) WriteErrorLog(line);
  };
  host.Lamp = [&u](TUsbLamp lamp) {
    const char* colour = lamp == TUsbLamp::Red ? "red" : lamp == TUsbLamp::Green ? "lime" : lamp == TUsbLamp::Yellow ? "yellow" : nullptr;
    u.shUSBOK->setStyleSheet(colour ? QStringLiteral("background-color: %1;").arg(QLatin1String(colour)) : QString());
  };
  // The USB monitor is not part of this window yet: it never runs.
  host.MonitorActive = [] { return false; };
  host.UsbModeChosen = [&u] { return u.rgrpG->isChecked(); };
  host.OkEnabled = [&u] { return u.btnOK1->isEnabled(); };
  host.EnableOk = [this] { btnOK1Enabled(true); };
  host.RunOk = [this] { btnOK1Click(); };
  host.AccessCheck = [this] { UsbAccessCheck(); };
  QWidget* page = ui_->Page->findChild<QWidget*>(QStringLiteral("tabUSB"));
  usbPage_ = std::make_unique<TUsbPage>(page, EzUsb(), std::move(host));
  connect(u.rgrpG, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !LanguageSwitching) UsbAccessCheck();
  });
}

void TFrmMain::UsbTimerTick() {
  if (usbPage_) usbPage_->TimerTick();
}

void TFrmMain::UsbAccessCheck() {
  const TAccessFacts facts = GatherAccessFacts(EzUsb());
  switch (AccessVerdict(facts)) {
    case TAccessVerdict::NoPermission: {
      TfrmDirAuswahl dialog(this, QCoreApplication::applicationDirPath(), QString::fromLatin1(kSystemRuleFolder));
      dialog.exec();
      break;
    }
    case TAccessVerdict::Outdated:
      // The library is ours and ships with the program: an older one means a
      // broken installation, reported rather than repaired.
      ShowStatusMessage(GetQText(TextId::StatusUsbDriverVersion) + QLatin1Char(' ') +
                        QString::fromStdString(DriverVersionText(facts.Major, facts.Minor, facts.Build)));
      break;
    default: break;
  }
}

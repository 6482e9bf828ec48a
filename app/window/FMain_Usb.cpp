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
#include "USB.h"
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
  host.UsbModeChosen = [&u] { return u.rgrpG->isChecked(); };
  host.OkEnabled = [&u] { return u.btnOK1->isEnabled(); };
  host.EnableOk = [this] { btnOK1Enabled(true); };
  host.RunOk = [this] { btnOK1Click(); };
  host.AccessCheck = [this] { UsbAccessCheck(); };
  QWidget* page = ui_->Page->findChild<QWidget*>(QStringLiteral("tabUSB"));
  // The one receive thread on the box writes into the window's ring, as the
  // serial ports do.
  usbMonitor_ = std::make_unique<TUSBTamarik>(EzUsb(), Ring());
  usbPage_ = std::make_unique<TUsbPage>(page, EzUsb(), *usbMonitor_, std::move(host));
  connect(this, &TFrmMain::LanguageSwitched, usbPage_.get(), &TUsbPage::LanguageSwitched);
  connect(u.rgrpG, &QRadioButton::toggled, this, [this](bool on) {
    if (on && !LanguageSwitching) UsbAccessCheck();
  });
}

void TFrmMain::StopUsbMonitor() {
  if (!usbMonitor_) return;
  usbMonitor_->SetActive(false);
  // Closed once the request under way has finished.
  EzUsb().UsbClose();
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

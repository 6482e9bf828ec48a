// Timer1, once a second from the window's first showing: the sound rule and
// the periodic date entry.
#include <QApplication>
#include <QCheckBox>

#include "core/AppFlags.h"
#include "core/DateTime.h"
#include "window/FMain.h"

void TFrmMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!activated_) {
    activated_ = true;
    KeepOnScreen();
    FirstActivation();
  }
  if (!Timer1.isActive()) Timer1.start();
}

void TFrmMain::Timer1Timer() {
  if (delayedShutdown_.Tick(AppClosing.load(), std::chrono::steady_clock::now())) QApplication::quit();
  const TSoundTick tick = pipeline_.SoundTick(chkSound->isChecked());
  if (tick.Beep || pipeline_.TakeCanBeeps() > 0) QApplication::beep();
  if (tick.SwitchSoundOff) chkSound->setChecked(false);
  PeriodicDateEntry();
  // The logging window opens and closes with the received start and stop characters.
  ShowLoggingState();
  UsbTimerTick();
}

void TFrmMain::chkSoundClick() { pipeline_.SoundTick(false); }

// The next tick writes the entry.
void TFrmMain::ArmPeriodicDateEntry() { periodicDate_.Arm(NowDateTime()); }

void TFrmMain::PeriodicDateEntry() { periodicDate_.Tick(pipeline_, NowDateTime(), ShortDateFmt(), timeFmt_); }

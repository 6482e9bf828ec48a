#include "core/Shutdown.h"

#include "core/AppFlags.h"
#include "core/ErrorLogFile.h"
#include "core/Startup.h"

TShutdown::TShutdown(TStartup& startup) : startup_(startup) {}

void TShutdown::BeginClose() {
  closing_ = true;
  AppClosing.store(true);
}

void TShutdown::RememberLogStates(bool onlineLog, bool rawLog) {
  TFrmMainSettings& values = startup_.Settings().Values().FrmMain;
  values.chkOnlineLog = onlineLog;
  values.chkOnlineRohLog = rawLog;
}

bool TShutdown::WriteSettings(TSysTestInfo sysTest) {
  if (writeDone_) return false;
  writeDone_ = true;
  sysTest.ErrorString = startup_.Errors().ListText();
  written_ = startup_.Settings().Save(sysTest);
  return written_;
}

void TShutdown::Destroyed() {
  startup_.Errors().DetachIni();
  startup_.ErrorLog().Write("Close Tamarik.");
}

bool TDelayedShutdown::Tick(bool appClosing, TClock::time_point now) {
  if (!appClosing && !firstClosingTick_) return false;
  if (!firstClosingTick_) firstClosingTick_ = now;
  return now - *firstClosingTick_ >= kGrace;
}

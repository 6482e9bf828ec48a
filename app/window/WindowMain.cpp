#include "window/WindowMain.h"

#include <QApplication>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <csignal>

#include "core/Startup.h"
#include "core/StoredRxOptions.h"
#include "window/Application.h"
#include "window/FMain.h"

namespace {
std::atomic<bool> stopAsked{false};
void OnStopSignal(int) { stopAsked.store(true); }
}  // namespace

int RunWindow(int argc, char** argv, bool demo, bool demoUsb, bool demoCan) {
  TApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tamarik"));
  // The settings file of the start directory is read before any control exists.
  const bool firstStart = !QFileInfo::exists(QStringLiteral("Tamarik.ini"));
  TStartup startup({std::vector<std::string>(argv + 1, argv + argc), "", ProgramDirectory()});
  // The built-in demo runs when asked for and on the very first start, so a
  // new user sees a live trace without any hardware; on that first start it
  // also brings the trace settings that make it readable.
  if (firstStart) ApplyDemoPresets(startup.Settings().Values(), startup.Settings().CodePages());
  TFrmMain window(nullptr, &startup);
  if (demoUsb)
    window.StartUsbDemo();
  else if (demoCan)
    window.StartCanDemo();
  else if (demo || firstStart)
    window.StartDemo();
  window.show();
  if (startup.CommandLine().ShowAbout) window.ShowAbout();
  // SIGINT/SIGTERM close the window the normal way, so settings and logs
  // are written as on a click on the close button.
  std::signal(SIGINT, OnStopSignal);
  std::signal(SIGTERM, OnStopSignal);
  QTimer signalWatch;
  QObject::connect(&signalWatch, &QTimer::timeout, &window, [&window] {
    if (stopAsked.exchange(false)) window.close();
  });
  signalWatch.start(100);
  return app.exec();
}

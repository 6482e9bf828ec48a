// Sockets in tests: one event loop for the whole program, turned until a
// condition holds (or a generous limit passes, which fails the test).
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <functional>
#include <string>
#include <vector>

#include "core/ErrorReport.h"

inline void EnsureApp() {
  static int argc = 1;
  static char name[] = "test_net";
  static char* argv[] = {name, nullptr};
  if (QCoreApplication::instance()) return;
  static QCoreApplication app(argc, argv);
}

inline bool TurnUntil(const std::function<bool()>& done, int limitMs = 10000) {
  QElapsedTimer clock;
  clock.start();
  while (!done()) {
    if (clock.elapsed() > limitMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

// Lets pending events run for a moment (to see that something does NOT happen).
inline void TurnFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Collects what goes to the error report while it lives.
class TReportCatcher {
 public:
  TReportCatcher() {
    SetErrorReporter([this](const std::string&, const std::string& message) { Messages.push_back(message); });
  }
  ~TReportCatcher() { SetErrorReporter(nullptr); }
  bool Contains(const std::string& part) const {
    for (const std::string& m : Messages)
      if (m.find(part) != std::string::npos) return true;
    return false;
  }
  std::vector<std::string> Messages;
};

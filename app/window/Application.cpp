#include "window/Application.h"

#include <exception>

#include "core/ErrorReport.h"

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ReportError("1.1", error);
  } catch (...) {
    ReportError("1.1", "Unknown exception");
  }
  return false;
}

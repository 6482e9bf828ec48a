#include "window/WindowMain.h"

#include <QApplication>

#include "window/FMain.h"

int RunWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tamarik"));
  TFrmMain window;
  window.StartDemo();
  window.show();
  return app.exec();
}

#include "window/WindowMain.h"

#include <QApplication>

#include "window/FMain.h"

int RunWindow(int argc, char** argv) {
  QApplication app(argc, argv);
  TFrmMain window;
  window.show();
  return app.exec();
}

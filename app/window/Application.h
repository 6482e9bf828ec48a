// The window's application object. An exception that escapes a handler does
// not end the program: it becomes an error report (location 1.1) and the
// event loop goes on.
#pragma once

#include <QApplication>

class TApplication : public QApplication {
  Q_OBJECT
 public:
  TApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

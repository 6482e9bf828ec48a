// Shared by the window tests: the application object, window fixtures, a
// wait that keeps the event loop running, and received bytes and dialogs.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QPushButton>
#include <QUrl>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "core/ErrorLogFile.h"
#include "core/Startup.h"
#include "core/TempDir.h"
#include "serial/PseudoTerminal.h"
#include "window/FMain.h"
#include "window/TracePane.h"

// Readable addresses in failure messages.
inline void PrintTo(const QUrl& url, std::ostream* out) { *out << url.toString().toStdString(); }

// Runs the event loop until the condition holds (or a generous deadline
// passes, which only a broken build reaches); returns the condition.
bool WaitFor(const std::function<bool()>& condition);

// Every window of the tests starts in German (the language of the texts the
// tests compare with) and opens help pages only into `opened`: no browser.
class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Instead of SetUp's window: the window as the program starts it, from a
  // start-up over `dir` (ini, when given, as its Tamarik.ini) with its error
  // log there, shown.
  void Start(std::vector<std::string> args = {}, const std::string& ini = {});

  TTracePane* Pane() const { return frm->TracePane(); }
  void Append(std::string_view text, TColor color = clBlack) { frm->AppendText(Pane(), text, color); }
  template <class T>
  T* Find(const char* name) const {
    return frm->findChild<T*>(QLatin1String(name));
  }
  QCheckBox* Check(const char* name) const { return Find<QCheckBox>(name); }
  QPushButton* Button(const char* name) const { return Find<QPushButton>(name); }
  void Key(int key, const QString& text = {}, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

  TTempDir dir;
  TErrorLogFile log;
  std::unique_ptr<TStartup> startup;
  std::unique_ptr<TFrmMain> frm;
  std::vector<QUrl> opened;

 private:
  void OpenHelpIntoList();
};

// Tests whose window comes from Start.
class StartedWindowTest : public WindowTest {
 protected:
  void SetUp() override {}
};

// The Language.txt the windows of the tests use, in a folder of their own.
QString TestLanguageFile();

// One received byte as a port records it.
TSeriellData ByteRecord(std::uint8_t byte, std::uint8_t dir = dirPortA, double time = 0.0);
// Puts every byte into the window's ring, one record each.
void ReceiveBytes(TFrmMain& frm, std::string_view bytes, std::uint8_t dir = dirPortA);

// Answers the next modal dialog once it is up.
void WhenDialogShows(std::function<void(QWidget*)> answer);

// The interface page with two pseudo-terminals standing in for the ports.
class PortPageTest : public WindowTest {
 protected:
  void SetUp() override;
  // Types a port name into a list the way a user does.
  void TypePort(const char* list, const std::string& name);
  QString Caption() const { return Button("btnOK1")->text(); }

  TPseudoTerminal lineA, lineB;
};

// A start directory of its own with an error log, for tests over two
// program runs.
struct TStartDir {
  TStartDir() {
    Options.StartDir = Work.Path().string();
    Options.ErrorLog = &ErrorLog;
  }
  TTempDir Work;
  TErrorLogFile ErrorLog;
  TStartupOptions Options;
};

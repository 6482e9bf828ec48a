#include "WindowTestSupport.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include "window/Application.h"
#include "core/Language.h"
#include "window/Help.h"

namespace {

QTemporaryDir& LanguageDir() {
  static QTemporaryDir dir;
  return dir;
}

class QtEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<TApplication>(argc_, argv_);
    // Never beside the test program, where every run would leave one.
    ProgramLanguage().SetFile(TestLanguageFile().toStdString());
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "test_window";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<TApplication> app_;
};

const auto* const qtEnvironment = ::testing::AddGlobalTestEnvironment(new QtEnvironment);

}  // namespace

QString TestLanguageFile() { return LanguageDir().filePath(QStringLiteral("Language.txt")); }

bool WaitFor(const std::function<bool()>& condition) {
  QElapsedTimer clock;
  clock.start();
  while (!condition()) {
    if (clock.elapsed() > 20'000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    QThread::msleep(1);
  }
  return true;
}

void WindowTest::SetUp() {
  frm = std::make_unique<TFrmMain>();
  frm->Help().SetOpener([this](const QUrl& url) {
    opened.push_back(url);
    return true;
  });
  frm->SelectLanguage(0);
  frm->resize(760, 520);
  frm->show();
  QCoreApplication::processEvents();
}

void WindowTest::Key(int key, const QString& text, Qt::KeyboardModifiers modifiers) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(Pane(), &press);
}

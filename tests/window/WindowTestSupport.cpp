#include "WindowTestSupport.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "core/AppFlags.h"
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

void WindowTest::OpenHelpIntoList() {
  frm->Help().SetOpener([this](const QUrl& url) {
    opened.push_back(url);
    return true;
  });
}

void WindowTest::SetUp() {
  frm = std::make_unique<TFrmMain>();
  OpenHelpIntoList();
  frm->SelectLanguage(0);
  frm->resize(760, 520);
  frm->show();
  QCoreApplication::processEvents();
}

void WindowTest::TearDown() {
  frm.reset();
  startup.reset();
  ServiceMode.store(false);
}

void WindowTest::Start(std::vector<std::string> args, const std::string& ini) {
  frm.reset();
  if (!ini.empty()) TTempDir::Write(dir.File("Tamarik.ini"), ini);
  log.SetPath(dir.File("TamarikErr.log"));
  TStartupOptions options;
  options.Arguments = std::move(args);
  options.StartDir = dir.Path().string();
  options.ErrorLog = &log;
  startup = std::make_unique<TStartup>(std::move(options));
  frm = std::make_unique<TFrmMain>(nullptr, startup.get());
  OpenHelpIntoList();
  frm->show();
  QCoreApplication::processEvents();
}

void WindowTest::Key(int key, const QString& text, Qt::KeyboardModifiers modifiers) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(Pane(), &press);
}

TSeriellData ByteRecord(std::uint8_t byte, std::uint8_t dir, double time) {
  TSeriellData r;
  r.RecType = rtSeriell;
  r.Count = 1;
  r.Data[0] = byte;
  r.Dir = dir;
  r.Time = time;
  r.Ready = 1;
  return r;
}

void ReceiveBytes(TFrmMain& frm, std::string_view bytes, std::uint8_t dir) {
  for (const char c : bytes) frm.Ring().Put(ByteRecord(static_cast<std::uint8_t>(c), dir));
}

void WhenDialogShows(std::function<void(QWidget*)> answer) {
  auto* timer = new QTimer;
  QObject::connect(timer, &QTimer::timeout, [timer, answer = std::move(answer)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    timer->stop();
    timer->deleteLater();
    answer(modal);
  });
  timer->start(5);
}

void PortPageTest::SetUp() {
  WindowTest::SetUp();
  ASSERT_EQ(lineA.Open(), 0);
  ASSERT_EQ(lineB.Open(), 0);
}

void PortPageTest::TypePort(const char* list, const std::string& name) {
  auto* box = Find<QComboBox>(list);
  box->setEditText(QString::fromStdString(name));
  emit box->lineEdit()->editingFinished();
}

// The Info page: the version, the error list and the "/?" box. The error
// report may change the list from any thread; the text reaches the label
// through the window's event queue.
#include <QEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QTabWidget>
#include <functional>
#include <mutex>

#include "core/AboutText.h"
#include "core/ErrorLogFile.h"
#include "core/Language.h"
#include "core/Startup.h"
#include "ui_FMain.h"
#include "ui_TabInfo.h"
#include "window/FMain.h"

class TInfoPage : public QObject {
 public:
  // What the error report's hook reaches; cleared before the window goes, so
  // a report on another thread never posts to a window being destroyed.
  struct TListTarget {
    std::mutex Lock;
    TFrmMain* Window = nullptr;
  };

  ~TInfoPage() override {
    if (Startup != nullptr) Startup->Errors().SetListChanged(nullptr);
    std::lock_guard guard(Target->Lock);
    Target->Window = nullptr;
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonDblClick && OnDblClick) {
      OnDblClick();
      return true;
    }
    return QObject::eventFilter(watched, event);
  }

  Ui::TabInfo Ui;
  TStartup* Startup = nullptr;
  std::shared_ptr<TListTarget> Target = std::make_shared<TListTarget>();
  std::function<void()> OnDblClick;
};

void TFrmMain::SetupInfo() {
  infoPage_ = std::make_shared<TInfoPage>();
  auto* form = new QWidget(ui_->Page);
  infoPage_->Ui.setupUi(form);
  ui_->Page->addTab(form, form->windowTitle());
  infoPage_->Ui.edVer->setText(QString::fromStdString(TLanguage::RunningVersion()));
  infoPage_->Ui.lbErrMsg->installEventFilter(infoPage_.get());
  infoPage_->OnDblClick = [this] { lbErrMsgDblClick(); };
  if (startup_ == nullptr) return;

  infoPage_->Startup = startup_;
  infoPage_->Target->Window = this;
  startup_->Errors().SetListChanged([target = infoPage_->Target](const std::string& displayText) {
    std::lock_guard guard(target->Lock);
    TFrmMain* window = target->Window;
    if (window == nullptr) return;
    QMetaObject::invokeMethod(
        window, [window, text = QString::fromStdString(displayText)] { window->ShowErrorList(text); },
        Qt::QueuedConnection);
  });
  // Reports made before the window existed (the date format, the settings).
  ShowErrorList(QString::fromStdString(startup_->Errors().DisplayText()));
}

void TFrmMain::ShowErrorList(const QString& displayText) { infoPage_->Ui.lbErrMsg->setText(displayText); }

// Switches the error log on for the rest of the run; the list turns to the
// window colours so that one sees it is on.
void TFrmMain::lbErrMsgDblClick() {
  TErrorLogFile& log = startup_ != nullptr ? startup_->ErrorLog() : ProgramErrorLog();
  log.SetEnabled(true);
  log.Write("Activate Err-Log.");
  QLabel* label = infoPage_->Ui.lbErrMsg;
  QPalette colours = label->palette();
  colours.setColor(QPalette::Window, colours.color(QPalette::Base));
  colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
  label->setPalette(colours);
  label->setAutoFillBackground(true);
}

QString TFrmMain::AboutText() const {
  const Ui::TabInfo& info = infoPage_->Ui;
  return QString::fromStdString(
      ::AboutText(info.Label9->text().toStdString(), info.lbVersion->text().toStdString(), info.edVer->text().toStdString()));
}

// Not modal for the program: the window runs on behind the box.
void TFrmMain::ShowAbout() {
  auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("Tamarik"), AboutText(), QMessageBox::Ok, this);
  box->setObjectName(QStringLiteral("AboutBox"));
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->open();
}

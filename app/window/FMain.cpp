#include "window/FMain.h"

#include <QDir>
#include <QLabel>
#include <QStatusBar>
#include <QStatusTipEvent>

#include "CanDemo.h"
#include "UsbDemoBox.h"
#include "core/AppFlags.h"
#include "core/Shutdown.h"
#include "core/Startup.h"
#include "net/RemoteCoupling.h"
#include "core/Language.h"
#include "ui_FMain.h"
#include "core/SendData.h"
#include "core/SendSettings.h"
#include "core/UsbSendHandshake.h"
#include "serial/InterfacePorts.h"
#include "serial/SerialSendPort.h"
#include "window/fSend.h"
#include "ui_TabSchnittstelle.h"
#include "ui_TabTamarik.h"
#include "ui_TabZeit.h"
#include "core/CodePageList.h"
#include "core/IniFile.h"
#include "ui_TabDaten.h"
#include "ui_TabProtokollbegrenzung.h"
#include "window/CanPageUi.h"
#include "window/Help.h"
#include "window/TracePane.h"
#include "window/FMain_UsbPage.h"
#include "USB.h"

TFrmMain::TFrmMain(QWidget* parent, TStartup* startup)
    : QMainWindow(parent),
      startup_(startup),
      ui_(std::make_unique<Ui::FrmMain>()),
      uiTamarik_(std::make_unique<Ui::TabTamarik>()),
      uiZeit_(std::make_unique<Ui::TabZeit>()),
      help_(std::make_unique<THelp>()),
      pipeline_(queue_),
      consumer_([this](TSerialThreadOut& sender) { pipeline_.RxData(sender); }) {
  AppClosing.store(false);
  ui_->setupUi(this);
  BuildPages();
  BuildStatusBar();
  BuildTracePopup();
  SetupSend();
  ConnectPageButtons();
  ConnectTrace();
  ConnectTimeOptions();
  SetupLogs();
  SetupPlugIn();
  ConnectHelp();
  sdlgFileName_ = QDir::currentPath() + QStringLiteral("/Tamarik.txt");

  RebuildTimeFmt();
  // The stored language choice, before the texts are applied.
  if (startup_ != nullptr) Sprache = startup_->Settings().Values().FrmMain.Sprache;
  StartLanguage();
  PublishRxOptions();
  ApplySettings();
  SetupTcp();
  SetupAutomation();
  SetupVersionCheck();
  SetupUsb();
  StartReceiving();
  Timer1.setInterval(1000);
  connect(&Timer1, &QTimer::timeout, this, &TFrmMain::Timer1Timer);
}

TFrmMain::~TFrmMain() {
  FormClose();
  StopReceiving();
  ProgramLanguage().KeepFileUpToDate(IniReadOnly.load());
  if (shutdown_) shutdown_->Destroyed();
  // The base class still hides the window and moves the focus, so a line
  // edit reports "editing finished" after this part is gone.
  for (QObject* child : findChildren<QObject*>()) QObject::disconnect(child, nullptr, this, nullptr);
}

void TFrmMain::BuildStatusBar() {
  QStatusBar* bar = ui_->StBar;
  stPanel0_ = new QLabel(QStringLiteral("Protokollierung:"), bar);
  stPanel0_->setObjectName(QStringLiteral("StBarPanel0"));
  stPanel0_->setProperty("tag", 1120);
  stPanel1_ = new QLabel(QStringLiteral("An"), bar);
  stPanel1_->setObjectName(QStringLiteral("StBarPanel1"));
  stPanel1_->setMinimumWidth(30);
  stMessage_ = new QLabel(bar);
  stMessage_->setObjectName(QStringLiteral("StBarPanel2"));
  bar->addWidget(stPanel0_);
  bar->addWidget(stPanel1_);
  bar->addWidget(stMessage_, 1);
}

void TFrmMain::ShowStatusMessage(const QString& text) {
  hintShown_ = false;
  stMessage_->setText(text);
}

QString TFrmMain::StatusMessage() const { return stMessage_->text(); }

bool TFrmMain::event(QEvent* event) {
  // Hints go to the message panel, so the logging state stays in sight.
  if (event->type() == QEvent::StatusTip) {
    ShowStatusMessage(static_cast<QStatusTipEvent*>(event)->tip());
    hintShown_ = true;
    return true;
  }
  return QMainWindow::event(event);
}

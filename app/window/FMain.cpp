#include "window/FMain.h"

#include <QTabWidget>

#include "core/AppFlags.h"
#include "core/DateTime.h"

TFrmMain::TFrmMain(QWidget* parent)
    : QMainWindow(parent),
      pipeline_(queue_),
      consumer_([this](TSerialThreadOut& sender) { pipeline_.RxData(sender); }) {
  auto* page = new QTabWidget(this);
  ed1 = new QTextEdit(page);
  ed1->setReadOnly(true);
  ed1->setFont(QFont("Courier New", 10));
  page->addTab(ed1, "&Tamarik");
  setCentralWidget(page);
  resize(900, 600);

  TRxOptions rx;
  rx.TimeFmt = BuildTimeFmt(true);
  rx.chkProtZeit = true;
  rx.chkMs = true;
  rx.chkTextBegin = true;
  rx.chkDatenAend = true;
  auto codes = std::make_shared<TCodeEntries>(*DefaultCodeEntries());
  (*codes)['\n'].LineBreak = true;
  rx.Codes = codes;
  pipeline_.SetOptions(rx);
  consumer_.Resume();

  ReceiveRing& ring = consumer_.Ring();
  demo_ = std::make_unique<TDemoSource>([&ring](bool fromSps, const std::string& bytes) {
    for (char c : bytes) {
      TSeriellData r;
      r.Count = 1;
      r.Data[0] = static_cast<std::uint8_t>(c);
      r.Dir = fromSps ? dirPortB : dirPortA;
      r.Ready = 1;
      ring.Put(r);
    }
  });
  demo_->Start();
  connect(&drainTimer_, &QTimer::timeout, this, &TFrmMain::DrainRuns);
  drainTimer_.start(30);
}

TFrmMain::~TFrmMain() {
  AppClosing.store(true);
  queue_.WakeAll();
  demo_->Stop();
  consumer_.Terminate();
}

void TFrmMain::DrainRuns() {
  queue_.Take(runs_);
  for (const TTextRun& run : runs_) {
    QTextCursor cursor(ed1->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(QColor((run.Color >> 16) & 0xFF, (run.Color >> 8) & 0xFF, run.Color & 0xFF));
    QString text = QString::fromUtf8(run.Text.data(), static_cast<int>(run.Text.size()));
    text.remove('\r');
    cursor.insertText(text, format);
  }
}

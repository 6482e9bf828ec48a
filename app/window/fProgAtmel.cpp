#include "window/fProgAtmel.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QRegularExpressionValidator>
#include <QTimer>

#include "core/Language.h"
#include "core/TextIds.h"
#include "ui_fProgAtmel.h"
#include "window/ApplyTexts.h"
#include "window/Captions.h"

namespace {
QString Q(const std::string& text) { return QString::fromStdString(text); }
}  // namespace

TfrmProgAtmel::TfrmProgAtmel(QWidget* owner, TSendTelegram send, std::shared_ptr<TCanAnswerQueue> answers)
    : QDialog(owner), ui_(std::make_unique<Ui::TfrmProgAtmel>()), core_(std::move(send)), answers_(std::move(answers)) {
  ui_->setupUi(this);
  setModal(false);
  Tmr1 = new QTimer(this);
  Tmr1->setObjectName(QStringLiteral("Tmr1"));
  Tmr1->setInterval(36);
  Tmr2 = new QTimer(this);
  Tmr2->setObjectName(QStringLiteral("Tmr2"));
  Tmr2->setInterval(150);
  // KeyPressHex: hexadecimal digits only, shown in upper case.
  for (QLineEdit* edit : {ui_->edP1CF, ui_->edP3CF, ui_->edP4CF, ui_->edBSB, ui_->edEB, ui_->edSBV}) {
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9A-Fa-f]{0,2}")), edit));
    connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
      if (text != text.toUpper()) {
        const int at = edit->cursorPosition();
        edit->setText(text.toUpper());
        edit->setCursorPosition(at);
      }
    });
  }
  ui_->pgMain->setCurrentWidget(ui_->tabMain);
  ODlg = [this] {
    return QFileDialog::getOpenFileName(this, QString(), QString(),
                                        QStringLiteral("HEX (*.hex *.HEX);;") + GetQText(TextId::ODlgFilter) +
                                            QStringLiteral(" (*)"));
  };
  Connect();
  Refresh();
}

TfrmProgAtmel::~TfrmProgAtmel() = default;

void TfrmProgAtmel::Connect() {
  Ui::TfrmProgAtmel& u = *ui_;
  connect(u.btnStartConnect, &QPushButton::clicked, this, &TfrmProgAtmel::btnStartConnectClick);
  connect(u.btnErase, &QPushButton::clicked, this, &TfrmProgAtmel::btnEraseClick);
  connect(u.btnFile, &QPushButton::clicked, this, &TfrmProgAtmel::btnFileClick);
  connect(u.btnSendFile, &QPushButton::clicked, this, &TfrmProgAtmel::btnSendFileClick);
  connect(u.btnStartDev, &QPushButton::clicked, this, &TfrmProgAtmel::btnStartDevClick);
  connect(u.pgMain, &QTabWidget::currentChanged, this, &TfrmProgAtmel::pgMainChange);
  connect(u.btnSetExtra, &QPushButton::clicked, this, &TfrmProgAtmel::btnSetExtraClick);
  connect(u.btnAbbruch, &QPushButton::clicked, this, &TfrmProgAtmel::btnAbbruchClick);
  connect(Tmr1, &QTimer::timeout, this, &TfrmProgAtmel::Tmr1Timer);
  connect(Tmr2, &QTimer::timeout, this, &TfrmProgAtmel::Tmr2Timer);
}

void TfrmProgAtmel::Refresh() {
  Ui::TfrmProgAtmel& u = *ui_;
  const TProgAtmelView& v = core_.View();
  u.lbStartStatus->setText(Q(v.lbStartStatus));
  u.lbEraseOK->setText(Q(v.lbEraseOK));
  u.lbSendOK->setText(Q(v.lbSendOK));
  u.lbStartDev->setText(Q(v.lbStartDev));
  u.lbSetExtra->setText(Q(v.lbSetExtra));
  u.btnErase->setEnabled(v.btnEraseEnabled);
  u.btnFile->setEnabled(v.btnFileEnabled);
  u.btnSendFile->setEnabled(v.btnSendFileEnabled);
  u.btnStartDev->setEnabled(v.btnStartDevEnabled);
  u.pgMain->setTabVisible(u.pgMain->indexOf(u.tabExtra), v.tabExtraVisible);
  QLineEdit* edits[] = {u.edP1CF, u.edP3CF, u.edP4CF, u.edBSB, u.edEB, u.edSBV};
  for (std::size_t i = 0; i < v.Extras.size(); ++i) {
    if (v.Extras[i] == shownExtras_[i]) continue;
    shownExtras_[i] = v.Extras[i];
    edits[i]->setText(Q(v.Extras[i]));
  }
  if (v.Tmr1Enabled != Tmr1->isActive()) v.Tmr1Enabled ? Tmr1->start() : Tmr1->stop();
  if (v.Tmr2Enabled != Tmr2->isActive()) v.Tmr2Enabled ? Tmr2->start() : Tmr2->stop();
}

void TfrmProgAtmel::btnStartConnectClick() {
  core_.btnStartConnectClick();
  Refresh();
}

void TfrmProgAtmel::TakeAnswers() {
  if (answers_ == nullptr) return;
  for (const TCanFrame& frame : answers_->TakeAll()) core_.CanFrameReceived(frame);
}

void TfrmProgAtmel::Tmr2Timer() {
  TakeAnswers();
  core_.Tmr2Timer();
  Refresh();
}

void TfrmProgAtmel::btnEraseClick() {
  core_.btnEraseClick();
  Refresh();
}

void TfrmProgAtmel::btnFileClick() {
  const QString chosen = ODlg ? ODlg() : QString();
  if (chosen.isEmpty()) return;
  fileName_ = chosen.toStdString();
  btnSendFileClick();
}

void TfrmProgAtmel::btnSendFileClick() {
  core_.btnSendFileClick(fileName_, [this](std::string_view message) {
    QMessageBox::warning(this, windowTitle(), QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())));
  });
  Refresh();
}

void TfrmProgAtmel::Tmr1Timer() {
  TakeAnswers();
  core_.Tmr1Timer();
  Refresh();
}

void TfrmProgAtmel::btnStartDevClick() {
  core_.btnStartDevClick();
  Refresh();
}

void TfrmProgAtmel::pgMainChange(int index) {
  if (ui_->pgMain->widget(index) != ui_->tabExtra) return;
  for (QLineEdit* edit : {ui_->edP1CF, ui_->edP3CF, ui_->edP4CF, ui_->edBSB, ui_->edEB, ui_->edSBV}) edit->clear();
  shownExtras_ = {};
  core_.ExtraPageShown();
  Refresh();
}

void TfrmProgAtmel::btnSetExtraClick() {
  const Ui::TfrmProgAtmel& u = *ui_;
  core_.btnSetExtraClick({u.edP1CF->text().toStdString(), u.edP3CF->text().toStdString(),
                          u.edP4CF->text().toStdString(), u.edBSB->text().toStdString(),
                          u.edEB->text().toStdString(), u.edSBV->text().toStdString()});
  Refresh();
}

void TfrmProgAtmel::FormHide() {
  // Answers that come after this belong to no step.
  if (answers_ != nullptr) answers_->TakeAll();
  ProgrammerActive.store(0);
  core_.Cancel();
  Refresh();
}

void TfrmProgAtmel::btnAbbruchClick() {
  FormHide();
  hide();
}

void TfrmProgAtmel::CanFrameReceived(const TCanFrame& frame) {
  core_.CanFrameReceived(frame);
  Refresh();
}

void TfrmProgAtmel::showEvent(QShowEvent* event) {
  ApplyTexts(this, LanguageOffset());
  QDialog::showEvent(event);
}

void TfrmProgAtmel::hideEvent(QHideEvent* event) {
  FormHide();
  QDialog::hideEvent(event);
}

#include "window/fSend.h"

#include <QApplication>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <filesystem>

#include "core/AppFlags.h"
#include "core/ErrorReport.h"
#include "core/Language.h"
#include "core/SendData.h"
#include "core/SendText.h"
#include "core/TextIds.h"
#include "ui_fSend.h"
#include "window/ApplyTexts.h"
#include "window/Captions.h"

namespace {

std::string Std(const QString& text) { return text.toStdString(); }

}  // namespace

void WindowDelay(int ms) {
  QEventLoop loop;
  QTimer::singleShot(ms, &loop, &QEventLoop::quit);
  loop.exec();
}

TfrmSend::TfrmSend(QWidget* owner, TSendRoutine& routine, const TSendSettings& stored)
    : QDialog(owner, Qt::Dialog | Qt::WindowStaysOnTopHint), ui_(std::make_unique<Ui::TfrmSend>()), routine_(routine) {
  ui_->setupUi(this);
  setModal(false);
  // The file page's port labels and button show the data page's captions.
  ui_->lbrbA1->setProperty("tag", TextId::lbrbA);
  ui_->lbrbB1->setProperty("tag", TextId::lbrbB);
  ui_->btnFileSend->setProperty("tag", TextId::btnSend);
  ui_->edWartAfterLine->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d*")), this));
  ui_->edRTRLen->installEventFilter(this);
  for (QLabel* label : {ui_->lbrbA, ui_->lbrbB, ui_->lbrbA1, ui_->lbrbB1}) label->installEventFilter(this);
  ui_->pBarSize->hide();
  ApplyStored(stored);
  Connect();
  OpenFileDialog = [this](const QString& proposed) {
    return QFileDialog::getOpenFileName(this, GetQText(TextId::ODlg), proposed,
                                        NameFiltersFromText(GetQText(TextId::ODlgFilter) + QStringLiteral("|*.*"))
                                            .join(QStringLiteral(";;")));
  };
}

TfrmSend::~TfrmSend() {
  // The file send must not outlive the dialog that shows its progress.
  if (fileSend_.Running()) SendAbort.store(true);
  fileSend_.Join();
}

void TfrmSend::Connect() {
  Ui::TfrmSend& u = *ui_;
  connect(u.btnSend, &QPushButton::clicked, this, &TfrmSend::btnSendClick);
  connect(u.btnFileSend, &QPushButton::clicked, this, &TfrmSend::btnFileSendClick);
  connect(u.btnAbbruch, &QPushButton::clicked, this, &TfrmSend::btnAbbruchClick);
  connect(u.btnAbbruch2, &QPushButton::clicked, this, &TfrmSend::btnAbbruchClick);
  connect(u.btnDateiSend, &QPushButton::clicked, this, &TfrmSend::btnDateiSendClick);
  connect(u.chkWartAfterLine, &QCheckBox::toggled, this, &TfrmSend::chkWartAfterLineClick);
  connect(u.chkBrkAdd, &QCheckBox::toggled, this, &TfrmSend::chkBrkAddClick);
  connect(u.cboDaten, &QComboBox::editTextChanged, this, &TfrmSend::cboDatenChange);
  // Both pages choose the same port.
  connect(u.rbA, &QRadioButton::toggled, u.rbA1, &QRadioButton::setChecked);
  connect(u.rbA1, &QRadioButton::toggled, u.rbA, &QRadioButton::setChecked);
  connect(u.rbB, &QRadioButton::toggled, u.rbB1, &QRadioButton::setChecked);
  connect(u.rbB1, &QRadioButton::toggled, u.rbB, &QRadioButton::setChecked);
}

void TfrmSend::ApplyStored(const TSendSettings& stored) {
  Ui::TfrmSend& u = *ui_;
  const TSendFormSettings& f = stored.Form;
  history_ = stored.History;
  if (history_.size() > kSendHistoryMax) history_.resize(kSendHistoryMax);
  FillHistory();
  if (!history_.empty()) u.cboDaten->setCurrentIndex(0);
  u.cboDaten->setEditText(QString());
  if (f.rbA_Checked) u.rbA->setChecked(true);
  if (f.rbB_Checked) u.rbB->setChecked(true);
  u.rbA1->setChecked(u.rbA->isChecked());
  u.rbB1->setChecked(u.rbB->isChecked());
  u.chkCRAdd->setChecked(f.chkCRAdd_Checked);
  u.chkLFAdd->setChecked(f.chkLFAdd_Checked);
  u.pgMain->setCurrentIndex(f.pgMain_ActivePageIndex == 1 ? 1 : 0);
  u.chkWartAfterLine->setChecked(f.chkWartAfterLine_Checked);
  u.edWartAfterLine->setText(QString::fromStdString(f.edWartAfterLine_Text));
  u.edDateiSend->setText(QString::fromStdString(f.edDateiSend_Text));
  u.chkBrkAdd->setChecked(f.chkBrkAdd_Checked);
  u.edRTRLen->setText(QString::fromStdString(f.edRTRLen_Text.substr(0, 1)));
  u.edRTRLen->setEnabled(f.chkBrkAdd_Checked);
  chkWartAfterLineClick();
}

TSendSettings TfrmSend::Settings() const {
  const Ui::TfrmSend& u = *ui_;
  TSendSettings s;
  s.History = history_;
  TSendFormSettings& f = s.Form;
  f.rbA_Checked = u.rbA->isChecked();
  f.rbB_Checked = u.rbB->isChecked();
  f.chkCRAdd_Checked = u.chkCRAdd->isChecked();
  f.chkLFAdd_Checked = u.chkLFAdd->isChecked();
  f.pgMain_ActivePageIndex = u.pgMain->currentIndex();
  f.chkWartAfterLine_Checked = u.chkWartAfterLine->isChecked();
  f.edWartAfterLine_Text = Std(u.edWartAfterLine->text());
  f.edDateiSend_Text = Std(u.edDateiSend->text());
  f.chkBrkAdd_Checked = u.chkBrkAdd->isChecked();
  f.edRTRLen_Text = Std(u.edRTRLen->text()).substr(0, 1);
  return s;
}

void TfrmSend::FillHistory() {
  QComboBox* box = ui_->cboDaten;
  const QString text = box->currentText();
  QStringList items;
  for (const std::string& entry : history_) items.push_back(QString::fromStdString(entry));
  box->blockSignals(true);
  box->clear();
  box->addItems(items);
  box->setEditText(text);
  box->blockSignals(false);
}

void TfrmSend::ShowForMode(const TSendDialogMode& mode) {
  Ui::TfrmSend& u = *ui_;
  u.chkBrkAdd->setVisible(mode.chkBrkAddVisible);
  u.rbA->setVisible(mode.rbAVisible);
  u.rbB->setVisible(mode.rbBVisible);
  if (mode.Forced == 'A') u.rbA->setChecked(true);
  if (mode.Forced == 'B') u.rbB->setChecked(true);
  canMode_ = mode.CanMode;
  rtrMode_ = canMode_;
  ShowCanState();
  if (isVisible()) {
    raise();
    activateWindow();
  } else {
    show();
  }
}

void TfrmSend::showEvent(QShowEvent* event) {
  ApplyTexts(this, LanguageOffset());
  ShowCanState();
  QDialog::showEvent(event);
}

void TfrmSend::ShowCanState() {
  Ui::TfrmSend& u = *ui_;
  u.pgMain->setTabVisible(1, !canMode_);
  if (canMode_) u.pgMain->setCurrentIndex(0);
  u.btnFileSend->setEnabled(!canMode_ && !fileSend_.Running());
  u.chkBrkAdd->setProperty("tag", rtrMode_ ? TextId::chkBrkAddRtr : TextId::chkBrkAdd);
  ApplyTextsTo(u.chkBrkAdd, LanguageOffset());
  for (QWidget* w : {static_cast<QWidget*>(u.edRTRLen), static_cast<QWidget*>(u.lbShowCanData),
                     static_cast<QWidget*>(u.lbShowCanData2)})
    w->setVisible(canMode_);
  u.lbrbA->setVisible(!u.rbA->isHidden());
  u.lbrbB->setVisible(!u.rbB->isHidden());
  u.rbA1->setVisible(!u.rbA->isHidden());
  u.rbB1->setVisible(!u.rbB->isHidden());
  u.lbrbA1->setVisible(!u.rbA->isHidden());
  u.lbrbB1->setVisible(!u.rbB->isHidden());
  cboDatenChange();
}

void TfrmSend::cboDatenChange() {
  Ui::TfrmSend& u = *ui_;
  if (u.lbShowCanData->isHidden()) return;
  const int rtr = u.chkBrkAdd->isChecked() ? RtrLengthOf(Std(u.edRTRLen->text())) : -1;
  u.lbShowCanData->setText(QString::fromStdString(
      CanPreview(SendBytesFromUtf8(Std(u.cboDaten->currentText())), rtr, GetText(TextId::MsgWrongCanId))));
}

void TfrmSend::chkBrkAddClick() {
  ui_->edRTRLen->setEnabled(ui_->chkBrkAdd->isChecked());
  cboDatenChange();
}

void TfrmSend::chkWartAfterLineClick() {
  QLineEdit* edit = ui_->edWartAfterLine;
  edit->setEnabled(ui_->chkWartAfterLine->isChecked());
  QPalette palette = edit->palette();
  palette.setColor(QPalette::Base, edit->isEnabled() ? QApplication::palette().color(QPalette::Base)
                                                     : QApplication::palette().color(QPalette::Button));
  edit->setPalette(palette);
}

bool TfrmSend::eventFilter(QObject* watched, QEvent* event) {
  Ui::TfrmSend& u = *ui_;
  if (watched == u.edRTRLen && event->type() == QEvent::KeyPress) {
    const QString key = static_cast<QKeyEvent*>(event)->text();
    if (key.size() == 1 && key[0] >= QLatin1Char('0') && key[0] <= QLatin1Char('8')) {
      u.edRTRLen->setText(key);
      cboDatenChange();
      return true;
    }
    // Other characters are refused; editing keys pass.
    return key.size() == 1 && key[0].isPrint();
  }
  if (event->type() == QEvent::MouseButtonRelease) {
    // A port label clicks its radio button.
    if (watched == u.lbrbA || watched == u.lbrbA1) u.rbA->setChecked(true);
    if (watched == u.lbrbB || watched == u.lbrbB1) u.rbB->setChecked(true);
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmSend::btnSendClick() {
  Ui::TfrmSend& u = *ui_;
  const QString text = u.cboDaten->currentText();
  if (text.isEmpty() || sending_) return;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  sending_ = true;
  SendAbort.store(false);
  AddToSendHistory(history_, Std(text));
  FillHistory();
  u.cboDaten->setEditText(text);
  const int rtrLength = RtrLengthOf(Std(u.edRTRLen->text()));
  const bool breakOrRtr = u.chkBrkAdd->isChecked() && !u.chkBrkAdd->isHidden();
  try {
    routine_.DatenSenden(u.rbB->isChecked(), SendBytesFromUtf8(Std(text)), u.chkCRAdd->isChecked(),
                         u.chkLFAdd->isChecked(), false, false, breakOrRtr, rtrLength, WindowDelay);
  } catch (const std::exception& e) {
    ReportError("28.2", e);
  }
  sending_ = false;
  QApplication::restoreOverrideCursor();
}

void TfrmSend::btnFileSendClick() {
  Ui::TfrmSend& u = *ui_;
  if (u.pgMain->currentWidget() != u.tabDatei || canMode_ || sending_) return;
  TFileSendRequest request;
  request.FileName = Std(u.edDateiSend->text());
  request.TargetB = u.rbB->isChecked();
  request.WaitAfterLine = u.chkWartAfterLine->isChecked();
  request.WaitMs = u.edWartAfterLine->text().isEmpty() ? 0 : u.edWartAfterLine->text().toInt();
  std::error_code error;
  const auto size = std::filesystem::file_size(request.FileName, error);
  if (error) return;
  SendAbort.store(false);
  try {
    const bool started = fileSend_.Start(routine_, request,
                                         {[this](std::int64_t position, std::int64_t) {
                                            QMetaObject::invokeMethod(
                                                this, [this, position] { FileProgress(position); },
                                                Qt::QueuedConnection);
                                          },
                                          [this] {
                                            QMetaObject::invokeMethod(this, [this] { FileFinished(); },
                                                                      Qt::QueuedConnection);
                                          }});
    if (!started) return;
  } catch (const std::exception& e) {
    ReportError("29", e);
    return;
  }
  u.btnFileSend->setEnabled(false);
  sending_ = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  u.pBarSize->setRange(0, static_cast<int>(std::max<std::uintmax_t>(2, size / 16)));
  u.pBarSize->setValue(0);
  u.pBarSize->show();
}

void TfrmSend::StopFileSend() {
  if (!fileSend_.Running()) return;
  SendAbort.store(true);
  fileSend_.Join();
  FileFinished();
}

void TfrmSend::FileProgress(qint64 position) {
  if (sending_) ui_->pBarSize->setValue(static_cast<int>(position / 16));
}

void TfrmSend::FileFinished() {
  if (!sending_) return;  // already ended by StopFileSend
  fileSend_.Join();
  sending_ = false;
  QApplication::restoreOverrideCursor();
  ui_->btnFileSend->setEnabled(!canMode_);
  ui_->pBarSize->hide();
  emit FileSendFinished();
}

void TfrmSend::btnAbbruchClick() {
  if (sending_)
    SendAbort.store(true);
  else
    hide();
}

void TfrmSend::btnDateiSendClick() {
  const QString chosen = OpenFileDialog ? OpenFileDialog(ui_->edDateiSend->text()) : QString();
  if (!chosen.isEmpty()) ui_->edDateiSend->setText(chosen);
}

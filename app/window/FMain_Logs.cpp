// The online log and the raw-data log in the window: their check boxes, the
// save dialogs, the rotation options and the ports kept out of the logs.
// The logs themselves live in the core; they write on the consumer thread
// in the trace's order, and whatever they report from there is carried to
// the window thread here.
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRadioButton>
#include <QThread>
#include <algorithm>
#include <utility>

#include "core/ErrorLog.h"
#include "core/LogNames.h"
#include "core/Settings.h"
#include "core/TextIds.h"
#include "serial/InterfacePorts.h"
#include "ui_TabZeit.h"
#include "window/Captions.h"
#include "window/FMain.h"

namespace {

// At once when already on the window's thread (so a failed start is visible
// when the click returns), otherwise queued in order behind the window's work.
void OnWindowThread(QObject* window, std::function<void()> action) {
  if (QThread::currentThread() == window->thread())
    action();
  else
    QMetaObject::invokeMethod(window, std::move(action), Qt::QueuedConnection);
}

// In the order all files, rich text, text (raw: all files, raw data), in
// the language shown.
QStringList LogFilters(bool raw) { return NameFiltersFromText(GetQText(raw ? TextId::SDlgRohFilter : TextId::SDlgFilter)); }

QString FromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

}  // namespace

void TFrmMain::SetupLogs() {
  logPrompts_.OnlineDialog = [this](const TLogFileChoice& proposed) { return ShowLogSaveDialog(false, proposed); };
  logPrompts_.RawDialog = [this](const TLogFileChoice& proposed) { return ShowLogSaveDialog(true, proposed); };
  logPrompts_.AskYesNo = [this](std::string_view question) {
    return QMessageBox::question(this, windowTitle(), FromUtf8(std::string(question)),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
  };
  logPrompts_.Beep = [] { QApplication::beep(); };

  const auto hooks = [this](bool raw) {
    TLogHooks h;
    h.ShowSaveDialog = [this, raw](const TLogFileChoice& proposed) {
      auto& dialog = raw ? logPrompts_.RawDialog : logPrompts_.OnlineDialog;
      return dialog ? dialog(proposed) : std::optional<TLogFileChoice>(proposed);
    };
    h.AskYesNo = [this](std::string_view question) { return logPrompts_.AskYesNo && logPrompts_.AskYesNo(question); };
    // A rotation or a failing write reports from the consumer thread.
    h.Beep = [this] {
      OnWindowThread(this, [this] {
        if (logPrompts_.Beep) logPrompts_.Beep();
      });
    };
    h.Unchecked = [this, raw] { OnWindowThread(this, [this, raw] { LogUnchecked(raw); }); };
    h.Stopped = [this, raw](std::string_view error) {
      OnWindowThread(this, [this, raw, text = std::string(error)] {
        ShowStatusMessage(GetQText(raw ? TextId::MsgRawLogStopped : TextId::MsgOnlineLogStopped) + FromUtf8(text));
      });
    };
    h.WriteErrorLog = [this](std::string_view line) {
      OnWindowThread(this, [text = std::string(line)] { WriteErrorLog(text); });
    };
    h.StatusLine = [this](std::string_view text) { ShowStatusMessage(QString::fromStdString(std::string(text))); };
    return h;
  };
  onlineLog_ = std::make_unique<TOnlineLog>(hooks(false));
  rawLog_ = std::make_unique<TRawLog>(hooks(true));
  rawLog_->SetFileChoice({(QDir::currentPath() + QStringLiteral("/Tamarik.roh")).toStdString(), 1});
  pipeline_.SetStreamSink(onlineLog_.get());
  pipeline_.SetRawSink(rawLog_.get());

  // clicked, not toggled: only the user starts a log with a dialog; the
  // program sets the boxes without side effects.
  connect(uiZeit_->chkOnlineLog, &QCheckBox::clicked, this, &TFrmMain::chkOnlineLogClick);
  connect(uiZeit_->chkOnlineRohLog, &QCheckBox::clicked, this, &TFrmMain::chkOnlineRohLogClick);
  connect(uiZeit_->chkLogFile, &QCheckBox::toggled, this, &TFrmMain::chkLogFileClick);
  for (QRadioButton* rb : {uiZeit_->rbLogFile1, uiZeit_->rbLogFile2, uiZeit_->rbLogFile3})
    connect(rb, &QRadioButton::toggled, this, &TFrmMain::chkLogFileClick);
  connect(uiZeit_->chkNoPortA, &QCheckBox::clicked, this, &TFrmMain::chkNoPortAClick);
  connect(uiZeit_->chkNoPortB, &QCheckBox::clicked, this, &TFrmMain::chkNoPortBClick);
  chkLogFileClick();
}

std::optional<TLogFileChoice> TFrmMain::ShowLogSaveDialog(bool raw, const TLogFileChoice& proposed) {
  const QStringList filters = LogFilters(raw);
  const int tag = raw ? TextId::SDlgRoh : TextId::SDlg;
  QFileDialog dialog(this, GetQText(tag));
  dialog.setObjectName(raw ? QStringLiteral("SDlgRoh") : QStringLiteral("SDlg"));
  dialog.setProperty("tag", tag);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  // The log asks itself whether to replace an existing file.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  dialog.setNameFilters(filters);
  if (raw) dialog.setDefaultSuffix(QStringLiteral("roh"));
  const int index = std::clamp(proposed.FilterIndex, 1, static_cast<int>(filters.size()));
  dialog.selectNameFilter(filters[index - 1]);
  const QFileInfo current(FromUtf8(proposed.FileName));
  dialog.setDirectory(current.absolutePath());
  dialog.selectFile(current.fileName());
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  TLogFileChoice chosen{dialog.selectedFiles().constFirst().toStdString(),
                        static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1};
  if (chosen.FilterIndex < 1) chosen.FilterIndex = 1;
  return chosen;
}

void TFrmMain::chkOnlineLogClick() {
  if (!uiZeit_->chkOnlineLog->isChecked()) {
    onlineLog_->CloseOnlineFile();
    return;
  }
  TLogFileChoice choice = onlineLog_->FileChoice();
  choice.FileName = sdlgFileName_.toStdString();
  onlineLog_->SetFileChoice(choice);
  onlineLog_->Start(lsUser);
  choice = onlineLog_->FileChoice();
  // The extension the file was opened with goes into the stored name, so
  // the next start reopens the same file without knowing the filter.
  if (!ParseLogDeviceName(choice.FileName) && !LogNameHasExtension(choice.FileName)) {
    choice.FileName += choice.FilterIndex == 2 ? ".rtf" : ".txt";
    onlineLog_->SetFileChoice(choice);
  }
  sdlgFileName_ = FromUtf8(choice.FileName);
  LogUnchecked(false);
}

void TFrmMain::chkOnlineRohLogClick() {
  if (!uiZeit_->chkOnlineRohLog->isChecked()) {
    rawLog_->Stop();
    return;
  }
  rawLog_->Start(lsUser, ports_->PortB().Opened());
  LogUnchecked(true);
}

// The box follows the log: a log that stopped by itself clears it; a log
// started again meanwhile keeps it.
void TFrmMain::LogUnchecked(bool raw) {
  if (raw)
    uiZeit_->chkOnlineRohLog->setChecked(rawLog_->Checked());
  else
    uiZeit_->chkOnlineLog->setChecked(onlineLog_->Checked());
}

void TFrmMain::chkLogFileClick() {
  const bool limited = uiZeit_->chkLogFile->isChecked();
  for (QRadioButton* rb : {uiZeit_->rbLogFile1, uiZeit_->rbLogFile2, uiZeit_->rbLogFile3}) rb->setEnabled(limited);
  const TLogLimit limit{limited, uiZeit_->rbLogFile1->isChecked()   ? 1
                                 : uiZeit_->rbLogFile2->isChecked() ? 2
                                                                    : 3};
  onlineLog_->SetLimit(limit);
  rawLog_->SetLimit(limit);
}

void TFrmMain::chkNoPortAClick() {
  const TNoPortFlags flags = ClickNoPort(
      {uiZeit_->chkNoPortA->isChecked(), uiZeit_->chkNoPortB->isChecked()}, true, uiZeit_->chkNoPortA->isChecked());
  uiZeit_->chkNoPortB->setChecked(flags.chkNoPortB);
  PublishRxOptions();
}

void TFrmMain::chkNoPortBClick() {
  const TNoPortFlags flags = ClickNoPort(
      {uiZeit_->chkNoPortA->isChecked(), uiZeit_->chkNoPortB->isChecked()}, false, uiZeit_->chkNoPortB->isChecked());
  uiZeit_->chkNoPortA->setChecked(flags.chkNoPortA);
  PublishRxOptions();
}

void TFrmMain::ReadLogOptions(TRxOptions& rx) const {
  rx.chkNoPortA = uiZeit_->chkNoPortA->isChecked();
  rx.chkNoPortB = uiZeit_->chkNoPortB->isChecked();
}

void TFrmMain::ApplyLogSettings(const TSettingsValues& values) {
  const TLogSettings& log = values.Log;
  uiZeit_->chkLogFile->setChecked(log.chkLogFile);
  (log.rbLogFile1 ? uiZeit_->rbLogFile1 : log.rbLogFile2 ? uiZeit_->rbLogFile2 : uiZeit_->rbLogFile3)->setChecked(true);
  // Both set (a file edited by hand) would log nothing: taken as if B was
  // checked last.
  const TNoPortFlags noPort = log.chkNoPortA && log.chkNoPortB ? ClickNoPort(log.NoPort(), false, true) : log.NoPort();
  uiZeit_->chkNoPortA->setChecked(noPort.chkNoPortA);
  uiZeit_->chkNoPortB->setChecked(noPort.chkNoPortB);
  chkLogFileClick();
  rawLog_->SetFileChoice({values.FrmMain.SDlgRoh_FileName, 1});
  restoreOnlineLog_ = values.FrmMain.chkOnlineLog;
  restoreRawLog_ = values.FrmMain.chkOnlineRohLog;
}

void TFrmMain::StoreLogSettings(TSettingsValues& values) const {
  TLogSettings& log = values.Log;
  log.chkLogFile = uiZeit_->chkLogFile->isChecked();
  log.rbLogFile1 = uiZeit_->rbLogFile1->isChecked();
  log.rbLogFile2 = uiZeit_->rbLogFile2->isChecked();
  log.rbLogFile3 = uiZeit_->rbLogFile3->isChecked();
  log.chkNoPortA = uiZeit_->chkNoPortA->isChecked();
  log.chkNoPortB = uiZeit_->chkNoPortB->isChecked();
  values.FrmMain.SDlgRoh_FileName = rawLog_->FileChoice().FileName;
}

// The first activation: logs that ran at the last exit go on in their
// files, without a dialog or a question.
void TFrmMain::RestoreLogs() {
  if (std::exchange(restoreOnlineLog_, false)) {
    TLogFileChoice choice = onlineLog_->FileChoice();
    choice.FileName = sdlgFileName_.toStdString();
    onlineLog_->SetFileChoice(choice);
    uiZeit_->chkOnlineLog->setChecked(true);
    onlineLog_->Start(lsRestore);
    LogUnchecked(false);
  }
  if (std::exchange(restoreRawLog_, false)) {
    uiZeit_->chkOnlineRohLog->setChecked(true);
    rawLog_->Start(lsRestore, ports_->PortB().Opened());
    LogUnchecked(true);
  }
}

void TFrmMain::CloseLogs() {
  onlineLog_->CloseOnlineFile();
  rawLog_->Stop();
  uiZeit_->chkOnlineLog->setChecked(false);
  uiZeit_->chkOnlineRohLog->setChecked(false);
}

// The send dialog: a typed line (text with byte escapes, or a CAN frame) or
// a whole file goes to the link through the send routine. Modeless and on
// top; created on first use, then kept by the main window.
#pragma once

#include <QDialog>
#include <memory>

#include "core/SendDialogMode.h"
#include "core/SendFile.h"
#include "core/SendSettings.h"

namespace Ui {
class TfrmSend;
}
class TSendRoutine;

// A wait on the window thread that keeps the window alive (Delay).
void WindowDelay(int ms);

class TfrmSend : public QDialog {
  Q_OBJECT
 public:
  TfrmSend(QWidget* owner, TSendRoutine& routine, const TSendSettings& stored);
  ~TfrmSend() override;

  // Sets the port choice the operating mode allows and shows the dialog (or
  // brings it to the front).
  void ShowForMode(const TSendDialogMode& mode);
  TSendSettings Settings() const;
  bool Sending() const { return sending_; }
  // Closing: a running file send ends now.
  void StopFileSend();
  bool CanMode() const { return canMode_; }
  Ui::TfrmSend& Controls() { return *ui_; }
  // The file dialog; tests answer it themselves.
  std::function<QString(const QString& proposed)> OpenFileDialog;

 public slots:
  void btnSendClick();
  void btnFileSendClick();
  void btnAbbruchClick();
  void btnDateiSendClick();
  void chkWartAfterLineClick();
  void chkBrkAddClick();
  void cboDatenChange();

 signals:
  // A file send ended (sent, cancelled or failed).
  void FileSendFinished();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void Connect();
  void ApplyStored(const TSendSettings& stored);
  void FillHistory();
  void ShowCanState();
  void FileProgress(qint64 position);
  void FileFinished();

  std::unique_ptr<Ui::TfrmSend> ui_;
  TSendRoutine& routine_;
  std::vector<std::string> history_;
  TFileSend fileSend_;
  bool sending_ = false;
  bool canMode_ = false;
  bool rtrMode_ = false;
};

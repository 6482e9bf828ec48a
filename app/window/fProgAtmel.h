// The AVR programmer dialog: connect to a node's CAN boot loader, erase,
// transfer a program, read and write its extra bytes, start it. Thin over
// TProgAtmel; telegrams leave through the main window's send routine and
// the boot loader's answers come in from the CAN receive path.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "CanFrame.h"
#include "prog/CanAnswerQueue.h"
#include "prog/ProgAtmel.h"

namespace Ui {
class TfrmProgAtmel;
}
class QTimer;

class TfrmProgAtmel : public QDialog {
  Q_OBJECT
 public:
  using TSendTelegram = std::function<void(const std::string& telegram)>;
  // answers: where the receive path leaves CAN frames; the timers take them.
  TfrmProgAtmel(QWidget* owner, TSendTelegram send, std::shared_ptr<TCanAnswerQueue> answers = nullptr);
  ~TfrmProgAtmel() override;

  Ui::TfrmProgAtmel& Controls() { return *ui_; }
  const TProgAtmel& Core() const { return core_; }
  QTimer* Tmr1 = nullptr;  // 36 ms: the transfer and every awaited answer
  QTimer* Tmr2 = nullptr;  // 150 ms: the connect, until a node answers
  // ODlg, the open-file dialog; tests answer it themselves.
  std::function<QString()> ODlg;

 public slots:
  void btnStartConnectClick();
  void btnEraseClick();
  void btnFileClick();
  void btnSendFileClick();
  void btnStartDevClick();
  void pgMainChange(int index);
  void btnSetExtraClick();
  void btnAbbruchClick();
  void Tmr1Timer();
  void Tmr2Timer();
  // A frame from the CAN bus, on the window thread.
  void CanFrameReceived(const TCanFrame& frame);

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  void Connect();
  void FormHide();
  // The core's state onto the controls and timers.
  void Refresh();
  void TakeAnswers();

  std::unique_ptr<Ui::TfrmProgAtmel> ui_;
  TProgAtmel core_;
  std::shared_ptr<TCanAnswerQueue> answers_;
  std::string fileName_;
  // The extra bytes last put into the edits, so that what the user typed
  // since stays until the node sends new ones.
  std::array<std::string, prog::kExtraCount> shownExtras_;
};

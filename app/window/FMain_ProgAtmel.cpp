// The AVR programmer dialog, opened from the CAN page; its telegrams go out
// through DatenSenden and the CAN frames received reach it through a tap on
// the receive pipeline.
#include "core/ErrorLog.h"
#include "prog/CanAnswerQueue.h"
#include "prog/ProgAtmel.h"
#include "window/FMain.h"
#include "window/fProgAtmel.h"

void TFrmMain::btnPrgAtmelCANClick() {
  if (frmProgAtmel_ == nullptr) {
    auto answers = std::make_shared<TCanAnswerQueue>();
    pipeline_.SetAnswerTap(answers);
    frmProgAtmel_ = new TfrmProgAtmel(
        this, [this](const std::string& telegram) { DatenSenden(false, telegram, false, false, false, false, false, 0); },
        answers);
  }
  if (ErrorLogEnabled()) WriteErrorLog("UserAction: ProgAtmel Start.");
  if (frmProgAtmel_->isVisible()) {
    frmProgAtmel_->raise();
    frmProgAtmel_->activateWindow();
  } else {
    frmProgAtmel_->show();
  }
  ProgrammerActive.store(-1);
}

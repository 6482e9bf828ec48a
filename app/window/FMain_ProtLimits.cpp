// The protocol-limit page: start and stop characters of the logging window,
// the count after which it stops and the line end at its stop.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "core/CodePageList.h"
#include "core/Language.h"
#include "core/LineRuleSettings.h"
#include "window/CodeListDelegate.h"
#include "ui_TabProtokollbegrenzung.h"
#include "window/FMain.h"

// Each time the page is shown: the current code page's entries with the
// start and stop marks; the logging window stays as it is.
void TFrmMain::FillProtLists() {
  const std::vector<std::string> items = codePages_->Items();
  fillingLists_ = true;
  FillCodeCheckList(uiProt_->lstStartProt, items, *codePages_, TByteFlag::Start);
  FillCodeCheckList(uiProt_->lstStopProt, items, *codePages_, TByteFlag::Stop);
  fillingLists_ = false;
  RebuildProtList(true, false);
  RebuildProtList(false, false);
}

// The marks of the start (or stop) list into the byte flags and the list of
// chosen characters. A change by the user closes the logging window while
// start characters exist and reopens it when none are left.
void TFrmMain::RebuildProtList(bool start, bool byUser) {
  const TByteFlag flag = start ? TByteFlag::Start : TByteFlag::Stop;
  const QListWidget* marks = start ? uiProt_->lstStartProt : uiProt_->lstStopProt;
  QListWidget* chosen = start ? uiProt_->lstStartProtList : uiProt_->lstStopProtList;
  for (int b = 0; b < marks->count(); ++b) codePages_->SetFlag(flag, b, marks->item(b)->checkState() == Qt::Checked);
  chosen->clear();
  for (const std::string& text : codePages_->FlagList(flag)) chosen->addItem(QString::fromStdString(text));
  if (start && byUser) pipeline_.ResetProtActive(!codePages_->AnyFlag(TByteFlag::Start));
  if (byUser) ShowProtState();
  EnableStopControls();
}

void TFrmMain::ShowProtState() {
  ShowLoggingState();
}

// Without start characters there are no stop rules.
void TFrmMain::EnableStopControls() {
  const bool startCharsUsed = uiProt_->lstStartProtList->count() > 0;
  for (QWidget* control : std::initializer_list<QWidget*>{uiProt_->edProtChar, uiProt_->chkProtWechsel,
                                                          uiProt_->lstStopProt, uiProt_->lstStopProtList})
    control->setEnabled(startCharsUsed);
}

void TFrmMain::lstStartProtClickCheck() {
  RebuildProtList(true, true);
  PublishCodes();
}

void TFrmMain::lstStopProtClickCheck() {
  RebuildProtList(false, true);
  PublishCodes();
}

namespace {

// Unchecks the byte named by the double-clicked entry in the list of marks
// and makes it the current entry there; false when there is no such byte.
bool UncheckChosen(const QListWidget* chosen, QListWidget* marks) {
  const QListWidgetItem* entry = chosen->currentItem();
  if (entry == nullptr) return false;
  const int b = ByteOfItem(entry->text().toStdString());
  if (b < 0 || b >= marks->count()) return false;
  marks->item(b)->setCheckState(Qt::Unchecked);
  marks->setCurrentRow(b);
  return true;
}

}  // namespace

void TFrmMain::lstStartProtListDblClick() {
  fillingLists_ = true;
  const bool changed = UncheckChosen(uiProt_->lstStartProtList, uiProt_->lstStartProt);
  fillingLists_ = false;
  if (changed) lstStartProtClickCheck();
}

void TFrmMain::lstStopProtListDblClick() {
  fillingLists_ = true;
  const bool changed = UncheckChosen(uiProt_->lstStopProtList, uiProt_->lstStopProt);
  fillingLists_ = false;
  if (changed) lstStopProtClickCheck();
}

// The code pages on the data-conversion page: the page choice, the 256
// entries with their line-break check boxes, the list of line-break bytes,
// editing a user page's texts and the page menu.
#include <QAction>
#include <QComboBox>
#include <QInputDialog>
#include <QListWidget>
#include <QMessageBox>

#include "core/AppFlags.h"
#include "core/CodePageList.h"
#include "core/Language.h"
#include "core/TextIds.h"
#include "window/CodeListDelegate.h"
#include "ui_TabDaten.h"
#include "window/FMain.h"

namespace {

QString Text(int id) { return QString::fromStdString(GetText(id)); }


void FillPlainList(QListWidget* list, const std::vector<std::string>& items) {
  list->clear();
  for (const std::string& text : items) list->addItem(QString::fromStdString(text));
}

}  // namespace

// The page choice as the code pages hold it (built-in and user pages); the
// built-in pages are named in the program's language.
void TFrmMain::ShowPageList() {
  QComboBox* box = uiDaten_->cbxCodeseite;
  fillingLists_ = true;
  box->clear();
  const std::vector<std::string> names = codePages_->PageNames();
  for (std::size_t i = 0; i < names.size(); ++i)
    box->addItem(i < BuiltInPageCount ? Text(TextId::CodePageAscii + static_cast<int>(i))
                                      : QString::fromStdString(names[i]));
  box->setCurrentIndex(codePages_->Selected());
  fillingLists_ = false;
  box->setEnabled(!IniReadOnly.load());
}

// The selected page's entries into the code list; the line-break flags stay.
void TFrmMain::ShowSelectedPage() {
  FillCodeList();
  mnCodeLoeschen->setEnabled(codePages_->UserPageSelected());
  RebuildLineBreakList();
}

void TFrmMain::FillCodeList() {
  fillingLists_ = true;
  FillCodeCheckList(uiDaten_->lstCodes, codePages_->Items(), *codePages_, TByteFlag::LineBreak);
  fillingLists_ = false;
  uiDaten_->lstCodes->viewport()->update();
}

void TFrmMain::RebuildLineBreakList() { FillPlainList(uiDaten_->lstZeile, codePages_->FlagList(TByteFlag::LineBreak)); }

void TFrmMain::cbxCodeseiteClick() {
  codePages_->Select(uiDaten_->cbxCodeseite->currentIndex());
  ShowSelectedPage();
  PublishCodes();
}

void TFrmMain::lstCodesClickCheck() {
  const QListWidget* list = uiDaten_->lstCodes;
  for (int b = 0; b < list->count(); ++b)
    codePages_->SetFlag(TByteFlag::LineBreak, b, list->item(b)->checkState() == Qt::Checked);
  RebuildLineBreakList();
  PublishCodes();
}

void TFrmMain::lstZeileDblClick() {
  const QListWidgetItem* entry = uiDaten_->lstZeile->currentItem();
  if (entry == nullptr) return;
  const int b = ByteOfItem(entry->text().toStdString());
  QListWidget* codes = uiDaten_->lstCodes;
  if (b < 0 || b >= codes->count()) return;
  codes->clearSelection();
  fillingLists_ = true;
  codes->setCurrentRow(b);
  codes->item(b)->setCheckState(Qt::Unchecked);
  fillingLists_ = false;
  lstCodesClickCheck();
}

void TFrmMain::lstCodesDblClick() {
  const int b = uiDaten_->lstCodes->currentRow();
  if (!codePages_->CanEdit(b)) return;
  const QString caption = QString::fromStdString(codePages_->PageNames()[codePages_->Selected()]);
  const QString prompt = Text(TextId::CodeAendernPrompt) + QString::fromStdString(codePages_->EditPromptSuffix(b));
  bool ok = false;
  const QString text = QInputDialog::getText(this, caption, prompt, QLineEdit::Normal,
                                             QString::fromStdString(codePages_->Entries()[b].Text), &ok);
  if (ok) EditCodeText(b, text);
}

bool TFrmMain::EditCodeText(int b, const QString& text) {
  switch (codePages_->EditText(b, text.toStdString())) {
    case TCodeEditResult::NotEditable:
      return false;
    case TCodeEditResult::NotStorable: {
      const QString message = Text(TextId::MsgSequenceNotStorable);
      ShowStatusMessage(message);
      QMessageBox::warning(this, QString::fromStdString(codePages_->PageNames()[codePages_->Selected()]), message);
      return false;
    }
    case TCodeEditResult::Done:
      break;
  }
  QListWidgetItem* item = uiDaten_->lstCodes->item(b);
  fillingLists_ = true;
  item->setText(QString::fromStdString(codePages_->Item(b)));
  fillingLists_ = false;
  lstCodesClickCheck();
  return true;
}

namespace {
// The page caption without its accelerator, as the title of the page dialogs.
QString PageDialogCaption(const QWidget* page) { return page->windowTitle().remove(QLatin1Char('&')); }
}  // namespace

void TFrmMain::mnCodeNeuClick() {
  bool ok = false;
  const QString name = QInputDialog::getText(this, PageDialogCaption(tabDaten), Text(TextId::mnCodeNeu),
                                             QLineEdit::Normal, QString(), &ok);
  if (!ok || name.isEmpty() || !codePages_->NewPage(name.toStdString())) return;
  ShowPageList();
  ShowSelectedPage();
  PublishCodes();
}

void TFrmMain::mnCodeKopierenClick() {
  bool ok = false;
  const QString current = QString::fromStdString(codePages_->PageNames()[codePages_->Selected()]);
  const QString name = QInputDialog::getText(this, PageDialogCaption(tabDaten), Text(TextId::mnCodeKopieren),
                                             QLineEdit::Normal, current, &ok);
  if (!ok || name.isEmpty() || !codePages_->CopyPage(name.toStdString())) return;
  ShowPageList();
  ShowSelectedPage();
  PublishCodes();
}

void TFrmMain::mnCodeLoeschenClick() {
  const auto answer = QMessageBox::question(this, PageDialogCaption(tabDaten),
                                            Text(TextId::MsgDeleteCodePage), QMessageBox::Yes | QMessageBox::No);
  if (answer != QMessageBox::Yes || !codePages_->DeletePage()) return;
  ShowPageList();
  ShowSelectedPage();
  PublishCodes();
}
